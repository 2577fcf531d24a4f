#pragma once
// Writes ZIP archives and hand-made .xlsx packages for tests, so a fixture
// shows exactly the XML it is about.
#include <string>
#include <utility>
#include <vector>

namespace test_support {

using ZipMembers = std::vector<std::pair<std::string, std::string>>;

void WriteZip(const std::string& path, const ZipMembers& members);

struct XlsxSheet {
  std::string name;
  std::string sheetData;  // the rows, without <sheetData>
  std::string before;     // elements before <sheetData>, e.g. <dimension/>
  std::string state;      // "hidden", or empty
};

struct XlsxLayout {
  std::vector<XlsxSheet> sheets;
  std::string sharedStrings;  // the <si> items; no part when empty
  std::string numFmts;        // <numFmt/> elements
  std::vector<int> cellXfNumFmts = {0};
  bool date1904 = false;
  bool strict = false;  // the strict namespaces
  bool absoluteTargets = false;
  std::string extraWorkbookRels;  // more <Relationship/> elements
  std::string extraSheets;        // more <sheet/> elements
};

// The members of an .xlsx package made from the layout.
ZipMembers XlsxMembers(const XlsxLayout& layout);
void WriteXlsx(const std::string& path, const XlsxLayout& layout);

// One sheet whose rows are given, with the default everything else.
void WriteSimpleXlsx(const std::string& path, const std::string& sheetData,
                     const std::string& sharedStrings = "");

}  // namespace test_support
