#include "gui/statbar_model.h"

#include <algorithm>
#include <initializer_list>

#include "foundation/restext.h"
#include "platform/format.h"

namespace tsw {
namespace {

constexpr int kTextBufferSize = 40;
// Room around a text inside its sunken border.
constexpr int kFieldPadding = 16;
constexpr int kBarPadding = 10;
// The widest line or column number the fields make room for.
constexpr int kWidestNumber = 30000;
constexpr const char *kWidestMessage = "123456789012345678";
constexpr const char *kWidestPriority = "IP=0xff";
constexpr const char *kCorvidPriority = "IP=%02x";

struct FieldSpec {
  StatusField field;
  size_t capacity;
};
constexpr FieldSpec kFieldSpecs[kStatusFieldCount] = {
    {StatusField::Message, 36}, {StatusField::Line, 20}, {StatusField::Column, 20},   {StatusField::Modified, 20},
    {StatusField::Insert, 20},  {StatusField::Mode, 20}, {StatusField::Priority, 30}, {StatusField::Filler, 240},
};

std::string LoadText(unsigned id) {
  char buf[kTextBufferSize];
  LoadResourceString(id, buf, kTextBufferSize);
  return buf;
}

} // namespace

StatusTexts StatusTexts::Load() {
  StatusTexts texts;
  texts.lineFormat = LoadText(kMsgStatLine);
  texts.columnFormat = LoadText(kMsgStatColumn);
  texts.modified = LoadText(kMsgStatModified);
  texts.insert = LoadText(kMsgStatInsert);
  texts.overwrite = LoadText(kMsgStatOverwrite);
  texts.mode = {LoadText(kMsgStatMode0), LoadText(kMsgStatMode1), LoadText(kMsgStatMode2), LoadText(kMsgStatMode3)};
  texts.priorityOn = LoadText(kMsgStatPriorityOn);
  texts.priorityOff = LoadText(kMsgStatPriorityOff);
  return texts;
}

StatusBarModel::StatusBarModel(const TextMeasurer &measurer, StatusTexts texts, int barWidth)
    : measurer_(&measurer), texts_(std::move(texts)) {
  auto widest = [&](std::initializer_list<std::string> candidates) {
    int width = 0;
    for (const std::string &text : candidates)
      width = std::max(width, measurer_->Extent(text).width + kFieldPadding);
    return width;
  };
  const std::string line = plat::FormatText(texts_.lineFormat, kWidestNumber);
  const std::string column = plat::FormatText(texts_.columnFormat, kWidestNumber);
  const int widths[kStatusFieldCount] = {
      widest({kWidestMessage}),
      widest({line}),
      widest({column}),
      widest({texts_.modified}),
      widest({texts_.insert, texts_.overwrite}),
      widest({texts_.mode[0], texts_.mode[1], texts_.mode[2], texts_.mode[3]}),
      widest({texts_.priorityOn, texts_.priorityOff, kWidestPriority}),
      0,
  };
  height_ = measurer_->Extent("A").height + kBarPadding;
  int x = 0;
  for (size_t i = 0; i < kStatusFieldCount; ++i) {
    fields_[i].capacity = kFieldSpecs[i].capacity;
    fields_[i].box = {x, 0, widths[i], height_};
    x += widths[i];
  }
  Field &filler = fields_[Index(StatusField::Filler)];
  filler.box.width = std::max(0, barWidth - filler.box.x);
}

bool StatusBarModel::Covered(StatusField field) const { return overlay_ && overlay_->Right() > Box(field).x; }

// A field always keeps its latest text; an overlay only hides it for the
// time it is shown, so nothing under it turns stale.
void StatusBarModel::SetText(StatusField field, const std::string &text) {
  if (!enabled_)
    return;
  Field &f = fields_[Index(field)];
  f.text = text.substr(0, f.capacity - 1);
}

void StatusBarModel::SetLineColumn(uint32_t position) {
  auto line = static_cast<int16_t>(position >> 16);
  if (line < 0) {
    SetText(StatusField::Line, "");
    SetText(StatusField::Column, "");
    return;
  }
  SetText(StatusField::Line, plat::FormatText(texts_.lineFormat, int(line)));
  SetText(StatusField::Column, plat::FormatText(texts_.columnFormat, int(position & 0xFFFF)));
}

void StatusBarModel::SetModified(bool modified) { SetText(StatusField::Modified, modified ? texts_.modified : ""); }

void StatusBarModel::SetInsertMode(bool insert) {
  SetText(StatusField::Insert, insert ? texts_.insert : texts_.overwrite);
}

void StatusBarModel::SetModeText(int index) {
  bool known = index >= 0 && index < int(texts_.mode.size());
  SetText(StatusField::Mode, known ? texts_.mode[size_t(index)] : "");
}

void StatusBarModel::SetPriority(int16_t value, bool corvid) {
  if (value < 0)
    SetText(StatusField::Priority, "");
  else if (corvid)
    SetText(StatusField::Priority, plat::FormatText(kCorvidPriority, value & 0xFF));
  else
    SetText(StatusField::Priority, value == 0 ? texts_.priorityOff : texts_.priorityOn);
}

void StatusBarModel::ShowMessage(const std::string &text) {
  if (text.empty()) {
    if (overlay_)
      overlay_.reset();
    else
      SetText(StatusField::Message, "");
    return;
  }
  overlay_.reset();
  int width = measurer_->Extent(text).width + kFieldPadding;
  if (width <= Box(StatusField::Message).width) {
    SetText(StatusField::Message, text);
    return;
  }
  // Widen the overlay to the right edge of the field it ends in.
  for (size_t i = kStatusFieldCount; i-- > Index(StatusField::Line);) {
    if (fields_[i].box.x <= width) {
      width = fields_[i].box.Right();
      break;
    }
  }
  if (!enabled_)
    return;
  overlay_ = Rect{0, 0, width, Box(StatusField::Line).height};
  overlayText_ = text;
}

void StatusBarModel::Resize(int width, int height) {
  height_ = height;
  for (Field &f : fields_)
    f.box.height = height;
  Field &filler = fields_[Index(StatusField::Filler)];
  if (width - filler.box.x > 0)
    filler.box.width = width - filler.box.x;
  if (overlay_)
    overlay_->height = height;
}

} // namespace tsw
