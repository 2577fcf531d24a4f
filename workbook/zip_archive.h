#pragma once
// A read-only ZIP archive (libzip) whose members are read as streams, with
// a cap on the bytes actually inflated: the sizes a member claims are never
// trusted.
#include <zip.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace workbook {

// Inflated bytes one member may yield before it counts as a zip bomb:
// 1 GiB, far above what a sheet of a million rows inflates to.
std::uint64_t MaxMemberBytes();

namespace testing {
// Lowers (or restores, with 0) the cap, so tests need not inflate 1 GiB.
void SetMaxMemberBytes(std::uint64_t cap);
}  // namespace testing

class ZipMember;

class ZipArchive {
 public:
  // Nothing when the file is not a ZIP archive; throws CannotOpen when it
  // cannot be read, Damaged when it is a broken one.
  static std::unique_ptr<ZipArchive> Open(const std::string& path);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // The index of a member by name, letter case ignored as OPC names are.
  std::optional<std::uint64_t> Find(const std::string& name) const;
  // Opens a member for streaming; throws Damaged when it cannot be inflated.
  std::unique_ptr<ZipMember> OpenMember(std::uint64_t index, const std::string& name) const;
  // A whole (small) member, for the mimetype; nothing when absent.
  std::optional<std::string> ReadSmall(const std::string& name, std::size_t limit) const;

 private:
  explicit ZipArchive(zip_t* zip) : zip_(zip) {}
  zip_t* zip_;
};

class ZipMember {
 public:
  ZipMember(zip_file_t* file, std::string name, std::uint64_t cap)
      : file_(file), name_(std::move(name)), cap_(cap) {}
  ~ZipMember();
  ZipMember(const ZipMember&) = delete;
  ZipMember& operator=(const ZipMember&) = delete;

  // Up to size bytes; 0 at the end. Throws Damaged on a broken stream and
  // TooLarge past the cap.
  std::size_t Read(char* buffer, std::size_t size);
  const std::string& name() const { return name_; }

 private:
  zip_file_t* file_;
  std::string name_;
  std::uint64_t cap_;
  std::uint64_t total_ = 0;
};

}  // namespace workbook
