#include "gui/dlgoptions.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <QLabel>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

#include "foundation/msgcatalog.h"
#include "foundation/msgnumbers.h"
#include "gui/resbuilder.h"
#include "gui/settings.h"

namespace tsw {
namespace {

constexpr const char *kEditorOptionsTemplate = "DIALOG_EDOPT";
constexpr uint32_t kTabsId = 101, kAutoIndentId = 102, kTrailingId = 103;
constexpr const char *kDisplayOptionsTemplate = "DIALOG_DISPOPT";
constexpr const char *kDebuggerOptionsTemplate = "DIALOG_DBGOPT";
constexpr uint32_t kOutputPathId = 101, kAutoOpenId = 102, kOutputToFileId = 103, kAppendOutputId = 104;
constexpr size_t kPathFieldSize = 260;
constexpr const char *kInformationTemplate = "DIALOG_INFO";
constexpr uint32_t kMsPerSecond = 1000, kMsPerMinute = 60000;
// The first of each range's three controls, then the single texts.
constexpr uint32_t kRootCodeRowId = 101, kXmemCodeRowId = 104, kStackRowId = 107, kFreeRowId = 110,
                   kRootDataRowId = 113;
constexpr uint32_t kCodeSizeId = 125, kRootDataSizeId = 126, kLinesId = 128, kSecondsId = 129, kRateId = 130,
                   kBytesWrittenId = 134, kBytesSentId = 135;
constexpr uint32_t kKindsId = 101, kItemsId = 102;

std::vector<DisplayItem> CommonItems() {
  return {{"Font", true, ColorRole::kForeground},
          {"Background Color", false, ColorRole::kBackground},
          {"Foreground Color", false, ColorRole::kForeground},
          {"Selection Bg", false, ColorRole::kSelectionBg},
          {"Selection Fg", false, ColorRole::kSelectionFg}};
}

std::vector<DisplayItem> CommonItemsAnd(std::initializer_list<DisplayItem> more) {
  std::vector<DisplayItem> items = CommonItems();
  items.insert(items.end(), more);
  return items;
}

// Colours are kept red in the low byte.
QColor ToQColor(uint32_t rgb) { return QColor(int(rgb & 0xFF), int(rgb >> 8 & 0xFF), int(rgb >> 16 & 0xFF)); }
uint32_t FromQColor(const QColor &c) { return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16; }

} // namespace

void ApplyEditorOptions(EditorSettings &editor, bool autoIndent, bool removeTrailingWhitespace,
                        const std::string &tabText) {
  editor.autoIndent = autoIndent;
  editor.removeTrailingWhitespace = removeTrailingWhitespace;
  char *end = nullptr;
  errno = 0;
  const long tabs = std::strtol(tabText.c_str(), &end, 10);
  if (end != tabText.c_str() && errno == 0 && tabs >= 1 && tabs <= std::numeric_limits<uint16_t>::max())
    editor.tabs = uint16_t(tabs);
}

const std::vector<DisplayKind> &DisplayKinds() {
  static const std::vector<DisplayKind> kinds = {
      {"Editor", PaneKind::kEditor, CommonItems()},
      {"Error Editor", PaneKind::kErrorEditor, CommonItems()},
      {"Debug Editor", PaneKind::kDebugEditor,
       CommonItemsAnd({{"Execution Bg", false, ColorRole::kExecutionCursorBg},
                       {"Execution Fg", false, ColorRole::kExecutionCursorFg},
                       {"Breakpoint Bg", false, ColorRole::kBreakpointBg},
                       {"Breakpoint Fg", false, ColorRole::kBreakpointFg}})},
      {"Message", PaneKind::kMessage,
       CommonItemsAnd({{"Highlight Bg", false, ColorRole::kCurrentMessageBg},
                       {"Highlight Fg", false, ColorRole::kCurrentMessageFg}})},
      {"Watch", PaneKind::kWatch, CommonItems()},
      {"Stdio", PaneKind::kStdio, CommonItems()},
      {"Assembly", PaneKind::kAssembly, CommonItems()},
      {"Register", PaneKind::kRegister, CommonItems()},
      {"Stack", PaneKind::kStack, CommonItems()},
      {"Library Lookup", PaneKind::kLibraryLookup, CommonItems()},
      {"Dump",
       PaneKind::kDump,
       {{"Font", true, ColorRole::kForeground},
        {"Background Color", false, ColorRole::kBackground},
        {"Foreground Color", false, ColorRole::kForeground}}},
  };
  return kinds;
}

DisplayChoosers SystemChoosers(Settings &settings) {
  DisplayChoosers choosers;
  choosers.font = [](QWidget *parent, const FontSetting &current) -> std::optional<FontSetting> {
    QFont initial;
    if (!current.faceName.empty())
      initial.setFamily(QString::fromStdString(current.faceName));
    if (current.height != 0)
      initial.setPixelSize(current.height < 0 ? -current.height : current.height);
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent, QString(), QFontDialog::MonospacedFonts);
    if (!ok)
      return std::nullopt;
    FontSetting chosen = current;
    chosen.faceName = font.family().toStdString().substr(0, FontSetting::kFaceNameSize - 1);
    chosen.height = -(font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize());
    chosen.weight = font.bold() ? 700 : 400;
    chosen.pitchAndFamily = FontSetting::kFixedPitch;
    return chosen;
  };
  choosers.color = [&settings](QWidget *parent, uint32_t current) -> std::optional<uint32_t> {
    auto &custom = settings.environment.customColors;
    for (size_t i = 0; i < custom.size(); ++i)
      QColorDialog::setCustomColor(int(i), ToQColor(custom[i]));
    const QColor color = QColorDialog::getColor(ToQColor(current), parent);
    // The dialog's custom colours are the user's, chosen or not.
    for (size_t i = 0; i < custom.size(); ++i)
      custom[i] = FromQColor(QColorDialog::customColor(int(i)));
    if (!color.isValid())
      return std::nullopt;
    return FromQColor(color);
  };
  return choosers;
}

