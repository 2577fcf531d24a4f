#include "workbook/ods_reader.h"

#include <cstdlib>

#include "workbook/error.h"
#include "workbook/number_formats.h"
#include "workbook/row_pump.h"
#include "workbook/text_util.h"

namespace workbook {
namespace {

constexpr std::string_view kTableNs = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr std::string_view kOfficeNs = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view kTextNs = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr std::string_view kCalcExtNs =
    "urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0";
constexpr const char* kContent = "content.xml";
// Cells a sheet may give out through repetition before it counts as hostile.
constexpr std::uint64_t kMaxRepeatedCells = std::uint64_t{1} << 26;
constexpr std::size_t kMaxTextBytes = 1 << 20;

std::uint32_t RepeatCount(const XmlAttributes& a, std::string_view name) {
  const char* text = a.Get(name, kTableNs);
  std::uint64_t n = 1;
  if (text == nullptr || !ParseUnsigned(text, n) || n == 0) return 1;
  return n > kMaxRows ? kMaxRows : static_cast<std::uint32_t>(n);
}

// "PT12H30M15.5S" (a time of day) to a fraction of a day.
bool DayFractionFromDuration(std::string_view text, double& out) {
  if (text.size() < 3 || text.substr(0, 2) != "PT") return false;
  text.remove_prefix(2);
  double total = 0;
  while (!text.empty()) {
    char* end = nullptr;
    const std::string number(text);
    const double value = std::strtod(number.c_str(), &end);
    const std::size_t used = static_cast<std::size_t>(end - number.c_str());
    if (used == 0 || used >= text.size()) return false;
    switch (text[used]) {
      case 'H':
        total += value * 3600;
        break;
      case 'M':
        total += value * 60;
        break;
      case 'S':
        total += value;
        break;
      default:
        return false;
    }
    text.remove_prefix(used + 1);
  }
  out = total / 86400.0;
  return true;
}

// Lists the tables of content.xml without keeping their cells.
// Tells the tables of the spreadsheet (children of office:spreadsheet) from
// tables nested deeper, e.g. in a drawing inside a cell.
class SpreadsheetDepth {
 public:
  // Call at every element start; true for a table of the spreadsheet.
  bool StartIsSheet(std::string_view ns, std::string_view local) {
    ++depth_;
    if (ns == kOfficeNs && local == "spreadsheet") spreadsheet_ = depth_;
    return ns == kTableNs && local == "table" && spreadsheet_ > 0 && depth_ == spreadsheet_ + 1;
  }
  // Call at every element end; true when a table of the spreadsheet ends.
  bool EndIsSheet(std::string_view ns, std::string_view local) {
    const bool sheet = ns == kTableNs && local == "table" && depth_ == spreadsheet_ + 1;
    --depth_;
    return sheet;
  }

 private:
  int depth_ = 0;
  int spreadsheet_ = 0;
};

class TableNamesHandler : public XmlHandler {
 public:
  std::vector<SheetInfo> sheets;
  void StartElement(std::string_view ns, std::string_view local, const XmlAttributes& a) override {
    if (depth_.StartIsSheet(ns, local)) {
      const char* name = a.Get("name", kTableNs);
      sheets.push_back({name != nullptr ? name : ""});
    }
  }
  void EndElement(std::string_view ns, std::string_view local) override {
    depth_.EndIsSheet(ns, local);
  }

 private:
  SpreadsheetDepth depth_;
};

// The rows of the table at one position in content.xml.
class OdsSheetHandler : public XmlHandler {
 public:
  explicit OdsSheetHandler(std::size_t table) : wanted_(table) {}
  RowQueue ready;
  XmlStream* stream = nullptr;

