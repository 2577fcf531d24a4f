#include "fuzz/fuzz_files.h"

#include "workbook/error.h"
#include "workbook/table.h"

namespace fuzz {

void ReadWholeWorkbook(std::string bytes) {
  constexpr std::size_t kRowsPerSheet = 20000;
  try {
    auto book = workbook::OpenWorkbookBytes(std::move(bytes));
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
