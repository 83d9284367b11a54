#pragma once

#include "foundation/msgcatalog.h"
#include "foundation/restext.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>

// Header only: every test executable reaches tests/ on its include path,
// and not every one links the fakes library.
namespace tsw::testing {

// The message texts of a test, in place of the language module. A number
// the test gave no text for answers with what `missing` makes of it, or
// with no text at all when there is no `missing`.
class FakeTexts : public MessageTexts {
public:
  using MissingText = std::function<std::string(unsigned id)>;

  explicit FakeTexts(std::map<unsigned, std::string> texts = {}, MissingText missing = {})
      : texts_(std::move(texts)), missing_(std::move(missing)) {}

  const char *Find(unsigned id) const override {
    auto it = texts_.find(id);
    if (it == texts_.end()) {
      if (!missing_)
        return nullptr;
      // Kept, so that the text outlives the caller's use of it.
      it = texts_.emplace(id, missing_(id)).first;
    }
    return it->second.c_str();
  }
  void Set(unsigned id, std::string text) { texts_[id] = std::move(text); }
  // Message `id` shows its number and then each argument, as "140 d LIB",
  // so that a test checks what the message says and not its wording.
  void ShowNumberAndArguments(unsigned id) {
    std::string text = std::to_string(id);
    const MessageSignature &signature = kMessageSignatures[CatalogueIndex(id)];
    for (uint8_t i = 0; i < signature.argCount; ++i)
      text += signature.args[i] == ArgKind::kText ? " %s" : " %d";
    texts_[id] = std::move(text);
  }

private:
  mutable std::map<unsigned, std::string> texts_;
  MissingText missing_;
};

// A number without a text shows as "[number]".
inline std::string NumberInBrackets(unsigned id) { return "[" + std::to_string(id) + "]"; }

// Fake texts that are the ones in use while the object lives.
class InstalledTexts : public FakeTexts {
public:
  explicit InstalledTexts(std::map<unsigned, std::string> texts = {}, MissingText missing = {})
      : FakeTexts(std::move(texts), std::move(missing)) {
    SetMessageTexts(this);
  }
  // The shared text buffer is emptied too: it may hold one of these texts.
  ~InstalledTexts() override { ResetMessageTextModule(); }
  InstalledTexts(const InstalledTexts &) = delete;
  InstalledTexts &operator=(const InstalledTexts &) = delete;
};

} // namespace tsw::testing
