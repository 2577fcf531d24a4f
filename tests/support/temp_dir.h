#pragma once
// A unique temporary folder per test, removed with everything in it.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

class TempDir {
 public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "zembra-";
    if (info != nullptr) name += std::string(info->test_suite_name()) + "-" + info->name() + "-";
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    std::string pattern = (std::filesystem::temp_directory_path() / (name + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder with a trailing '/', as module directories are kept.
  std::string dir() const { return path_.string() + "/"; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
