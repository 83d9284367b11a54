#pragma once

#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_in/cc_in.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The compile loop: top-level items one after another until the input ends,
// the loop's own directives, the library interleave, the keyword matcher and
// the predefined target macros.
namespace tsw {

// The parser the loop hands each declaration or function definition to.
class TopLevelCompiler {
public:
  virtual ~TopLevelCompiler() = default;
  // A declaration or function definition at the cursor; 0 when nothing there
  // could be compiled.
  virtual int ParseDeclaration(int level) = 0;
};

// What the target macros are made of.
struct TargetMacroSettings {
  std::vector<std::string> projectMacros; // name, value, name, value...
  bool withoutBoard = false;
  // Board description of a compile without a board.
  uint16_t boardType = 0;
  int32_t crystalSpeed = 0;
  int32_t ramSize = 0;
  int32_t flashSize = 0;
  bool biosFirst = false; // keeps the previous identification block values
  int memoryMode = 0;     // 0 flash, 1 RAM, 2 mixed
  bool restrictWatchCode = false;
};

struct FlashGeometry {
  uint16_t sectorBytes;
  uint8_t flashPages; // 4096-byte pages
};
FlashGeometry LookupFlashDevice(uint16_t deviceId);

// What the IDE chose for this compile, as the target macros are made of it.
TargetMacroSettings TargetMacroSettingsOf(DirectiveShell &shell);
void DefineUserMacros(const std::vector<std::string> &pairs);
// The macros of the board; `link` may be null in a compile without a board.
void DefineBoardMacros(const TargetMacroSettings &settings, TargetLink *link);

// 1 when the text stands at the cursor (whole word when it ends in an
// identifier character); each consumed character is passed to the bracket
// checker. No blanks are skipped.
uint16_t MatchKeywordAtCursor(const char *text);
// Most tries fail on their first character, which costs no call here: the
// parser tries dozens of words at every declaration.
inline uint16_t MatchKeyword(const char *text) { return *InputCursor == *text ? MatchKeywordAtCursor(text) : 0; }
void SkipToken();

// Between top-level items: switches to the library modules that define
// waiting names, and back to the program at the cursor.
void InterleaveLibraryModules(bool force);
// "#ximport" "file" name: the file's size and bytes go into extended-memory
// code, and the macro `name` gets their physical address.
void ImportBinaryFile();
constexpr size_t kMaxImportName = 512;
constexpr size_t kInterleaveThreshold = 64;

void CompileTopLevel(TopLevelCompiler &compiler, bool biosCodeMode, const TargetMacroSettings &settings,
                     TargetLink *link);
void ResetCompileLoopModule();

} // namespace tsw