void RunDisplayOptionsDialog(const LanguageModule &module, QWidget *parent, Settings &settings,
                             const DisplayChoosers &choosers, const std::function<void()> &changed) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, kDisplayOptionsTemplate, parent, nullptr);
  auto *dialog = dynamic_cast<QDialog *>(made.get());
  auto *kinds = dialog ? Control<QListWidget>(*dialog, kKindsId) : nullptr;
  auto *items = dialog ? Control<QListWidget>(*dialog, kItemsId) : nullptr;
  if (!kinds || !items)
    return;
  const std::vector<DisplayKind> &table = DisplayKinds();
  for (const DisplayKind &kind : table)
    kinds->addItem(kind.name);
  auto fillItems = [=, &table] {
    items->clear();
    const int row = kinds->currentRow();
    if (row < 0)
      return;
    for (const DisplayItem &item : table[size_t(row)].items)
      items->addItem(item.name);
    items->setCurrentRow(0);
  };
  QObject::connect(kinds, &QListWidget::currentRowChanged, dialog, fillItems);
  kinds->setCurrentRow(0);
  fillItems();
  // OK chooses; only Cancel ends the dialog.
  ExecTemplateDialog(*dialog, [&] {
    const int kindRow = kinds->currentRow(), itemRow = items->currentRow();
    if (kindRow < 0 || itemRow < 0)
      return;
    const DisplayKind &kind = table[size_t(kindRow)];
    const DisplayItem &item = kind.items[size_t(itemRow)];
    PaneSettings &pane = settings.Pane(kind.kind);
    if (item.isFont) {
      if (choosers.font)
        if (std::optional<FontSetting> font = choosers.font(dialog, pane.font))
          pane.font = *font;
      // Shown again either way, as a cancelled font dialog may still
      // have changed what the system shows.
      if (changed)
        changed();
      return;
    }
    ColorSetting &pair = pane.Color(item.role);
    if (!choosers.color)
      return;
    if (std::optional<uint32_t> color = choosers.color(dialog, pair.color)) {
      pair.color = *color;
      pair.useDefault = 0;
      if (changed)
        changed();
    }
  });
}

bool RunEditorOptionsDialog(const LanguageModule &module, QWidget *parent, EditorSettings &editor) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, kEditorOptionsTemplate, parent, nullptr);
  auto *dialog = dynamic_cast<QDialog *>(made.get());
  auto *tabs = dialog ? Control<QLineEdit>(*dialog, kTabsId) : nullptr;
  auto *indent = dialog ? Control<QCheckBox>(*dialog, kAutoIndentId) : nullptr;
  auto *trailing = dialog ? Control<QCheckBox>(*dialog, kTrailingId) : nullptr;
  if (!tabs || !indent || !trailing)
    return false;
  tabs->setText(QString::number(editor.tabs));
  indent->setChecked(editor.autoIndent);
  trailing->setChecked(editor.removeTrailingWhitespace);
  if (!ExecTemplateDialog(*dialog))
    return false;
  ApplyEditorOptions(editor, indent->isChecked(), trailing->isChecked(), tabs->text().toStdString());
  return true;
}

} // namespace tsw

