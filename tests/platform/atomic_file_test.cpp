// The TP file is replaced whole or not at all.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "platform/atomic_file.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::size_t FilesIn(const fs::path& folder) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(AtomicFile, WritesANewFileAndReplacesAnOldOneKeepingItsMode) {
  TempDir dir;
  const std::string path = (dir.path() / "tp.bin").string();
  std::string error;
  ASSERT_TRUE(platform::WriteFileAtomically(path, "first", 5, &error)) << error;
  EXPECT_EQ(ReadFileBytes(path), "first");
  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(platform::WriteFileAtomically(path, "second!", 7, &error)) << error;
  EXPECT_EQ(ReadFileBytes(path), "second!");
  struct stat st {};
  ::stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(FilesIn(dir.path()), 1u) << "no temporary file is left behind";
}

TEST(AtomicFile, AFailureLeavesTheOldFileAndNoTemporaryFile) {
  TempDir dir;
  std::string error;
  EXPECT_FALSE(
      platform::WriteFileAtomically((dir.path() / "missing" / "tp.bin").string(), "x", 1, &error));
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
  // A folder where the file should go: the rename fails, the folder stays.
  const fs::path folder = dir.path() / "tp.dat";
  fs::create_directory(folder);
  std::ofstream(folder / "inside") << "kept";
  EXPECT_FALSE(platform::WriteFileAtomically(folder.string(), "x", 1, &error));
  EXPECT_EQ(ReadFileBytes(folder / "inside"), "kept");
  EXPECT_EQ(FilesIn(dir.path()), 1u);
}

}  // namespace
