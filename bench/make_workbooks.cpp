// Makes the benchmark workbooks (libxlsxwriter), in the shapes operators'
// files and their worst cases take:
//   small.xlsx    "Channels": 20 satellites x (1 + 20 TPs) = 420 data rows, shared strings
//   big.xlsx      "Channels": 200,000 data rows, inline strings (constant memory mode)
//   big-sst.xlsx  the same cells with shared strings, as Excel writes them
//   wide.xlsx     "Notes" (999,999 unrelated rows x 4 columns) first, then the small "Channels"
// usage: make_workbooks OUTDIR
#include <xlsxwriter.h>

#include <cstdio>
#include <string>

namespace {

const char* kHeader[] = {"ProgName(SateName)", "Fre(Longitude)", "SymbolRate(LocalFre1)",
                         "Polar(LocalFre2)"};

void ChannelSheet(lxw_worksheet* ws, int dataRows) {
  for (lxw_col_t c = 0; c < 4; ++c) worksheet_write_string(ws, 0, c, kHeader[c], nullptr);
  lxw_row_t row = 1;
  for (int sat = 1; static_cast<int>(row) <= dataRows; ++sat) {
    char text[32];
    std::snprintf(text, sizeof text, "#Sat %d", sat);
    worksheet_write_string(ws, row, 0, text, nullptr);
    const double lon = (sat * 7) % 1800 / 10.0;
    std::snprintf(text, sizeof text, "%.1f%s", lon, sat % 2 ? "E" : "W");
    worksheet_write_string(ws, row, 1, text, nullptr);
    worksheet_write_number(ws, row, 2, 9750, nullptr);
    worksheet_write_number(ws, row, 3, 10600, nullptr);
    ++row;
    for (int j = 0; j < 20 && static_cast<int>(row) <= dataRows; ++j, ++row) {
      worksheet_write_number(ws, row, 1, 10700 + (sat * 37 + j * 101) % 2051, nullptr);
      worksheet_write_number(ws, row, 2, 22000 + ((sat * 13 + j * 7) % 9) * 1000, nullptr);
      worksheet_write_string(ws, row, 3, (sat + j) % 2 == 0 ? "H" : "V", nullptr);
    }
  }
}

void NotesSheet(lxw_worksheet* ws, int rows) {
  const char* header[] = {"Id", "Item", "Value", "State"};
  const char* states[] = {"ok", "check", "todo", "done"};
  for (lxw_col_t c = 0; c < 4; ++c) worksheet_write_string(ws, 0, c, header[c], nullptr);
  for (lxw_row_t r = 1; r < static_cast<lxw_row_t>(rows); ++r) {
    char item[24];
    std::snprintf(item, sizeof item, "item %u", r % 1000);
    worksheet_write_number(ws, r, 0, r, nullptr);
    worksheet_write_string(ws, r, 1, item, nullptr);
    worksheet_write_number(ws, r, 2, r * 0.25, nullptr);
    worksheet_write_string(ws, r, 3, states[r % 4], nullptr);
  }
}

bool Make(const std::string& path, bool constantMemory, bool withNotes, int channelRows) {
  lxw_workbook_options options{};
  options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
  lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
  if (wb == nullptr) return false;
  if (withNotes) NotesSheet(workbook_add_worksheet(wb, "Notes"), 1000000);
  ChannelSheet(workbook_add_worksheet(wb, "Channels"), channelRows);
  return workbook_close(wb) == LXW_NO_ERROR;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_workbooks OUTDIR\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  const bool ok =
      Make(dir + "small.xlsx", false, false, 420) && Make(dir + "big.xlsx", true, false, 200000) &&
      Make(dir + "big-sst.xlsx", false, false, 200000) && Make(dir + "wide.xlsx", true, true, 420);
  return ok ? 0 : 1;
}
