#include "support/channel_workbook.h"

#include <cstdlib>

#include "support/zip_writer.h"
#include "workbook/text_util.h"

namespace test_support {
namespace {

std::string EscapeXml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

bool IsNumber(const std::string& text) {
  if (text.empty()) return false;
  char* end = nullptr;
  std::strtod(text.c_str(), &end);
  return *end == '\0' && text.find_first_of(" \t") == std::string::npos;
}

std::string RowXml(std::uint32_t row, const ChannelRow& cells) {
  std::string xml = "<row r=\"" + std::to_string(row + 1) + "\">";
  for (std::size_t c = 0; c < cells.size(); ++c) {
    const std::string& text = cells[c];
    if (text.empty()) continue;
    const std::string ref =
        workbook::ColumnName(static_cast<std::uint32_t>(c)) + std::to_string(row + 1);
    if (IsNumber(text)) {
      xml += "<c r=\"" + ref + "\"><v>" + text + "</v></c>";
    } else {
      const std::string value = text[0] == '\'' ? text.substr(1) : text;
      xml += "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t xml:space=\"preserve\">" +
             EscapeXml(value) + "</t></is></c>";
    }
  }
  return xml + "</row>";
}

void Put16(std::string& out, std::size_t at, std::uint16_t v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>(v >> 8);
}

}  // namespace

void WriteChannelWorkbook(const std::string& path, const std::vector<ChannelTable>& tables) {
  XlsxLayout layout;
  for (const auto& table : tables) {
    std::string rows = RowXml(0, table.header);
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
      rows += RowXml(static_cast<std::uint32_t>(r + 1), table.rows[r]);
    }
    layout.sheets.push_back({table.name, rows, "<dimension ref=\"A1:D1\"/>", ""});
  }
  WriteXlsx(path, layout);
}

std::string ReportBlock(int level, const std::string& message) {
  const std::string background = level == 1 ? "#ff0000" : level == 2 ? "#FFE645" : "#ffffff";
  const std::string color = level == 1 ? "#ffffff" : "#000000";
  const std::string label = level == 1 ? "Error:" : level == 2 ? "Warning:" : "Record:";
  std::string onDisk;
  for (char c : message) {
    if (c == '\n') onDisk += '\r';
    onDisk += c;
  }
  return "<div style='text-align:center'>\r\r\n"
         "  <table style='background:#A4FDB6;border:1px solid #000000;width:800px' "
         "cellpadding='1px' "
         "cellspacing='1px'>\r\r\n"
         "    <tr>\r\r\n"
         "      <td style='width:800px;word-break:break-all;text-align:Left;background-color:" +
         background + ";color:" + color +
         ";font-size:15px;font-weight:bold;border:1px solid #000000;padding:2px' >\r\r\n"
         "        " +
         label + onDisk +
         "      </td>\r\r\n"
         "    </tr>\r\r\n"
         "  </table>\r\r\n"
         "</div><p>\r\r\n";
}

std::string ReportBytes(const std::vector<Entry>& entries) {
  std::string bytes;
  for (const auto& e : entries) bytes += ReportBlock(e.level, e.message);
  return bytes;
}

std::string ImageBytes(const std::vector<SatRecord>& satellites, const std::vector<TpRecord>& tps) {
  std::string image(2048, '\0');
  image.replace(0, 4, "info");
  Put16(image, 16, static_cast<std::uint16_t>(satellites.size()));
  Put16(image, 18, static_cast<std::uint16_t>(tps.size()));
  std::size_t at = 32;
  for (const auto& s : satellites) {
    Put16(image, at, s.localFre1);
    Put16(image, at + 2, s.localFre2);
    Put16(image, at + 4, static_cast<std::uint16_t>(s.tpIndex | (s.tpCount << 10)));
    image.replace(at + 6, std::min<std::size_t>(s.name.size(), 12), s.name.substr(0, 12));
    at += 18;
  }
  for (const auto& t : tps) {
    Put16(image, at, static_cast<std::uint16_t>(t.fre | (t.polar == 'V' ? 0x4000 : 0)));
    Put16(image, at + 2, t.symbolRate);
    at += 4;
  }
  return image;
}

}  // namespace test_support
