#include "gui/watchlist.h"

#include "foundation/msgnumbers.h"
#include "foundation/xerr.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tsw {
namespace {

constexpr const char *kModule = "gui\\common\\tswwatch";
// One entry of a TCP/IP board's values: the record, then 16 bytes of text.
constexpr size_t kTcpTextSize = 16;
constexpr size_t kTcpEntrySize = gui::kWatchResultSize + kTcpTextSize;

bool SameAddress(ADDR24 a, ADDR24 b) { return Addr24ToLong(a) == Addr24ToLong(b); }

} // namespace

std::string cWatchList::GetExpression(size_t index) const {
  return index < watches_.size() ? watches_[index]->expression : std::string();
}

std::vector<std::string> cWatchList::Expressions() const {
  std::vector<std::string> texts;
  texts.reserve(watches_.size());
  for (const auto &watch : watches_)
    texts.push_back(watch->expression);
  return texts;
}

void cWatchList::Insert(int position, std::string_view text) {
  auto watch = std::make_unique<cWatch>();
  watch->expression = std::string(text);
  watch->compileFlag = kind_;
  cWatch &placed = **watches_.insert(
      position < 0 || size_t(position) >= watches_.size() ? watches_.end() : watches_.begin() + position,
      std::move(watch));
  if (compiled_ && cachedPc_) {
    try {
      Compile(placed, *cachedPc_);
    } catch (const xWatch &failure) {
      failure.Report();
    }
  }
}

void cWatchList::Release(cWatch &watch) {
  if (!watch.compiled || !services_)
    return;
  services_->SetWatchCodeAddress(watch.fragment);
  // The fragments after it stand in the area given back: the next compile
  // writes over them, so their watches are compiled again.
  for (const auto &other : watches_)
    if (other.get() != &watch && other->compiled && other->fragment >= watch.fragment) {
      other->compiled = false;
      compiled_ = false;
    }
  watch.compiled = false;
}

void cWatchList::Remove(size_t index) {
  if (index >= watches_.size())
    return;
  Release(*watches_[index]);
  watches_.erase(watches_.begin() + index);
}

void cWatchList::Clear() {
  // The last fragment first, so the area ends where the first began.
  for (auto it = watches_.rbegin(); it != watches_.rend(); ++it)
    Release(**it);
  watches_.clear();
}

std::string cWatchList::WatchStatement(ADDR24 resultVariable, std::string_view expression) {
  char pointer[16];
  std::snprintf(pointer, sizeof pointer, "0x%04X%04X", unsigned(Addr24Segment(resultVariable)),
                unsigned(Addr24Logical(resultVariable)));
  return "ReturnWatchValue((void *)" + std::string(pointer) + ", " + std::string(expression) + ");";
}

void cWatchList::Compile(cWatch &watch, ADDR24 pc) {
  if (!watch.compileFlag || !services_)
    return;
  watch.typeText.clear();
  watch.typeCode = 0;
  watch.compiled = false;
  watch.fragment = services_->WatchCodeAddress();
  std::optional<WatchServices::Scope> scope = services_->FunctionAt(pc);
  const bool inMain = !scope;
  if (inMain)
    scope = services_->MainFunction();
  if (!scope)
    throw xWatch(kMsgNoWatchScope, kModule, __LINE__);
  const uint16_t count =
      services_->CompileWatchStatement(WatchStatement(services_->WatchResultVariable(), watch.expression), *scope);
  if (count == 0)
    throw xWatch(kMsgWatchDoesNotCompile, kModule, __LINE__);
  watch.compiled = true;
  watch.scope = uint16_t(count - 1);
  watch.functionStart = scope->functionStart;
  if (inMain && count > 1)
    services_->ShowMessage(kMsgWatchScopeIsMain);
}

void cWatchList::CompileAll(ADDR24 pc) {
  cachedPc_ = pc;
  for (const auto &watch : watches_) {
    // A compiled watch keeps its fragment: compiling it again would leave
    // the old one standing in the area.
    if (watch->compiled)
      continue;
    try {
      Compile(*watch, pc);
    } catch (const xWatch &failure) {
      failure.Report();
    }
  }
  compiled_ = true;
}

void cWatchList::MarkUncompiled() {
  for (const auto &watch : watches_)
    watch->compiled = false;
  compiled_ = false;
}

void cWatchList::StoreTargetValues(size_t count, const uint8_t *entries, size_t size) {
  const size_t pairs = std::min({count, watches_.size(), size / kTcpEntrySize});
  for (size_t i = 0; i < pairs; ++i) {
    const uint8_t *entry = entries + i * kTcpEntrySize;
    cWatch &watch = *watches_[i];
    std::memcpy(watch.result.data(), entry, gui::kWatchResultSize);
    watch.tcpText.emplace();
    std::memcpy(watch.tcpText->data(), entry + gui::kWatchResultSize, kTcpTextSize);
  }
}

std::string cWatchList::FormatWatch(cWatch &watch, ADDR24 pc) {
  if (!services_)
    return gui::FormatWatchLine(watch.expression, "????", gui::WatchStatusText(uint8_t(gui::WatchStatus::kNoValue)));
  if (!cachedPc_ || !SameAddress(*cachedPc_, pc) || !cachedScope_) {
    cachedPc_ = pc;
    cachedScope_ = services_->FunctionAt(pc);
  }
  uint8_t status = uint8_t(gui::WatchStatus::kNoValue);
  const bool inOtherFunction =
      watch.scope == 1 && (!cachedScope_ || !SameAddress(cachedScope_->functionStart, watch.functionStart));
  if (watch.compiled && !inOtherFunction) {
    // Over TCP/IP the list's values came in one block already.
    status = services_->UsesTcp() ? uint8_t(gui::WatchStatus::kValue)
                                  : services_->Evaluate(watch.fragment, watch.result);
  }
  const gui::WatchResult result = gui::DecodeWatchResult(watch.result);
  if (status == uint8_t(gui::WatchStatus::kValue) && watch.typeText.empty()) {
    watch.typeCode = gui::CappedTypeCode(result.typeCode);
    watch.typeText = gui::WatchTypeText(result, watch.typeCode == uint8_t(gui::WatchType::kStruct)
                                                    ? services_->StructTag(result.typeCode)
                                                    : std::string());
  }
  std::string value;
  if (status == uint8_t(gui::WatchStatus::kValue)) {
    std::string text;
    if (gui::ShowsPointedText(result))
      text = watch.tcpText ? std::string(watch.tcpText->begin(), watch.tcpText->end())
                           : services_->ReadText(uint16_t(result.value));
    value = gui::WatchValueText(result, text);
  } else {
    value = gui::WatchStatusText(status);
  }
  return gui::FormatWatchLine(watch.expression, watch.typeText.empty() ? "????" : watch.typeText, value);
}

std::string cWatchList::FormatLine(size_t index, ADDR24 pc) {
  return index < watches_.size() ? FormatWatch(*watches_[index], pc) : std::string();
}

} // namespace tsw
