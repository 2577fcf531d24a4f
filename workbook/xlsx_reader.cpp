#include "workbook/xlsx_reader.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <exception>
#include <map>
#include <utility>

#include "workbook/error.h"
#include "workbook/number_formats.h"
#include "workbook/opc_package.h"
#include "workbook/row_pump.h"
#include "workbook/text_util.h"

namespace workbook {
namespace {

// Longest text one cell or shared string may hold (Excel's own limit is
// 32,767 characters).
constexpr std::size_t kMaxTextBytes = 1 << 20;
// Shared strings kept in memory at most, in bytes of text.
constexpr std::size_t kMaxSharedStringBytes = std::size_t{512} << 20;

void AppendCapped(std::string& text, std::string_view more) {
  if (text.size() + more.size() > kMaxTextBytes) {
    throw Error(Error::Kind::TooLarge,
                "a text longer than " + std::to_string(kMaxTextBytes >> 20) + " MiB");
  }
  text.append(more);
}

// --- shared strings ------------------------------------------------------

// All shared strings in one block of text with their end offsets.
class SharedStrings {
 public:
  std::size_t size() const { return ends_.size(); }
  std::string_view at(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(begin, ends_[i] - begin);
  }
  void Add(std::string_view s) {
    if (text_.size() + s.size() > kMaxSharedStringBytes) {
      throw Error(Error::Kind::TooLarge, "the shared strings hold more than " +
                                             std::to_string(kMaxSharedStringBytes >> 20) + " MiB");
    }
    text_.append(s);
    ends_.push_back(text_.size());
  }

 private:
  std::string text_;
  std::vector<std::size_t> ends_;
};

// Collects the text of <si> or <is>: the <t> elements of the item and of its
// rich-text runs, but not those of phonetic runs (<rPh>).
class StringItemCollector {
 public:
  void Start(std::string_view local) {
    if (local == "rPh")
      ++phonetic_;
    else if (local == "t" && phonetic_ == 0)
      inText_ = true;
  }
  void End(std::string_view local) {
    if (local == "rPh")
      --phonetic_;
    else if (local == "t")
      inText_ = false;
  }
  void Text(std::string_view s) {
    if (inText_) AppendCapped(text_, s);
  }
  std::string Take() {
    std::string s = std::move(text_);
    text_.clear();
    DecodeOoxmlEscapes(s);
    return s;
  }

 private:
  std::string text_;
  int phonetic_ = 0;
  bool inText_ = false;
};

class SharedStringsHandler : public XmlHandler {
 public:
  explicit SharedStringsHandler(SharedStrings& out) : out_(out) {}
  void StartElement(std::string_view, std::string_view local, const XmlAttributes&) override {
    if (local == "si")
      inItem_ = true;
    else if (inItem_)
      item_.Start(local);
  }
  void EndElement(std::string_view, std::string_view local) override {
    if (local == "si") {
      inItem_ = false;
      out_.Add(item_.Take());
    } else if (inItem_) {
      item_.End(local);
    }
  }
  void Text(std::string_view s) override {
    if (inItem_) item_.Text(s);
  }

 private:
  SharedStrings& out_;
  StringItemCollector item_;
  bool inItem_ = false;
};

// --- styles --------------------------------------------------------------

// Which cell formats (the s attribute of a cell) show dates.
class StylesHandler : public XmlHandler {
 public:
  void StartElement(std::string_view, std::string_view local, const XmlAttributes& a) override {
    if (local == "numFmt") {
      const char* id = a.Get("numFmtId");
      const char* code = a.Get("formatCode");
      std::uint64_t n = 0;
      if (id != nullptr && code != nullptr && ParseUnsigned(id, n))
        customDates_[n] = IsDateFormatCode(code);
    } else if (local == "cellXfs") {
      inCellXfs_ = true;
    } else if (local == "xf" && inCellXfs_) {
      std::uint64_t id = 0;
      const char* fmt = a.Get("numFmtId");
      if (fmt == nullptr || !ParseUnsigned(fmt, id)) id = 0;
      xfFormats_.push_back(id);
    }
  }
  void EndElement(std::string_view, std::string_view local) override {
    if (local == "cellXfs") inCellXfs_ = false;
  }
  std::vector<bool> DateStyles() const {
    std::vector<bool> dates;
    dates.reserve(xfFormats_.size());
    for (const std::uint64_t id : xfFormats_) {
      const auto custom = customDates_.find(id);
      dates.push_back(custom != customDates_.end()
                          ? custom->second
                          : IsBuiltInDateFormat(static_cast<std::uint32_t>(id)));
    }
    return dates;
  }

