#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tsw::testing {

// A fresh directory for one test, removed with everything in it afterwards.
class TempDir {
public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tsw-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  const std::string &path() const { return path_; }
  std::string operator/(const std::string &name) const { return path_ + "/" + name; }

  // Writes `contents` to `name`, making the directories on the way.
  std::string Write(const std::string &name, const std::string &contents) const {
    std::filesystem::path file = std::filesystem::path(path_) / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << contents;
    return file.string();
  }

  std::string Read(const std::string &name) const {
    std::ifstream in(std::filesystem::path(path_) / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

private:
  std::string path_;
};

} // namespace tsw::testing
