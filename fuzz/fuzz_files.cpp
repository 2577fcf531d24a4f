#include "fuzz/fuzz_files.h"

#include <zip.h>

#include "workbook/error.h"
#include "workbook/table.h"

namespace fuzz {

bool WriteZip(const std::string& path,
              const std::vector<std::pair<std::string, std::string>>& members) {
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (zip == nullptr) return false;
  for (const auto& [name, content] : members) {
    zip_source_t* source = zip_source_buffer(zip, content.data(), content.size(), 0);
    const zip_int64_t index =
        source == nullptr ? -1 : zip_file_add(zip, name.c_str(), source, ZIP_FL_OVERWRITE);
    if (index < 0) {
      zip_source_free(source);
      zip_discard(zip);
      return false;
    }
    // Stored, not deflated: compressing every input would cost more than parsing it.
    zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
  }
  if (zip_close(zip) != 0) {
    zip_discard(zip);
    return false;
  }
  return true;
}

void ReadWholeWorkbook(const std::string& path) {
  constexpr std::size_t kRowsPerSheet = 20000;
  try {
    auto book = workbook::OpenWorkbook(path);
    for (std::size_t i = 0; i < book->Sheets().size() && i < 16; ++i) {
      workbook::TableReader table(book->OpenSheet(i));
      workbook::Row row;
      for (std::size_t n = 0; n < kRowsPerSheet && table.Next(row); ++n) {
      }
    }
  } catch (const workbook::Error&) {
  }
}

}  // namespace fuzz
