// zembra-tp export: a workbook, written with libxlsxwriter, that `build`
// turns back into the same TP file.
#include <xlsxwriter.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>

#include "ExcelReader/source/SatelliteReader.h"
#include "cli/commands.h"
#include "cli/tp_file_support.h"
#include "platform/codepage.h"

namespace zembra_cli {
namespace {

// Why a name cannot be written so that the import reads back the same bytes.
std::optional<std::string> Unrepresentable(const SatelliteInfo& s, const TpFileOptions& options) {
  const std::string_view bytes = s.sateName();
  const std::u16string wide = platform::WideFromNarrow(bytes, NamesCharset(options));
  if (platform::NarrowFromWide(wide, NamesCharset(options)) != bytes) {
    return "its bytes are no text in " + NamesCharset(options);
  }
  const std::string_view trailing = " \t\n\v\f\r";
  if (!bytes.empty() && trailing.find(bytes.back()) != std::string_view::npos) {
    return "it ends in white space, which the import drops";
  }
  const std::string utf8 = platform::Utf8FromUtf16(wide);
  for (std::size_t i = 0; i + 7 <= utf8.size(); ++i) {
    if (utf8[i] == '_' && utf8[i + 1] == 'x' && utf8[i + 6] == '_' &&
        std::all_of(utf8.begin() + static_cast<long>(i) + 2,
                    utf8.begin() + static_cast<long>(i) + 6,
                    [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; })) {
      return "it holds an escape sequence of the workbook format (_xHHHH_)";
    }
  }
  return std::nullopt;
}

}  // namespace

int RunExport(const std::string& tpFile, const std::string& workbook, const TpFileOptions& options,
              std::ostream& out, std::ostream& err) {
  const auto image = LoadTpFile(tpFile, err);
  if (!image) return kUsageError;
  for (const ImageFinding& f : image->findings) {
    err << "Warning: offset " << f.offset << ": " << f.message << '\n';
  }
  bool representable = true;
  for (std::size_t k = 0; k < image->satellites.size(); ++k) {
    if (const auto why = Unrepresentable(image->satellites[k], options)) {
      err << "Error: the name of satellite " << k + 1 << " cannot be written: " << *why << '\n';
      representable = false;
    }
  }
  if (!representable) return kImportFailed;

  lxw_workbook* book = workbook_new(workbook.c_str());
  if (book == nullptr) {
    err << "zembra-tp: cannot create '" << workbook << "'\n";
    return kCannotWrite;
  }
  lxw_worksheet* sheet = workbook_add_worksheet(book, "TP file");
  lxw_row_t row = 0;
  if (image->satellites.empty()) {
    // A table with the four columns but no satellite fails the import; an
    // empty TP file comes from a workbook without such a table.
    worksheet_write_string(sheet, 0, 0, "This TP file holds no satellite.", nullptr);
  } else {
    for (lxw_col_t c = 0; c < 4; ++c)
      worksheet_write_string(sheet, 0, c, kSatelliteColumns[c], nullptr);
  }
  auto writeTp = [&](const TpInfo& t) {
    ++row;
    worksheet_write_number(sheet, row, 1, t.fre(), nullptr);
    worksheet_write_number(sheet, row, 2, t.symbolRate(), nullptr);
    worksheet_write_string(sheet, row, 3, t.polar() ? "V" : "H", nullptr);
  };
  for (std::size_t j = 0; j < LeadingUnassignedTps(*image); ++j) writeTp(image->tps[j]);
  for (std::size_t k = 0; k < image->satellites.size(); ++k) {
    const SatelliteInfo& s = image->satellites[k];
    ++row;
    worksheet_write_string(sheet, row, 0, ("#" + NameUtf8(s, options)).c_str(), nullptr);
    // The image does not keep a satellite's longitude.
    worksheet_write_string(sheet, row, 1, "unknown", nullptr);
    worksheet_write_number(sheet, row, 2, s.localFre1(), nullptr);
    worksheet_write_number(sheet, row, 3, s.localFre2(), nullptr);
    const auto [first, last] = TpRange(*image, k);
    for (std::size_t j = first; j < last; ++j) writeTp(image->tps[j]);
  }
  if (workbook_close(book) != LXW_NO_ERROR) {
    err << "zembra-tp: cannot write '" << workbook << "'\n";
    return kCannotWrite;
  }
  out << "Wrote " << workbook << ": " << image->satellites.size() << " satellites, "
      << row - image->satellites.size() << " TP rows\n";
  return image->valid() ? kOk : kImportFailed;
}

}  // namespace zembra_cli
