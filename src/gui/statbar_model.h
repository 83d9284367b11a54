#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "gui/placement.h"
#include "foundation/msgnumbers.h"

// The status bar's fields, their layout and their texts, apart from the
// widget that paints them: the layout is measured in the bar's own font
// through a measurer that tests replace.
namespace tsw {

class TextMeasurer {
public:
  virtual ~TextMeasurer() = default;
  virtual Size Extent(const std::string &text) const = 0;
};

enum class StatusField : uint8_t { Message, Line, Column, Modified, Insert, Mode, Priority, Filler };
inline constexpr size_t kStatusFieldCount = 8;

// The numbered texts the bar shows, each read into 40 characters.
struct StatusTexts {
  std::string lineFormat, columnFormat, modified, insert, overwrite, priorityOff, priorityOn;
  std::array<std::string, 4> mode;
  // From the language module.
  static StatusTexts Load();
};


class StatusBarModel {
public:
  // Lays the fields out for a bar `barWidth` wide.
  StatusBarModel(const TextMeasurer &measurer, StatusTexts texts, int barWidth);

  // Until the end of start-up every text is ignored.
  void EnableTexts() { enabled_ = true; }
  bool TextsEnabled() const { return enabled_; }

  // Line in the high 16 bits, column in the low; a negative line empties both.
  void SetLineColumn(uint32_t position);
  void SetModified(bool modified);
  void SetInsertMode(bool insert);
  void SetModeText(int index);
  // An interrupt priority; negative empties the field. On the Corvid
  // processor the priority itself is shown, on the Z180 only off or on.
  void SetPriority(int16_t value, bool corvid);
  // A message too wide for its field is shown in an overlay over the
  // fields to its right, until the next message; empty clears it.
  void ShowMessage(const std::string &text);
  void Resize(int width, int height);

  // The latest text of a field, shown whenever no overlay covers it.
  const std::string &Text(StatusField field) const { return fields_[Index(field)].text; }
  bool Covered(StatusField field) const;
  const Rect &Box(StatusField field) const { return fields_[Index(field)].box; }
  const std::optional<Rect> &Overlay() const { return overlay_; }
  const std::string &OverlayText() const { return overlayText_; }
  int Height() const { return height_; }

private:
  struct Field {
    Rect box;
    size_t capacity = 0; // terminating zero included
    std::string text;
  };
  static size_t Index(StatusField field) { return static_cast<size_t>(field); }
  void SetText(StatusField field, const std::string &text);

  const TextMeasurer *measurer_;
  StatusTexts texts_;
  std::array<Field, kStatusFieldCount> fields_;
  std::optional<Rect> overlay_;
  std::string overlayText_;
  int height_ = 0;
  bool enabled_ = false;
};

} // namespace tsw
