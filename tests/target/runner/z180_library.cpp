#include "runner/z180_library.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "runner/asm_convert.h"

namespace tsw::target {

std::string Z180LibraryForSimulator(const std::string &libraryDir, std::vector<std::string> *problems) {
  namespace fs = std::filesystem;
  // In name order, so that every run lays the routines out alike.
  std::vector<fs::path> files;
  for (const auto &entry : fs::directory_iterator(libraryDir))
    if (entry.path().extension() == ".LIB")
      files.push_back(entry.path());
  std::ranges::sort(files);
  std::string all;
  for (const fs::path &file : files) {
    std::ifstream in(file, std::ios::binary);
    ConvertedAsm converted = ConvertLibraryAsm(std::string(std::istreambuf_iterator<char>(in), {}));
    if (problems)
      for (const std::string &problem : converted.problems)
        problems->push_back(file.filename().string() + " " + problem);
    all += converted.text;
  }
  return all + "_GLOBAL_INIT::\n\tret\nmain::\n\tret\nexit::\n\thalt\n";
}

} // namespace tsw::target
