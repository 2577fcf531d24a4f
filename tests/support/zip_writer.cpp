#include "support/zip_writer.h"

#include <zip.h>

#include <stdexcept>

namespace test_support {

void WriteZip(const std::string& path, const ZipMembers& members) {
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (zip == nullptr) throw std::runtime_error("cannot create " + path);
  for (const auto& [name, content] : members) {
    zip_source_t* source = zip_source_buffer(zip, content.data(), content.size(), 0);
    if (source == nullptr || zip_file_add(zip, name.c_str(), source, ZIP_FL_OVERWRITE) < 0) {
      zip_source_free(source);
      zip_discard(zip);
      throw std::runtime_error("cannot add " + name);
    }
  }
  if (zip_close(zip) != 0) {
    zip_discard(zip);
    throw std::runtime_error("cannot write " + path);
  }
}

ZipMembers XlsxMembers(const XlsxLayout& layout) {
  const std::string main = layout.strict
                               ? "http://purl.oclc.org/ooxml/spreadsheetml/main"
                               : "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  const std::string relNs =
      layout.strict ? "http://purl.oclc.org/ooxml/officeDocument/relationships"
                    : "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  const std::string prefix = layout.absoluteTargets ? "/xl/" : "";
  ZipMembers m;
  m.push_back(
      {"[Content_Types].xml",
       "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
       "content-types\"><Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>"});
  m.push_back({"_rels/.rels",
               "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/"
               "package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"" +
                   relNs + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"});
  std::string sheets, rels;
  for (std::size_t i = 0; i < layout.sheets.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    const auto& s = layout.sheets[i];
    sheets += "<sheet name=\"" + s.name + "\" sheetId=\"" + n + "\"" +
              (s.state.empty() ? "" : " state=\"" + s.state + "\"") + " r:id=\"rIdS" + n + "\"/>";
    rels += "<Relationship Id=\"rIdS" + n + "\" Type=\"" + relNs + "/worksheet\" Target=\"" +
            prefix + "worksheets/sheet" + n + ".xml\"/>";
    m.push_back({"xl/worksheets/sheet" + n + ".xml", "<?xml version=\"1.0\"?><worksheet xmlns=\"" +
                                                         main + "\">" + s.before + "<sheetData>" +
                                                         s.sheetData + "</sheetData></worksheet>"});
  }
  m.push_back({"xl/workbook.xml", "<?xml version=\"1.0\"?><workbook xmlns=\"" + main +
                                      "\" xmlns:r=\"" + relNs + "\"><workbookPr" +
                                      (layout.date1904 ? " date1904=\"1\"" : "") + "/><sheets>" +
                                      sheets + layout.extraSheets + "</sheets></workbook>"});
  if (!layout.sharedStrings.empty()) {
    rels += "<Relationship Id=\"rIdSst\" Type=\"" + relNs + "/sharedStrings\" Target=\"" + prefix +
            "sharedStrings.xml\"/>";
    m.push_back({"xl/sharedStrings.xml", "<?xml version=\"1.0\"?><sst xmlns=\"" + main + "\">" +
                                             layout.sharedStrings + "</sst>"});
  }
  std::string xfs;
  for (int id : layout.cellXfNumFmts) xfs += "<xf numFmtId=\"" + std::to_string(id) + "\"/>";
  rels += "<Relationship Id=\"rIdSt\" Type=\"" + relNs + "/styles\" Target=\"" + prefix +
          "styles.xml\"/>";
  m.push_back({"xl/styles.xml", "<?xml version=\"1.0\"?><styleSheet xmlns=\"" + main +
                                    "\"><numFmts>" + layout.numFmts + "</numFmts><cellXfs>" + xfs +
                                    "</cellXfs></styleSheet>"});
  m.push_back({"xl/_rels/workbook.xml.rels",
               "<?xml version=\"1.0\"?><Relationships "
               "xmlns=\"http://schemas.openxmlformats.org/package/2006/"
               "relationships\">" +
                   rels + layout.extraWorkbookRels + "</Relationships>"});
  return m;
}

void WriteXlsx(const std::string& path, const XlsxLayout& layout) {
  WriteZip(path, XlsxMembers(layout));
}

void WriteSimpleXlsx(const std::string& path, const std::string& sheetData,
                     const std::string& sharedStrings) {
  XlsxLayout layout;
  layout.sheets = {{"Sheet1", sheetData, "", ""}};
  layout.sharedStrings = sharedStrings;
  WriteXlsx(path, layout);
}

}  // namespace test_support