namespace tsw {

bool RunDebuggerOptionsDialog(const LanguageModule &module, QWidget *parent, StdioSettings &stdio) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, kDebuggerOptionsTemplate, parent, nullptr);
  auto *dialog = dynamic_cast<QDialog *>(made.get());
  auto *path = dialog ? Control<QLineEdit>(*dialog, kOutputPathId) : nullptr;
  auto *autoOpen = dialog ? Control<QCheckBox>(*dialog, kAutoOpenId) : nullptr;
  auto *toFile = dialog ? Control<QCheckBox>(*dialog, kOutputToFileId) : nullptr;
  auto *append = dialog ? Control<QCheckBox>(*dialog, kAppendOutputId) : nullptr;
  if (!path || !autoOpen || !toFile || !append)
    return false;
  autoOpen->setChecked(stdio.autoOpen);
  toFile->setChecked(stdio.outputToFile);
  append->setChecked(stdio.appendOutput);
  path->setMaxLength(int(kPathFieldSize - 1));
  path->setText(QString::fromStdString(stdio.outputPath));
  if (!ExecTemplateDialog(*dialog))
    return false;
  stdio.autoOpen = autoOpen->isChecked();
  stdio.outputToFile = toFile->isChecked();
  stdio.appendOutput = append->isChecked();
  stdio.outputPath = path->text().toStdString().substr(0, kPathFieldSize - 1);
  // The dialog offers no half duplex: confirming it switches that off.
  stdio.halfDuplex = false;
  return true;
}

} // namespace tsw

namespace tsw {
namespace {

std::string Hex(const char *format, uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// A range's three controls: start, end, size.
void AddRange(std::vector<std::pair<uint32_t, std::string>> &texts, uint32_t firstId, const char *format,
              uint32_t start, uint32_t end) {
  texts.emplace_back(firstId, Hex(format, start));
  texts.emplace_back(firstId + 1, Hex(format, end));
  texts.emplace_back(firstId + 2, Hex(format, end - start + 1));
}

} // namespace

std::vector<std::pair<uint32_t, std::string>> CompileInformationTexts(const CompileStatistics &s) {
  std::vector<std::pair<uint32_t, std::string>> texts;
  AddRange(texts, kRootCodeRowId, "%04X", s.rootCodeStart, s.rootCodeEnd);
  AddRange(texts, kXmemCodeRowId, "%05X", s.xmemCodeStart, s.xmemCodeEnd);
  AddRange(texts, kStackRowId, "%04X", s.stackStart, s.stackEnd);
  AddRange(texts, kFreeRowId, "%04X", s.freeStart, s.freeEnd);
  AddRange(texts, kRootDataRowId, "%04X", s.rootDataStart, s.rootDataEnd);
  const unsigned codeSize = (s.xmemCodeEnd - s.xmemCodeStart) + unsigned(s.rootCodeEnd - s.rootCodeStart) + 2;
  texts.emplace_back(kCodeSizeId, FormatMessage<kMsgCodeSize>(codeSize));
  texts.emplace_back(kRootDataSizeId, FormatMessage<kMsgRootDataSize>(unsigned(s.rootDataEnd - s.rootDataStart + 1)));
  texts.emplace_back(kLinesId, FormatMessage<kMsgLinesCompiled>(unsigned(s.lines)));
  const uint32_t ms = s.endMs - s.startMs;
  texts.emplace_back(kSecondsId, FormatMessage<kMsgCompileSeconds>(unsigned(ms / kMsPerSecond)));
  if (ms == 0)
    texts.emplace_back(kRateId, FormatMessage<kMsgNoLineRate>());
  else
    texts.emplace_back(kRateId, FormatMessage<kMsgLinesPerMinute>(unsigned(uint64_t(s.lines) * kMsPerMinute / ms)));
  texts.emplace_back(kBytesWrittenId, std::to_string(s.bytesWritten));
  texts.emplace_back(kBytesSentId, std::to_string(s.bytesSent));
  return texts;
}

void RunCompileInformationDialog(const LanguageModule &module, QWidget *parent, const CompileStatistics &statistics) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, kInformationTemplate, parent, nullptr);
  auto *dialog = dynamic_cast<QDialog *>(made.get());
  if (!dialog)
    return;
  for (const auto &[id, text] : CompileInformationTexts(statistics))
    if (auto *label = Control<QLabel>(*dialog, id))
      label->setText(QString::fromStdString(text));
  ExecTemplateDialog(*dialog);
}

} // namespace tsw