 private:
  std::map<std::uint64_t, bool> customDates_;
  std::vector<std::uint64_t> xfFormats_;
  bool inCellXfs_ = false;
};

// --- workbook part -------------------------------------------------------

struct SheetEntry {
  std::string name;
  std::string relId;
};

class WorkbookHandler : public XmlHandler {
 public:
  void StartElement(std::string_view, std::string_view local, const XmlAttributes& a) override {
    if (!sawRoot_) {
      sawRoot_ = true;
      isWorkbook = local == "workbook";
    }
    if (local == "sheet") {
      const char* name = a.Get("name");
      const char* id = nullptr;
      // r:id, in the transitional or the strict relationships namespace.
      for (std::string_view ns :
           {"http://schemas.openxmlformats.org/officeDocument/2006/relationships",
            "http://purl.oclc.org/ooxml/officeDocument/relationships"}) {
        if (id == nullptr) id = a.Get("id", ns);
      }
      if (name != nullptr && id != nullptr) sheets.push_back({name, id});
    } else if (local == "workbookPr") {
      const char* d = a.Get("date1904");
      date1904 = d != nullptr && (std::string_view(d) == "1" || std::string_view(d) == "true");
    }
  }
  void EndElement(std::string_view, std::string_view) override {}

  std::vector<SheetEntry> sheets;
  bool date1904 = false;
  bool isWorkbook = false;

 private:
  bool sawRoot_ = false;
};

// --- sheet ---------------------------------------------------------------

struct SheetContext {
  const SharedStrings* strings;
  const std::vector<bool>* dateStyles;
  bool date1904;
};

class SheetHandler : public XmlHandler {
 public:
  explicit SheetHandler(const SheetContext& context) : context_(context) {}

  RowQueue ready;
  std::optional<ColumnSpan> declared;
  XmlStream* stream = nullptr;

  void StartElement(std::string_view, std::string_view local, const XmlAttributes& a) override {
    if (inCell_) {
      if (local == "v")
        inValue_ = true;
      else if (local == "is")
        inInline_ = true;
      else if (inInline_)
        inline_.Start(local);
      return;
    }
    if (local == "c" && inRow_) {
      StartCell(a);
    } else if (local == "row") {
      StartRow(a);
    } else if (local == "dimension") {
      std::uint32_t first = 0, last = 0;
      const char* ref = a.Get("ref");
      if (ref != nullptr && ParseRangeColumns(ref, first, last)) declared = ColumnSpan{first, last};
    }
  }

  void EndElement(std::string_view, std::string_view local) override {
    if (inCell_) {
      if (local == "c")
        EndCell();
      else if (local == "v")
        inValue_ = false;
      else if (local == "is")
        inInline_ = false;
      else if (inInline_)
        inline_.End(local);
    } else if (local == "row" && inRow_) {
      EndRow();
    }
  }

  void Text(std::string_view s) override {
    if (inValue_)
      AppendCapped(value_, s);
    else if (inInline_)
      inline_.Text(s);
  }

 private:
  void StartRow(const XmlAttributes& a) {
    std::uint32_t index = nextRow_;
    if (const char* r = a.Get("r")) {
      std::uint64_t n = 0;
      if (!ParseUnsigned(r, n) || n == 0 || n > kMaxRows) {
        stream->Fail("the row number '" + std::string(r) + "' is not one from 1 to " +
                     std::to_string(kMaxRows));
      }
      index = static_cast<std::uint32_t>(n - 1);
    }
    if (index < nextRow_) {
      stream->Fail("row " + std::to_string(index + 1) + " comes after row " +
                   std::to_string(nextRow_) + "; rows must be in ascending order");
    }
    if (index >= kMaxRows) stream->Fail("more than " + std::to_string(kMaxRows) + " rows");
    row_.index = index;
    row_.cells.clear();
    row_.cells.reserve(8);
    nextColumn_ = 0;
    inRow_ = true;
  }