  void StartElement(std::string_view ns, std::string_view local, const XmlAttributes& a) override {
    if (depth_.StartIsSheet(ns, local)) {
      inTable_ = tableIndex_++ == wanted_;
      return;
    }
    if (!inTable_) return;
    if (inCell_) {
      ++cellDepth_;
      if (ns == kTextNs && local == "p" && cellDepth_ == 1) {
        if (paragraphs_++ > 0) Append("\n");
        inParagraph_ = true;
      } else if (inParagraph_ && ns == kTextNs) {
        if (local == "s") {
          const char* c = a.Get("c", kTextNs);
          std::uint64_t n = 1;
          if (c != nullptr && !ParseUnsigned(c, n)) n = 1;
          Append(std::string(static_cast<std::size_t>(std::min<std::uint64_t>(n, 1024)), ' '));
        } else if (local == "tab") {
          Append("\t");
        } else if (local == "line-break") {
          Append("\n");
        }
      } else if (ns == kOfficeNs && local == "annotation") {
        inParagraph_ = false;  // a comment's text is not the cell's
      }
      return;
    }
    if (ns != kTableNs) return;
    if (local == "table-row") {
      rowRepeat_ = RepeatCount(a, "number-rows-repeated");
      row_ = Row{rowIndex_, {}};
      column_ = 0;
    } else if (local == "table-cell" || local == "covered-table-cell") {
      StartCell(a);
    }
  }

  void EndElement(std::string_view ns, std::string_view local) override {
    if (depth_.EndIsSheet(ns, local)) {
      inTable_ = false;
      return;
    }
    if (!inTable_) return;
    if (inCell_) {
      if (cellDepth_ == 0) {
        EndCell();
      } else {
        if (ns == kTextNs && local == "p" && cellDepth_ == 1) inParagraph_ = false;
        --cellDepth_;
      }
      return;
    }
    if (ns == kTableNs && local == "table-row") EndRow();
  }

  void Text(std::string_view text) override {
    if (inParagraph_) Append(text);
  }

 private:
  void Append(std::string_view text) {
    if (text_.size() + text.size() > kMaxTextBytes) {
      throw Error(Error::Kind::TooLarge, "a cell text longer than 1 MiB");
    }
    text_.append(text);
  }

  void StartCell(const XmlAttributes& a) {
    inCell_ = true;
    cellDepth_ = 0;
    paragraphs_ = 0;
    text_.clear();
    cellRepeat_ = RepeatCount(a, "number-columns-repeated");
    const char* type = a.Get("value-type", kOfficeNs);
    type_ = type != nullptr ? type : "";
    value_ = Attribute(a, "value");
    dateValue_ = Attribute(a, "date-value");
    timeValue_ = Attribute(a, "time-value");
    booleanValue_ = Attribute(a, "boolean-value");
    stringValue_ = Attribute(a, "string-value");
    hasStringValue_ = a.Get("string-value", kOfficeNs) != nullptr;
    isFormula_ = a.Get("formula", kTableNs) != nullptr;
    const char* calcType = a.Get("value-type", kCalcExtNs);
    isErrorResult_ = calcType != nullptr && std::string_view(calcType) == "error";
  }

  static std::string Attribute(const XmlAttributes& a, std::string_view name) {
    const char* value = a.Get(name, kOfficeNs);
    return value != nullptr ? value : "";
  }

  Cell MakeCell() const {
    if (isErrorResult_) return Cell::ErrorCode(ErrorCodeFromText(text_));
    if (type_ == "float" || type_ == "percentage" || type_ == "currency") {
      double number = 0;
      if (!ParseDouble(value_, number))
        stream->Fail("a number cell holds '" + value_.substr(0, 40) + "'");
      // LibreOffice keeps a formula's truth value as a number shown as TRUE
      // or FALSE; it is the boolean that Excel stores.
      if (isFormula_ && ((number == 1 && text_ == "TRUE") || (number == 0 && text_ == "FALSE"))) {
        return Cell::Boolean(number != 0);
      }
      return Cell::Number(number);
    }
    if (type_ == "date") {
      double date = 0;
      if (!OleDateFromIso(dateValue_, date))
        stream->Fail("'" + dateValue_.substr(0, 40) + "' is no date");
      return Cell::Date(date);
    }
    if (type_ == "time") {
      double fraction = 0;
      if (!DayFractionFromDuration(timeValue_, fraction)) {
        stream->Fail("'" + timeValue_.substr(0, 40) + "' is no time");
      }
      return Cell::Date(fraction);
    }
    if (type_ == "boolean") return Cell::Boolean(booleanValue_ == "true");
    if (type_ == "string") return Cell::Text(hasStringValue_ ? stringValue_ : text_);
    // No value type: an empty cell, or a formula whose result is an error.
    if (isFormula_ && !text_.empty()) return Cell::ErrorCode(ErrorCodeFromText(text_));
    return {};
  }

