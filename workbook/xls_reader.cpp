#include "workbook/xls_reader.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

#include "workbook/biff_records.h"
#include "workbook/error.h"
#include "workbook/number_formats.h"
#include "workbook/ole_container.h"

namespace workbook {
namespace {

constexpr std::uint16_t kBiff8 = 0x0600;
constexpr std::uint16_t kBofGlobals = 0x0005;

// What the globals substream says about the whole workbook.
struct Globals {
  bool biff8 = true;
  bool date1904 = false;
  CodePage codePage;
  std::vector<std::string> sst;
  std::vector<bool> dateXfs;  // by XF index
};

struct SheetEntry {
  SheetInfo info;
  std::uint32_t offset;
};

double DecodeRk(std::uint32_t rk) {
  double value = 0;
  if (rk & 0x02) {
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    const std::uint64_t bits = std::uint64_t{rk & 0xFFFFFFFCu} << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  return (rk & 0x01) ? value / 100.0 : value;
}

class XlsSheetCursor : public SheetCursor {
 public:
  XlsSheetCursor(std::unique_ptr<OleStream> stream, const Globals& globals, const SheetEntry& sheet)
      : stream_(std::move(stream)), reader_(*stream_), globals_(globals), name_(sheet.info.name) {
    reader_.Seek(sheet.offset);
    BiffRecord bof;
    if (!reader_.Next(bof) || bof.type != biff::kBof) {
      ThrowDamaged("the sheet '" + name_ + "' does not start with a BOF record at offset " +
                   std::to_string(sheet.offset));
    }
    // Read ahead to the first row, so the dimensions are known.
    Pull();
  }

  bool Next(Row& row) override {
    while (!ready_ && !ended_) Pull();
    if (!ready_) return false;
    row = std::move(*ready_);
    ready_.reset();
    return true;
  }

  std::optional<ColumnSpan> DeclaredColumns() const override { return declared_; }

 private:
  // Reads records until a whole row is ready or the sheet ends.
  void Pull() {
    while (!ready_ && !ended_) {
      if (!reader_.Next(record_)) {
        ThrowDamaged("the sheet '" + name_ + "' ends without an EOF record");
      }
      HandleRecord();
    }
  }

  void HandleRecord() {
    BiffCursor c(record_);
    switch (record_.type) {
      case biff::kBof:  // an embedded substream (a chart) until its EOF
        ++nested_;
        return;
      case biff::kEof:
        if (nested_ > 0) {
          --nested_;
        } else {
          ended_ = true;
          FlushRow();
        }
        return;
      default:
        break;
    }
    if (nested_ > 0) return;
    switch (record_.type) {
      case biff::kDimensions: {
        if (globals_.biff8)
          c.Skip(8);
        else
          c.Skip(4);
        const std::uint16_t first = c.U16();
        const std::uint16_t end = c.U16();
        if (end > first && end <= kMaxColumns)
          declared_ = ColumnSpan{first, std::uint32_t(end - 1)};
        return;
      }
      case biff::kLabelSst: {
        const auto [row, col] = Position(c);
        c.U16();
        const std::uint32_t index = c.U32();
        if (index >= globals_.sst.size()) {
          c.Fail("cell " + std::to_string(row + 1) + ":" + std::to_string(col + 1) +
                 " refers to shared string " + std::to_string(index) + ", past the end of the " +
                 std::to_string(globals_.sst.size()) + " shared strings");
        }
        Put(row, col, Cell::Text(globals_.sst[index]));
        return;
      }
      case biff::kLabel:
      case biff::kRString: {
        const auto [row, col] = Position(c);
        c.U16();
        Put(row, col,
            Cell::Text(globals_.biff8 ? c.Utf16String(true)
                                      : c.ByteString(true, globals_.codePage)));
        return;
      }
      case biff::kNumber: {
        const auto [row, col] = Position(c);
        const std::uint16_t xf = c.U16();
        Put(row, col, NumberCell(c.F64(), xf));
        return;
      }
      case biff::kRk: {
        const auto [row, col] = Position(c);
        const std::uint16_t xf = c.U16();
        Put(row, col, NumberCell(DecodeRk(c.U32()), xf));
        return;
      }
      case biff::kMulRk: {
        const auto [row, first] = Position(c);
        if (c.left() < 2 || (c.left() - 2) % 6 != 0) c.Fail("its length does not fit its cells");
        const std::size_t count = (c.left() - 2) / 6;
        for (std::size_t i = 0; i < count; ++i) {
          const std::uint16_t xf = c.U16();
          Put(row, first + static_cast<std::uint32_t>(i), NumberCell(DecodeRk(c.U32()), xf));
        }
        return;
      }
      case biff::kBoolErr: {
        const auto [row, col] = Position(c);
        c.U16();
        const std::uint8_t value = c.U8();
        const std::uint8_t isError = c.U8();
        Put(row, col, isError ? Cell::ErrorCode(value) : Cell::Boolean(value != 0));
        return;
      }
      case biff::kFormula:
        HandleFormula(c);
        return;
      case biff::kString:
        if (pendingString_) {
          const auto [row, col] = *pendingString_;
          pendingString_.reset();
          Put(row, col,
              Cell::Text(globals_.biff8 ? c.Utf16String(true)
                                        : c.ByteString(true, globals_.codePage)));
        }
        return;
      default:
        return;
    }
  }

  // A formula cell by its cached result.
  void HandleFormula(BiffCursor& c) {
    const auto [row, col] = Position(c);
    const std::uint16_t xf = c.U16();
    std::uint8_t result[8];
    for (auto& b : result) b = c.U8();
    if (result[6] != 0xFF || result[7] != 0xFF) {
      double value = 0;
      std::uint64_t bits = 0;
      for (int i = 7; i >= 0; --i) bits = (bits << 8) | result[i];
      std::memcpy(&value, &bits, sizeof value);
      Put(row, col, NumberCell(value, xf));
      return;
    }
    switch (result[0]) {
      case 0:
        pendingString_ = std::make_pair(row, col);
        return;  // text in the STRING record
      case 1:
        Put(row, col, Cell::Boolean(result[2] != 0));
        return;
      case 2:
        Put(row, col, Cell::ErrorCode(result[2]));
        return;
      default:
        return;  // an empty string
    }
  }

  std::pair<std::uint32_t, std::uint32_t> Position(BiffCursor& c) {
    const std::uint32_t row = c.U16();
    const std::uint32_t col = c.U16();
    return {row, col};
  }

  Cell NumberCell(double value, std::uint16_t xf) const {
    if (xf < globals_.dateXfs.size() && globals_.dateXfs[xf]) {
      return Cell::Date(OleDateFromSerial(value, globals_.date1904));
    }
    return Cell::Number(value);
  }

  void Put(std::uint32_t row, std::uint32_t col, Cell cell) {
    if (col >= kMaxColumns) return;
    if (!current_ || row != current_->index) {
      if (current_ && row < current_->index) {
        ThrowDamaged("in the sheet '" + name_ + "' a cell of row " + std::to_string(row + 1) +
                     " follows row " + std::to_string(current_->index + 1) + " (record at offset " +
                     std::to_string(record_.offset) + ")");
      }
      FlushRow();
      current_ = Row{row, {}};
    }
    if (cell.type == CellType::Empty) return;
    auto& cells = current_->cells;
    if (cells.empty() || cells.back().column < col) {
      cells.push_back({col, std::move(cell)});
    } else {
      const auto at =
          std::lower_bound(cells.begin(), cells.end(), col,
                           [](const CellAt& x, std::uint32_t c) { return x.column < c; });
      if (at->column != col) cells.insert(at, {col, std::move(cell)});
    }
  }

  void FlushRow() {
    if (current_ && !current_->cells.empty()) ready_ = std::move(current_);
    current_.reset();
  }

  std::unique_ptr<OleStream> stream_;
  BiffRecordReader reader_;
  const Globals& globals_;
  std::string name_;
  BiffRecord record_;
  std::optional<Row> current_;
  std::optional<Row> ready_;
  std::optional<ColumnSpan> declared_;
  std::optional<std::pair<std::uint32_t, std::uint32_t>> pendingString_;
  int nested_ = 0;
  bool ended_ = false;
};

class XlsWorkbook : public Workbook {
 public:
  explicit XlsWorkbook(std::shared_ptr<const ByteSource> source) : source_(std::move(source)) {
    auto stream = OleStream::OpenWorkbookStream(source_);
    BiffRecordReader reader(*stream);
    BiffRecord record;
    if (!reader.Next(record) || record.type != biff::kBof) {
      if (record.type == biff::kBofBiff2 || record.type == biff::kBofBiff3 ||
          record.type == biff::kBofBiff4) {
        throw Error(Error::Kind::Unsupported, "Excel 2, 3 and 4 workbooks are not read");
      }
      ThrowDamaged("the workbook stream does not start with a BOF record");
    }
    {
      BiffCursor c(record);
      const std::uint16_t version = c.U16();
      const std::uint16_t kind = c.U16();
      globals_.biff8 = version == kBiff8;
      if (kind != kBofGlobals) {
        throw Error(Error::Kind::Unsupported, "Excel 4 workbooks and single sheets are not read");
      }
    }
    ReadGlobals(reader);
  }

  const std::vector<SheetInfo>& Sheets() const override { return sheetInfos_; }

  std::unique_ptr<SheetCursor> OpenSheet(std::size_t index) override {
    if (index >= sheets_.size()) throw std::out_of_range("sheet index");
    return std::make_unique<XlsSheetCursor>(OleStream::OpenWorkbookStream(source_), globals_,
                                            sheets_[index]);
  }

 private:
  void ReadGlobals(BiffRecordReader& reader) {
    std::vector<std::uint16_t> xfFormats;
    std::map<std::uint16_t, bool> customDates;
    BiffRecord record;
    while (true) {
      if (!reader.Next(record, true))
        ThrowDamaged("the workbook stream ends before its globals do");
      BiffCursor c(record);
      switch (record.type) {
        case biff::kEof:
          FinishXfs(xfFormats, customDates);
          return;
        case biff::kFilePass:
          throw Error(Error::Kind::Unsupported, "the workbook is protected with a password");
        case biff::kCodePage:
          globals_.codePage.Set(c.U16());
          break;
        case biff::kDateMode:
          globals_.date1904 = c.U16() == 1;
          break;
        case biff::kFormat: {
          const std::uint16_t id = c.U16();
          const std::string code =
              globals_.biff8 ? c.Utf16String(true) : c.ByteString(false, globals_.codePage);
          customDates[id] = IsDateFormatCode(code);
          break;
        }
        case biff::kXf:
          c.U16();
          xfFormats.push_back(c.U16());
          break;
        case biff::kBoundSheet:
          ReadBoundSheet(c);
          break;
        case biff::kSst:
          ReadSst(c);
          break;
        default:
          break;
      }
    }
  }

  void ReadBoundSheet(BiffCursor& c) {
    const std::uint32_t offset = c.U32();
    c.U8();  // visibility: hidden sheets are read like any other
    const std::uint8_t type = c.U8();
    std::string name =
        globals_.biff8 ? c.Utf16String(false) : c.ByteString(false, globals_.codePage);
    if (type != 0) return;  // chart, macro or module sheet
    sheets_.push_back({{name}, offset});
    sheetInfos_.push_back({std::move(name)});
  }

  void ReadSst(BiffCursor& c) {
    c.U32();  // total references
    const std::uint32_t unique = c.U32();
    // The count is the file's claim: strings are read while the record has
    // bytes, never allocated ahead from the count.
    for (std::uint32_t i = 0; i < unique && c.left() > 0; ++i) {
      globals_.sst.push_back(c.Utf16String(true));
    }
  }

  void FinishXfs(const std::vector<std::uint16_t>& xfFormats,
                 const std::map<std::uint16_t, bool>& customDates) {
    for (const std::uint16_t id : xfFormats) {
      const auto custom = customDates.find(id);
      globals_.dateXfs.push_back(custom != customDates.end() ? custom->second
                                                             : IsBuiltInDateFormat(id));
    }
  }

  std::shared_ptr<const ByteSource> source_;
  Globals globals_;
  std::vector<SheetEntry> sheets_;
  std::vector<SheetInfo> sheetInfos_;
};

}  // namespace

std::unique_ptr<Workbook> OpenXls(std::shared_ptr<const ByteSource> source) {
  return std::make_unique<XlsWorkbook>(std::move(source));
}

}  // namespace workbook
