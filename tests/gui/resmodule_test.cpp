#include "gui/resmodule.h"

#include "gui/settings.h"

#include "foundation/restext.h"
#include "platform/notify.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "settings_fixture.h"

#include "support/buildbin.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tsw {
namespace {

namespace fs = std::filesystem;
using tsw::testing::ConfigHome;

constexpr const char *kVersion = "7.06P";
constexpr const char *kCannotFindSetting =
    "Cannot find resource module \nspecified in TSW.INI.\nAttempting to load ENGLISH.DLL";
constexpr const char *kCannotFindEnglish = "Cannot find ENGLISH.DLL\nAttempting to load JAPANESE.DLL";
constexpr const char *kNoModule = "Cannot find valid resource module!";

using tsw::testing::BuildBin;

struct Case {
  const char *name;
  const char *setting; // "Resource Module", or null for none
  // Files of the program directory: its name there and the built file.
  std::vector<std::pair<const char *, const char *>> files;
  std::vector<std::string> boxes;
  const char *title; // message 1102 of what was loaded; null: nothing loaded
  bool extraAlpha;
};

TEST(StartupModule, FallsBackInOrderAndBindsInputMethodHooks) {
  const char *english = "libtsw_english.so";
  const Case cases[] = {
      {"no setting", nullptr, {{english, english}}, {}, "Tessel C", false},
      {"setting names the English module", "ENGLISH.DLL", {{english, english}}, {}, "Tessel C", false},
      {"setting with a directory", "C:\\TSW\\english.dll", {{english, english}}, {}, "Tessel C", false},
      {"missing module", "FRENCH.DLL", {{english, english}}, {kCannotFindSetting}, "Tessel C", false},
      {"not a module",
       "BROKEN.DLL",
       {{english, english}, {"libtsw_broken.so", nullptr}},
       {kCannotFindSetting},
       "Tessel C",
       false},
      {"neither: Japanese",
       "FRENCH.DLL",
       {{"libtsw_japanese.so", "libtsw_foreign.so"}},
       {kCannotFindSetting, kCannotFindEnglish, "Error assigning pzExtraAlpha", "Error assigning pMoveImeConvertWin",
        "Error assigning pSetImeFont"},
       "Foreign title",
       false},
      {"foreign module with one hook",
       "IME.DLL",
       {{"libtsw_ime.so", "libtsw_imeonly.so"}},
       {"Error assigning pMoveImeConvertWin", "Error assigning pSetImeFont"},
       "Foreign title",
       true},
      {"nothing at all", nullptr, {}, {kCannotFindSetting, kCannotFindEnglish, kNoModule}, nullptr, false},
  };
  for (const Case &c : cases) {
    ConfigHome home;
    tsw::testing::TempDir program;
    for (auto [name, built] : c.files) {
      if (built)
        fs::copy_file(BuildBin() + "/" + built, program / name);
      else
        program.Write(name, "this is not a shared library");
    }
    if (c.setting) {
      std::string file = SettingsFilePath(kVersion);
      fs::create_directories(fs::path(file).parent_path());
      ASSERT_TRUE(plat::WritePrivateProfileString("Tessel C", "Resource Module", c.setting, file));
    }
    plat::RecordingNotifier notifier;
    plat::SetNotifier(&notifier);
    StartupModule loaded = LoadStartupModule(kVersion, program.path());
    plat::SetNotifier(nullptr);

    std::vector<std::string> boxes;
    for (const auto &box : notifier.boxes) {
      boxes.push_back(box.text);
      EXPECT_EQ(box.title, "") << c.name;
      EXPECT_EQ(box.buttons, plat::Buttons::Ok) << c.name;
    }
    EXPECT_EQ(boxes, c.boxes) << c.name;
    ASSERT_EQ(loaded.module != nullptr, c.title != nullptr) << c.name;
    if (c.title) {
      EXPECT_STREQ(GetResourceString(1102), c.title) << c.name;
      EXPECT_EQ(loaded.hooks.extraAlpha != nullptr, c.extraAlpha) << c.name;
      EXPECT_EQ(loaded.hooks.setImeFont, nullptr) << c.name;
    }
    SetMessageTexts(nullptr);
  }
}

} // namespace
} // namespace tsw
