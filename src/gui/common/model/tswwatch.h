#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// What a watch's value looks like in the watch pane: the 10-byte record the
// board's ReturnWatchValue stores, the type the record describes, the value
// as the user reads it, and the line that puts expression, type and value
// in their columns. No window and no board: the pane and the evaluation
// hand in the bytes.
namespace tsw::gui {

inline constexpr size_t kWatchResultSize = 10;
using WatchResultBytes = std::array<uint8_t, kWatchResultSize>;

// The compiler's basic type codes as the record carries them.
enum class WatchType : uint8_t {
  kChar = 1,
  kInt = 2,
  kUnsigned = 3,
  kLong = 4,
  kUnsignedLong = 5,
  kFloat = 7,
  kLabel = 11,
  kVoid = 12,
  kStruct = 16, // and every code above: structures and unions
};

// The declarator word: four bits a level from the lowest; the two low bits
// of a level say what it is, bit 2 makes it const. The first level without
// a kind ends the declarator, and its const bit is the base type's.
enum class DeclaratorLevel : uint8_t { kNone = 0, kArray = 1, kPointer = 2, kFunction = 3 };
inline constexpr uint32_t kLevelKindMask = 0x3;
inline constexpr uint32_t kLevelConstBit = 0x4;
inline constexpr size_t kMaxDeclaratorLevels = 8;

struct WatchResult {
  uint8_t size = 0;
  uint8_t typeCode = 0;
  uint32_t declarator = 0;
  uint32_t value = 0;
};

// Low byte first, as the board stores it; a value wider than 4 bytes (a
// structure) carries no value.
WatchResult DecodeWatchResult(const WatchResultBytes &bytes);

// Structure codes all read as one type.
inline uint8_t CappedTypeCode(uint8_t code) { return code > uint8_t(WatchType::kStruct) ? uint8_t(WatchType::kStruct) : code; }

// "unsigned int", "const char *", "struct point *", "int []"...; `structTag`
// names a structure type.
std::string WatchTypeText(const WatchResult &result, std::string_view structTag = {});

// A char pointer: its value shows the text it points to.
bool ShowsPointedText(const WatchResult &result);

// The value column of an evaluated watch. `pointedText` holds the bytes a
// char pointer points to, as read from the board.
std::string WatchValueText(const WatchResult &result, std::string_view pointedText = {});

// A character or string as C source would write it, quotes included. A
// string ends at its NUL or once its text has passed 32 bytes.
std::string QuoteTargetChar(uint8_t c);
std::string QuoteTargetString(std::string_view bytes);

// How far a watch got: a value, nothing to show, or the reason there is
// none.
enum class WatchStatus : uint8_t { kValue = 0, kNoValue = 1, kNotAvailable = 2, kTargetBusy = 3 };
// The value column for a status without a value.
std::string WatchStatusText(uint8_t status);

// Expression, type and value in columns of 30, 16 and 29.
std::string FormatWatchLine(std::string_view expression, std::string_view type, std::string_view value);

} // namespace tsw::gui
