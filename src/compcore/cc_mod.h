#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The library module index (which module of which library defines a name)
// and the function-description index, rebuilt from the library directory
// file and cached per library in ".MD1" and ".HX1" files beside it.
namespace tsw {

struct ZLibEntry;

struct ZModEntry {
  uint32_t headerStart = 0;
  uint32_t headerEnd = 0;
  uint16_t headerLine = 0;
  uint32_t bodyStart = 0;
  uint32_t bodyEnd = 0;
  uint16_t bodyLine = 0;
  uint8_t flags = kModuleUsed;
  ZLibEntry *library = nullptr;
  std::vector<std::string> names;
  static constexpr uint8_t kModuleUsed = 2;
};

struct ZLibEntry {
  std::string name; // the library's path, upper-cased
  uint32_t fileTime = 0;
  uint8_t flags = 0; // kNamesEntered
  std::vector<std::unique_ptr<ZModEntry>> modules;
  static constexpr uint8_t kNamesEntered = 1;
};

struct ZLibMaster {
  // Keyed by name and library (null in the module index).
  std::map<std::pair<std::string, const ZLibEntry *>, ZModEntry *> hash;
  std::vector<std::unique_ptr<ZLibEntry>> libraries;
};
ZLibMaster &ModuleIndex();
ZLibMaster &DescriptionIndex();

inline constexpr unsigned kMsgIndexing = 137;
inline constexpr unsigned kMsgTakingModule = 140;
inline constexpr unsigned kMsgReadingLibrary = 145;
inline constexpr unsigned kMsgNoLibraryFile = 510;
inline constexpr unsigned kMsgModuleAlreadyTaken = 521;
inline constexpr unsigned kMsgDuplicateName = 527;
inline constexpr unsigned kMsgAnyLibrary = 727;
inline constexpr unsigned kMsgCannotOpenLibrary = 728;
inline constexpr unsigned kMsgLibraryChanged = 811;
inline constexpr unsigned kMsgNestedHeader = 2122;
inline constexpr unsigned kMsgStrayEndHeader = 2123;
inline constexpr unsigned kMsgUnclosedHeader = 2124;

// Where the index's notices and message boxes go (message number and its
// string arguments).
struct LibraryIndexMessage {
  unsigned message;
  std::vector<std::string> args;
  bool box;
};
void SetLibraryIndexMessages(std::function<void(const LibraryIndexMessage &)> sink);

// The program's directory: only caches naming a library below it are taken.
void SetLibraryProgramDirectory(const std::string &dir);
// 1 when the directory file cannot be found, else 0.
int BuildLibraryIndex(const std::string &libDirFile);
// Fills both entries from the library's text (throws on header errors).
void ScanLibraryFile(const std::string &path, ZLibEntry &modules, ZLibEntry &descriptions);
bool LoadLibraryIndexCache(ZLibEntry &entry, const std::string &path, std::string_view ext);
void SaveLibraryIndexCache(const ZLibEntry &entry, const std::string &path, std::string_view ext);
void InsertLibraryNames(ZLibEntry &library, ZLibMaster &index, bool withLibrary);
// Clears every module's used flag and every library's names-entered flag.
void ClearLibraryLinkMarks();
// The next module to take for the first name of `undefined` the index
// knows; null when none (or after error 521).
ZModEntry *NextNeededModule(const std::vector<std::string> &undefined);
// 1 when exactly one description matches `text` ("f" or "f in LIB").
int FindLibraryFunction(const std::string &text, ZModEntry **entry, bool exact);
void ListLibraryFunctions(const std::function<void(const std::string &)> &add);

void ResetLibraryIndexModule();

} // namespace tsw
