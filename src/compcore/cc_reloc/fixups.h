#pragma once

#include "foundation/msgnumbers.h"
#include "foundation/addr24.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The label tables: every reference to a label not yet placed is written
// as a placeholder and kept as a fixup under the label, patched when the
// label is defined. One table lives for a function or top-level item, one
// for the compile.
namespace tsw {

// Flag word of a reference (bits 0x0001, 0x0002 and 0x0400 also of a
// definition).
enum : uint16_t {
  kFixLocal = 0x0001,
  kFixGlobal = 0x0002,
  kFixDirectoryWord = 0x0008,
  kFixRelative8 = 0x0010,
  kFixAbsolute8 = 0x0020,
  kFixLookupOnly = 0x0040,
  kFixAddress24 = 0x0080,
  kFixCaptureOpcode = 0x0100,
  kFixRootOnly = 0x0200,
  kFixBouncer = 0x0400,
  kFixPageByte = 0x2000,
  kFixNoPatch = 0x4000,
  kFixPageWord = 0x8000,
};

// ResetFixupTables masks.
enum : uint16_t { kResetLocal = 1, kResetGlobal = 2, kResetFinal = 7 };

// The assembler's long-call forms carry where they were written.
struct LcallFixup {
  uint16_t line = 0;
  std::string file;
  uint8_t longCall = 0;
  uint32_t page = 0;
};

struct BRFixupItem {
  uint32_t patchAddress = 0; // packed ADDR24 of the operand
  uint16_t addend = 0;
  uint16_t flags = 0;
  uint8_t opcode = 0; // non-zero: a jump or call to re-emit
  std::optional<LcallFixup> lcall;
};

struct BRFixupRec {
  std::vector<std::shared_ptr<BRFixupItem>> pending; // oldest first
  bool defined = false;
  uint32_t value = 0;
};

void InitFixupTables();
void FreeFixupTables();
// The label's value when defined, else the null address after recording
// the reference.
uint32_t ReferenceLabel(std::string_view name, uint32_t patchAddress, uint16_t flags, uint16_t addend = 0,
                        uint8_t opcode = 0, const LcallFixup *lcall = nullptr);
void DefineLabel(std::string_view name, uint32_t value, uint16_t flags);
void DefineLabelHere(std::string_view name, uint16_t flags);
void DefineTemporaryLabel(std::string_view name, uint32_t value, uint16_t flags);
void ResetFixupTables(uint16_t mask);
// The end of a program's text: the first global label still undefined is
// reported (fatal 785; in a watch compile the watch text is thrown). The
// table stays as it is for what the compile's end still reads of it.
void ReportUndefinedGlobalLabels();
void PurgeDefinedPendingLabels();

// While off, references record nothing (an expression compiled only for
// its type or size).
bool &LabelReferenceSwitch();

// The global labels first met as references, newest last. The compile loop
// asks for its size between every two top-level items: it is not copied.
const std::vector<std::string> &PendingLabelList();
// Takes the newest still-undefined pending label.
std::optional<std::string> PopPendingLabel();

// Read-only views for the map file and tests; null when absent.
const BRFixupRec *FindLocalLabel(std::string_view name);
const BRFixupRec *FindGlobalLabel(std::string_view name);
// Names in the order they first appeared.
std::vector<std::string> GlobalLabelNames();
std::vector<std::string> LocalLabelNames();

// The statement snapshot's share: a save point, back to the newest one
// (kept), and dropping the newest one with its changes kept.
void SaveFixupState();
void RestoreFixupState();
void DiscardFixupState();

} // namespace tsw
