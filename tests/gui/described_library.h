#pragma once

#include <string>

#include "compcore/cc_mod/cc_mod.h"
#include "support/tempdir.h"

namespace tsw::testing {

// Two libraries: STRING describes strcpy (with CR LF line ends, as the
// libraries are written) and strlen; MATH describes sqrt, and also a
// strlen of its own, so a bare "strlen" names no single function.
inline const char kStringLib[] = "/*** beginheader strcpy, strlen */\r\n"
                          "/*** endheader */\r\n"
                          "/* START FUNCTION DESCRIPTION ********\r\n"
                          "strcpy     <STRING.LIB>\r\n"
                          "SYNTAX: char *strcpy(char *dst, char *src);\r\n"
                          "PARAMETER1: Where the copy goes.\r\n"
                          "END DESCRIPTION **********/\r\n"
                          "char *strcpy(char *dst, char *src) { return dst; }\r\n"
                          "/* START FUNCTION DESCRIPTION ********\r\n"
                          "strlen\r\n"
                          "SYNTAX: int strlen(char *s);\r\n"
                          "END DESCRIPTION **********/\r\n";
inline const char kMathLib[] = "/*** beginheader sqrt */\n"
                        "/*** endheader */\n"
                        "/* START FUNCTION DESCRIPTION ****\n"
                        "sqrt\n"
                        "SYNTAX: float sqrt(float x);\n"
                        "END DESCRIPTION */\n"
                        "/* START FUNCTION DESCRIPTION ****\n"
                        "strlen\n"
                        "END DESCRIPTION */\n";

// Both libraries indexed as the compiler indexes them, for one test.
class DescribedLibraries {
public:
  bool Build() {
    SetLibraryProgramDirectory(dir.path());
    stringLib = dir.Write("LIB/STRING.LIB", kStringLib);
    dir.Write("LIB/MATH.LIB", kMathLib);
    return BuildLibraryIndex(dir.Write("LIB.DIR", "LIB\\STRING.LIB\nLIB\\MATH.LIB\n")) == 0;
  }
  ~DescribedLibraries() { ResetLibraryIndexModule(); }

  // The index's name of library 0 (STRING) or 1 (MATH).
  static std::string Name(int index) {
    return std::string(DescriptionIndex().Libraries()[size_t(index)]->name.View());
  }
  // The one entry `text` ("f" or "f in LIB") names; null when none is.
  static ZModEntry *Find(const std::string &text) {
    ZModEntry *entry = nullptr;
    return FindLibraryFunction(text, &entry, false) == 1 ? entry : nullptr;
  }

  TempDir dir;
  std::string stringLib;
};

} // namespace tsw::testing