  void EndRow() {
    inRow_ = false;
    nextRow_ = row_.index + 1;
    if (row_.cells.empty()) return;
    auto& cells = row_.cells;
    if (!std::is_sorted(cells.begin(), cells.end(),
                        [](const CellAt& x, const CellAt& y) { return x.column < y.column; })) {
      std::stable_sort(cells.begin(), cells.end(),
                       [](const CellAt& x, const CellAt& y) { return x.column < y.column; });
    }
    // A column given twice keeps its first cell.
    cells.erase(std::unique(cells.begin(), cells.end(),
                            [](const CellAt& x, const CellAt& y) { return x.column == y.column; }),
                cells.end());
    ready.Push(std::move(row_));
    row_ = Row{};
    // The first rows are handed out one by one, so a caller that wants the
    // header reads no further; after them a whole chunk is parsed at once,
    // since resuming the parser for every row costs time.
    if (++rowsGiven_ <= kRowsHandedOutSingly) stream->Suspend();
  }

  void StartCell(const XmlAttributes& a) {
    column_ = nextColumn_;
    const char* ref = nullptr;
    const char* type = nullptr;
    const char* style = nullptr;
    a.ForEach([&](std::string_view, std::string_view local, const char* value) {
      if (local.size() != 1) return;
      if (local[0] == 'r')
        ref = value;
      else if (local[0] == 't')
        type = value;
      else if (local[0] == 's')
        style = value;
    });
    if (ref != nullptr) {
      std::uint32_t row = 0;
      if (!ParseCellReference(ref, column_, row))
        stream->Fail("'" + std::string(ref) + "' is no cell reference");
    }
    if (column_ >= kMaxColumns) stream->Fail("a cell past column XFD");
    nextColumn_ = column_ + 1;
    type_ = type != nullptr ? type : "n";
    style_ = 0;
    std::uint64_t n = 0;
    if (style != nullptr && ParseUnsigned(style, n)) style_ = n;
    value_.clear();
    inCell_ = true;
  }

  void EndCell() {
    inCell_ = inValue_ = inInline_ = false;
    Cell cell = MakeCell();
    if (cell.type != CellType::Empty) row_.cells.push_back({column_, std::move(cell)});
  }

  std::string CellName() const { return ColumnName(column_) + std::to_string(row_.index + 1); }

  Cell MakeCell() {
    if (type_ == "inlineStr") return Cell::Text(inline_.Take());
    if (type_ == "s") {
      std::uint64_t index = 0;
      if (value_.empty()) return {};
      if (!ParseUnsigned(value_, index)) {
        stream->Fail("cell " + CellName() + " has the shared string index '" + value_ +
                     "', which is no number");
      }
      if (index >= context_.strings->size()) {
        stream->Fail("cell " + CellName() + " refers to shared string " + std::to_string(index) +
                     ", past the end of the " + std::to_string(context_.strings->size()) +
                     " shared strings");
      }
      return Cell::Text(std::string(context_.strings->at(index)));
    }
    if (type_ == "str") {
      DecodeOoxmlEscapes(value_);
      return Cell::Text(value_);
    }
    if (value_.empty()) return {};
    if (type_ == "b") return Cell::Boolean(value_ != "0" && value_ != "false");
    if (type_ == "e") return Cell::ErrorCode(ErrorCodeFromText(value_));
    if (type_ == "d") {
      double date = 0;
      return OleDateFromIso(value_, date) ? Cell::Date(date) : Cell::Text(value_);
    }
    double number = 0;
    if (!ParseDouble(value_, number)) {
      stream->Fail("cell " + CellName() + " holds '" + value_.substr(0, 40) +
                   "', which is no number");
    }
    const auto& dates = *context_.dateStyles;
    if (style_ < dates.size() && dates[style_]) {
      return Cell::Date(OleDateFromSerial(number, context_.date1904));
    }
    return Cell::Number(number);
  }