  void EndCell() {
    inCell_ = inParagraph_ = false;
    Cell cell = MakeCell();
    const std::uint32_t first = column_;
    column_ = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::uint64_t{column_} + cellRepeat_, kMaxColumns));
    if (cell.type == CellType::Empty) return;
    for (std::uint32_t c = first; c < column_; ++c) row_.cells.push_back({c, cell});
  }

  void EndRow() {
    const std::uint32_t repeat = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(rowRepeat_, kMaxRows - std::min(rowIndex_, kMaxRows)));
    if (!row_.cells.empty() && repeat > 0) {
      cellsGiven_ += std::uint64_t{repeat} * row_.cells.size();
      if (cellsGiven_ > kMaxRepeatedCells) {
        throw Error(Error::Kind::TooLarge, "the sheet repeats its cells more than " +
                                               std::to_string(kMaxRepeatedCells) + " times");
      }
      ready.Push(std::move(row_), repeat);
      // The first rows one by one (a header costs one row); then chunks.
      if (++rowsGiven_ <= 8) stream->Suspend();
    }
    row_ = Row{};
    rowIndex_ = std::min<std::uint32_t>(rowIndex_ + repeat, kMaxRows);
  }

  const std::size_t wanted_;
  std::size_t tableIndex_ = 0;
  SpreadsheetDepth depth_;
  bool inTable_ = false;
  bool inCell_ = false;
  bool inParagraph_ = false;
  int cellDepth_ = 0;
  int paragraphs_ = 0;
  std::uint32_t rowIndex_ = 0;
  std::uint32_t rowRepeat_ = 1;
  std::uint32_t column_ = 0;
  std::uint32_t cellRepeat_ = 1;
  std::uint64_t cellsGiven_ = 0;
  int rowsGiven_ = 0;
  Row row_;
  std::string type_, value_, dateValue_, timeValue_, booleanValue_, stringValue_, text_;
  bool hasStringValue_ = false;
  bool isFormula_ = false;
  bool isErrorResult_ = false;
};

class OdsSheetCursor : public SheetCursor {
 public:
  OdsSheetCursor(const ZipArchive& zip, std::size_t table)
      : handler_(table), pump_(handler_.ready) {
    const auto index = zip.Find(kContent);
    if (!index) ThrowDamaged("the part 'content.xml' is missing from the workbook");
    auto stream = std::make_unique<XmlStream>(zip.OpenMember(*index, kContent), handler_);
    handler_.stream = stream.get();
    pump_.Start(std::move(stream));
  }
  bool Next(Row& row) override { return pump_.Next(row); }

 private:
  OdsSheetHandler handler_;
  RowPump pump_;
};

class OdsWorkbook : public Workbook {
 public:
  explicit OdsWorkbook(std::unique_ptr<ZipArchive> zip) : zip_(std::move(zip)) {
    const auto index = zip_->Find(kContent);
    if (!index) ThrowDamaged("the part 'content.xml' is missing from the workbook");
    TableNamesHandler handler;
    XmlStream(zip_->OpenMember(*index, kContent), handler).ParseAll();
    sheets_ = std::move(handler.sheets);
  }
  const std::vector<SheetInfo>& Sheets() const override { return sheets_; }
  std::unique_ptr<SheetCursor> OpenSheet(std::size_t index) override {
    if (index >= sheets_.size()) throw std::out_of_range("sheet index");
    return std::make_unique<OdsSheetCursor>(*zip_, index);
  }

 private:
  std::unique_ptr<ZipArchive> zip_;
  std::vector<SheetInfo> sheets_;
};

}  // namespace

std::unique_ptr<Workbook> OpenOds(std::unique_ptr<ZipArchive> zip) {
  return std::make_unique<OdsWorkbook>(std::move(zip));
}

}  // namespace workbook
