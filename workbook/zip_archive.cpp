#include "workbook/zip_archive.h"

#include "workbook/error.h"

namespace workbook {
namespace {
constexpr std::uint64_t kDefaultMaxMemberBytes = std::uint64_t{1} << 30;
std::uint64_t g_maxMemberBytes = kDefaultMaxMemberBytes;
}  // namespace

std::uint64_t MaxMemberBytes() { return g_maxMemberBytes; }

namespace testing {
void SetMaxMemberBytes(std::uint64_t cap) {
  g_maxMemberBytes = cap != 0 ? cap : kDefaultMaxMemberBytes;
}
}  // namespace testing

std::unique_ptr<ZipArchive> ZipArchive::Open(const std::string& path) {
  int code = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (zip != nullptr) return std::unique_ptr<ZipArchive>(new ZipArchive(zip));
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  const std::string reason = zip_error_strerror(&error);
  zip_error_fini(&error);
  switch (code) {
    case ZIP_ER_NOZIP:
      return nullptr;
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
    case ZIP_ER_NOENT:
    case ZIP_ER_MEMORY:
      throw Error(Error::Kind::CannotOpen, "cannot read the file: " + reason);
    default:
      throw Error(Error::Kind::Damaged, "the ZIP container is damaged: " + reason);
  }
}

ZipArchive::~ZipArchive() { zip_discard(zip_); }

std::optional<std::uint64_t> ZipArchive::Find(const std::string& name) const {
  const zip_int64_t index = zip_name_locate(zip_, name.c_str(), ZIP_FL_NOCASE);
  if (index < 0) return std::nullopt;
  return static_cast<std::uint64_t>(index);
}

std::unique_ptr<ZipMember> ZipArchive::OpenMember(std::uint64_t index,
                                                  const std::string& name) const {
  zip_file_t* file = zip_fopen_index(zip_, index, 0);
  if (file == nullptr) {
    throw Error(Error::Kind::Damaged,
                "the part '" + name + "' cannot be read: " + zip_strerror(zip_));
  }
  return std::make_unique<ZipMember>(file, name, MaxMemberBytes());
}

std::optional<std::string> ZipArchive::ReadSmall(const std::string& name, std::size_t limit) const {
  const auto index = Find(name);
  if (!index) return std::nullopt;
  auto member = OpenMember(*index, name);
  std::string text(limit, '\0');
  std::size_t filled = 0;
  while (filled < limit) {
    const std::size_t n = member->Read(text.data() + filled, limit - filled);
    if (n == 0) break;
    filled += n;
  }
  text.resize(filled);
  return text;
}

ZipMember::~ZipMember() { zip_fclose(file_); }

std::size_t ZipMember::Read(char* buffer, std::size_t size) {
  const zip_int64_t n = zip_fread(file_, buffer, size);
  if (n < 0) {
    throw Error(Error::Kind::Damaged, "the part '" + name_ + "' is damaged: " +
                                          zip_error_strerror(zip_file_get_error(file_)));
  }
  total_ += static_cast<std::uint64_t>(n);
  if (total_ > cap_) {
    throw Error(Error::Kind::TooLarge, "the part '" + name_ + "' inflates to more than " +
                                           std::to_string(cap_) +
                                           " bytes; the file looks like a zip bomb");
  }
  return static_cast<std::size_t>(n);
}

}  // namespace workbook