  static constexpr int kRowsHandedOutSingly = 8;
  const SheetContext& context_;
  int rowsGiven_ = 0;
  Row row_;
  std::uint32_t nextRow_ = 0;
  std::uint32_t nextColumn_ = 0;
  std::uint32_t column_ = 0;
  std::uint64_t style_ = 0;
  std::string type_;
  std::string value_;
  StringItemCollector inline_;
  bool inRow_ = false;
  bool inCell_ = false;
  bool inValue_ = false;
  bool inInline_ = false;
};

class XlsxSheetCursor : public SheetCursor {
 public:
  XlsxSheetCursor(const OpcPackage& package, const std::string& part, const SheetContext& context)
      : context_(context), handler_(context_), pump_(handler_.ready) {
    // Cells need no namespaces: their names are matched by local name.
    auto stream = package.OpenXml(part, handler_, XmlNames::Prefixed);
    handler_.stream = stream.get();
    pump_.Start(std::move(stream));  // up to the first row, so the dimension is known
  }

  bool Next(Row& row) override { return pump_.Next(row); }
  std::optional<ColumnSpan> DeclaredColumns() const override { return handler_.declared; }

 private:
  SheetContext context_;
  SheetHandler handler_;
  RowPump pump_;
};

class XlsxWorkbook : public Workbook {
 public:
  explicit XlsxWorkbook(std::unique_ptr<ZipArchive> zip) : package_(std::move(zip)) {
    const std::vector<Relationship> packageRels = package_.RelationshipsOf("");
    const Relationship* office = FindRelationshipOfKind(packageRels, "officeDocument");
    if (office == nullptr || !package_.Has(office->target)) {
      throw Error(Error::Kind::NotAWorkbook, "the file is a ZIP archive but no spreadsheet");
    }
    workbookPart_ = office->target;
    WorkbookHandler handler;
    package_.OpenXml(workbookPart_, handler)->ParseAll();
    if (!handler.isWorkbook) {
      throw Error(Error::Kind::NotAWorkbook, "the file is an Office document but no spreadsheet");
    }
    date1904_ = handler.date1904;
    rels_ = package_.RelationshipsOf(workbookPart_);
    for (const auto& entry : handler.sheets) {
      const Relationship* rel = FindRelationship(rels_, entry.relId);
      if (rel == nullptr) {
        ThrowDamaged("the sheet '" + entry.name + "' refers to the relationship '" + entry.relId +
                     "', which '" + workbookPart_ + "' does not have");
      }
      // Chart sheets, macro sheets and dialog sheets are no tables.
      if (rel->external || RelationshipKind(rel->type) != "worksheet") continue;
      sheets_.push_back({entry.name});
      sheetParts_.push_back(rel->target);
    }
  }

  const std::vector<SheetInfo>& Sheets() const override { return sheets_; }

  std::unique_ptr<SheetCursor> OpenSheet(std::size_t index) override {
    if (index >= sheets_.size()) throw std::out_of_range("sheet index");
    LoadSharedParts();
    return std::make_unique<XlsxSheetCursor>(package_, sheetParts_[index],
                                             SheetContext{&strings_, &dateStyles_, date1904_});
  }

 private:
  // Shared strings and styles are read once, when the first sheet is opened.
  void LoadSharedParts() {
    if (sharedLoaded_) return;
    if (const Relationship* rel = FindRelationshipOfKind(rels_, "sharedStrings")) {
      SharedStringsHandler handler(strings_);
      package_.OpenXml(rel->target, handler, XmlNames::Prefixed)->ParseAll();
    }
    if (const Relationship* rel = FindRelationshipOfKind(rels_, "styles")) {
      StylesHandler handler;
      package_.OpenXml(rel->target, handler)->ParseAll();
      dateStyles_ = handler.DateStyles();
    }
    sharedLoaded_ = true;
  }

  OpcPackage package_;
  std::string workbookPart_;
  std::vector<Relationship> rels_;
  std::vector<SheetInfo> sheets_;
  std::vector<std::string> sheetParts_;
  SharedStrings strings_;
  std::vector<bool> dateStyles_;
  bool date1904_ = false;
  bool sharedLoaded_ = false;
};

}  // namespace

std::unique_ptr<Workbook> OpenXlsx(std::unique_ptr<ZipArchive> zip) {
  return std::make_unique<XlsxWorkbook>(std::move(zip));
}

}  // namespace workbook
