#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text form of a language module's menus and accelerator tables:
//
//   menu TSW_MENU                     accelerators EDIT_ACC
//     popup "&File"                     key "Ctrl+N" 24331
//       item 24331 "&New"             end
//       separator
//     end
//   end
//
// Blank lines and lines starting with '#' are skipped; a quoted text takes
// \" and \\. Keys are written as Qt's portable key texts. Parsed the same
// way when the module is built (a malformed text stops the build) and when
// the program builds its menus.
namespace tsw {

struct MenuNode {
  enum class Kind : uint8_t { kItem, kSeparator, kPopup };
  Kind kind = Kind::kItem;
  uint32_t id = 0; // command id of an item
  std::string text;
  std::vector<MenuNode> children; // of a popup
};

struct MenuResource {
  std::string name;
  std::vector<MenuNode> items;
};

struct Accelerator {
  std::string key;
  uint32_t id = 0;
};

struct AcceleratorTable {
  std::string name;
  std::vector<Accelerator> keys;
};

struct MenuResources {
  std::vector<MenuResource> menus;
  std::vector<AcceleratorTable> accelerators;
};

// The resources of `text`, or nothing with "line N: reason" in `error`.
std::optional<MenuResources> ParseMenuResources(std::string_view text, std::string *error);

// The text form of one resource, as ParseMenuResources reads it back.
std::string FormatMenuResource(const MenuResource &menu);
std::string FormatAcceleratorTable(const AcceleratorTable &table);

// Every command id the menu holds, popups walked in order.
std::vector<uint32_t> MenuCommandIds(const MenuResource &menu);

} // namespace tsw
