#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>

#include "cli/commands.h"
#include "cli/tp_file_support.h"
#include "image/FlashInfoDecoder.h"
#include "platform/codepage.h"

namespace zembra_cli {
namespace {

std::optional<std::string> ReadWhole(const std::string& path, std::ostream& err) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    err << "zembra-tp: cannot read '" << path << "'\n";
    return std::nullopt;
  }
  // A TP file is 2 KiB; anything much larger is no TP file and is not read whole.
  std::string bytes(64 * 1024 + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (bytes.size() > 64 * 1024) {
    err << "zembra-tp: '" << path << "' is far larger than a TP file\n";
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

std::optional<DecodedImage> LoadTpFile(const std::string& path, std::ostream& err) {
  const auto bytes = ReadWhole(path, err);
  if (!bytes) return std::nullopt;
  return DecodeFlashInfoImage(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size());
}

std::string NamesCharset(const TpFileOptions& options) {
  return options.charset.empty() ? platform::NarrowCharset() : options.charset;
}

std::string NameUtf8(const SatelliteInfo& s, const TpFileOptions& options) {
  return platform::Utf8FromUtf16(platform::WideFromNarrow(s.sateName(), NamesCharset(options)));
}

namespace {

// A name in the locale's character set, for the terminal.
std::string NameForTerminal(const SatelliteInfo& s, const TpFileOptions& options) {
  return platform::NarrowFromWide(platform::WideFromNarrow(s.sateName(), NamesCharset(options)));
}

char Polar(const TpInfo& t) { return t.polar() ? 'V' : 'H'; }

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (const unsigned char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
          out += buffer;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string TpJson(const TpInfo& t) {
  return "{\"fre\": " + std::to_string(t.fre()) + ", \"polar\": \"" + Polar(t) +
         "\", \"symbolRate\": " + std::to_string(t.symbolRate()) + "}";
}

}  // namespace

std::pair<std::size_t, std::size_t> TpRange(const DecodedImage& image, std::size_t k) {
  const std::size_t first = std::min<std::size_t>(image.satellites[k].tpIndex(), image.tps.size());
  const std::size_t last =
      std::min<std::size_t>(first + image.satellites[k].tpCount(), image.tps.size());
  return {first, last};
}

namespace {

// TPs not in any satellite's range.
std::vector<std::size_t> UnassignedTps(const DecodedImage& image) {
  std::vector<bool> owned(image.tps.size(), false);
  for (std::size_t k = 0; k < image.satellites.size(); ++k) {
    const auto [first, last] = TpRange(image, k);
    for (std::size_t j = first; j < last; ++j) owned[j] = true;
  }
  std::vector<std::size_t> free;
  for (std::size_t j = 0; j < owned.size(); ++j) {
    if (!owned[j]) free.push_back(j);
  }
  return free;
}

void ShowText(const std::string& path, const DecodedImage& image, const TpFileOptions& options,
              std::ostream& out) {
  out << path << ": " << image.satellites.size() << " satellites, " << image.tps.size() << " TPs, "
      << image.recordBytes() << " of 2016 record bytes used\n";
  char line[128];
  for (std::size_t k = 0; k < image.satellites.size(); ++k) {
    const SatelliteInfo& s = image.satellites[k];
    const auto [first, last] = TpRange(image, k);
    std::snprintf(line, sizeof line, "%3zu  LO %5u/%5u  TPs %zu-%zu (%u)  ", k + 1, s.localFre1(),
                  s.localFre2(), first, last == first ? first : last - 1, s.tpCount());
    out << line << NameForTerminal(s, options) << '\n';
    for (std::size_t j = first; j < last; ++j) {
      std::snprintf(line, sizeof line, "       %5u %c %5u\n", image.tps[j].fre(),
                    Polar(image.tps[j]), image.tps[j].symbolRate());
      out << line;
    }
  }
  const auto free = UnassignedTps(image);
  if (!free.empty()) {
    out << "TPs that belong to no satellite:\n";
    for (const std::size_t j : free) {
      std::snprintf(line, sizeof line, "  %3zu  %5u %c %5u\n", j, image.tps[j].fre(),
                    Polar(image.tps[j]), image.tps[j].symbolRate());
      out << line;
    }
  }
  for (const ImageFinding& f : image.findings) {
    std::snprintf(line, sizeof line, "Finding at offset %zu (0x%04zx): ", f.offset, f.offset);
    out << line << f.message << '\n';
  }
  out << (image.valid() ? "Valid.\n" : std::to_string(image.findings.size()) + " findings.\n");
}

void ShowJson(const std::string& path, const DecodedImage& image, const TpFileOptions& options,
              std::ostream& out) {
  out << "{\n  \"file\": " << JsonString(path) << ",\n  \"size\": " << image.size
      << ",\n  \"valid\": " << (image.valid() ? "true" : "false")
      << ",\n  \"recordBytes\": " << image.recordBytes()
      << ",\n  \"recordArea\": 2016,\n  \"satellites\": [";
  for (std::size_t k = 0; k < image.satellites.size(); ++k) {
    const SatelliteInfo& s = image.satellites[k];
    out << (k ? "," : "") << "\n    {\"name\": " << JsonString(NameUtf8(s, options))
        << ", \"localFre1\": " << s.localFre1() << ", \"localFre2\": " << s.localFre2()
        << ", \"tpIndex\": " << s.tpIndex() << ", \"tpCount\": " << s.tpCount() << ", \"tps\": [";
    const auto [first, last] = TpRange(image, k);
    for (std::size_t j = first; j < last; ++j)
      out << (j > first ? ", " : "") << TpJson(image.tps[j]);
    out << "]}";
  }
  out << "\n  ],\n  \"unassignedTps\": [";
  const auto free = UnassignedTps(image);
  for (std::size_t i = 0; i < free.size(); ++i) {
    out << (i ? ", " : "") << "{\"index\": " << free[i]
        << ", \"tp\": " << TpJson(image.tps[free[i]]) << "}";
  }
  out << "],\n  \"findings\": [";
  for (std::size_t i = 0; i < image.findings.size(); ++i) {
    out << (i ? "," : "") << "\n    {\"offset\": " << image.findings[i].offset
        << ", \"message\": " << JsonString(image.findings[i].message) << "}";
  }
  out << (image.findings.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

// --- diff ------------------------------------------------------------------

struct TpKey {
  std::uint16_t fre;
  char polar;
  bool operator<(const TpKey& o) const { return fre != o.fre ? fre < o.fre : polar < o.polar; }
};

std::multimap<TpKey, std::uint16_t> TpsOf(const DecodedImage& image, std::size_t first,
                                          std::size_t last) {
  std::multimap<TpKey, std::uint16_t> tps;
  for (std::size_t j = first; j < last; ++j)
    tps.insert({{image.tps[j].fre(), Polar(image.tps[j])}, image.tps[j].symbolRate()});
  return tps;
}

void DiffTps(const std::multimap<TpKey, std::uint16_t>& before,
             const std::multimap<TpKey, std::uint16_t>& after, std::ostream& out) {
  for (const auto& [key, rate] : before) {
    const auto match = after.find(key);
    if (match == after.end()) {
      out << "  TP removed: " << key.fre << ' ' << key.polar << ' ' << rate << '\n';
    } else if (match->second != rate) {
      out << "  TP " << key.fre << ' ' << key.polar << ": symbol rate " << rate << " -> "
          << match->second << '\n';
    }
  }
  for (const auto& [key, rate] : after) {
    if (before.find(key) == before.end())
      out << "  TP added: " << key.fre << ' ' << key.polar << ' ' << rate << '\n';
  }
}

// Pairs satellites by name first, then the rest by their order.
std::vector<std::pair<std::optional<std::size_t>, std::optional<std::size_t>>> PairSatellites(
    const DecodedImage& a, const DecodedImage& b) {
  std::vector<std::optional<std::size_t>> partner(a.satellites.size());
  std::vector<bool> taken(b.satellites.size(), false);
  for (std::size_t i = 0; i < a.satellites.size(); ++i) {
    for (std::size_t j = 0; j < b.satellites.size(); ++j) {
      if (!taken[j] && a.satellites[i].sateName() == b.satellites[j].sateName()) {
        partner[i] = j;
        taken[j] = true;
        break;
      }
    }
  }
  std::size_t next = 0;
  for (std::size_t i = 0; i < a.satellites.size(); ++i) {
    if (partner[i]) continue;
    while (next < taken.size() && taken[next]) ++next;
    if (next < taken.size()) {
      partner[i] = next;
      taken[next] = true;
    }
  }
  std::vector<std::pair<std::optional<std::size_t>, std::optional<std::size_t>>> pairs;
  for (std::size_t i = 0; i < a.satellites.size(); ++i) pairs.push_back({i, partner[i]});
  for (std::size_t j = 0; j < b.satellites.size(); ++j) {
    if (!taken[j]) pairs.push_back({std::nullopt, j});
  }
  return pairs;
}

}  // namespace

int RunShow(const std::string& tpFile, const TpFileOptions& options, std::ostream& out,
            std::ostream& err) {
  const auto image = LoadTpFile(tpFile, err);
  if (!image) return kUsageError;
  if (options.json) {
    ShowJson(tpFile, *image, options, out);
  } else {
    ShowText(tpFile, *image, options, out);
  }
  return image->valid() ? kOk : kImportFailed;
}

int RunDiff(const std::string& oldFile, const std::string& newFile, const TpFileOptions& options,
            std::ostream& out, std::ostream& err) {
  const auto a = LoadTpFile(oldFile, err);
  const auto b = a ? LoadTpFile(newFile, err) : std::nullopt;
  if (!a || !b) return kUsageError;
  std::ostringstream changes;
  for (const auto& [i, j] : PairSatellites(*a, *b)) {
    if (!j) {
      changes << "Satellite removed: " << NameForTerminal(a->satellites[*i], options) << " ("
              << *i + 1 << ")\n";
      continue;
    }
    if (!i) {
      const SatelliteInfo& s = b->satellites[*j];
      changes << "Satellite added: " << NameForTerminal(s, options) << " (" << *j + 1 << "), LO "
              << s.localFre1() << '/' << s.localFre2() << ", " << s.tpCount() << " TPs\n";
      continue;
    }
    const SatelliteInfo& x = a->satellites[*i];
    const SatelliteInfo& y = b->satellites[*j];
    std::ostringstream detail;
    if (x.sateName() != y.sateName()) {
      detail << "  name " << NameForTerminal(x, options) << " -> " << NameForTerminal(y, options)
             << '\n';
    }
    if (x.localFre1() != y.localFre1() || x.localFre2() != y.localFre2()) {
      detail << "  local frequencies " << x.localFre1() << '/' << x.localFre2() << " -> "
             << y.localFre1() << '/' << y.localFre2() << '\n';
    }
    const auto [af, al] = TpRange(*a, *i);
    const auto [bf, bl] = TpRange(*b, *j);
    DiffTps(TpsOf(*a, af, al), TpsOf(*b, bf, bl), detail);
    if (!detail.str().empty()) {
      changes << "Satellite changed: " << NameForTerminal(y, options) << " (" << *j + 1 << ")\n"
              << detail.str();
    }
  }
  std::multimap<TpKey, std::uint16_t> freeA, freeB;
  for (const std::size_t j : UnassignedTps(*a))
    freeA.insert({{a->tps[j].fre(), Polar(a->tps[j])}, a->tps[j].symbolRate()});
  for (const std::size_t j : UnassignedTps(*b))
    freeB.insert({{b->tps[j].fre(), Polar(b->tps[j])}, b->tps[j].symbolRate()});
  std::ostringstream freeChanges;
  DiffTps(freeA, freeB, freeChanges);
  if (!freeChanges.str().empty())
    changes << "TPs that belong to no satellite:\n" << freeChanges.str();
  out << changes.str();
  return changes.str().empty() ? kOk : kImportFailed;
}

}  // namespace zembra_cli
