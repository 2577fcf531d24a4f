#pragma once
// What the commands on TP files share: reading one, and the satellites'
// names and TP ranges as the commands show them.
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "cli/commands.h"
#include "image/FlashInfoDecoder.h"

namespace zembra_cli {

// The decoded TP file, or nothing (the reason told on err) when it cannot be
// read or is far too large to be one.
std::optional<DecodedImage> LoadTpFile(const std::string& path, std::ostream& err);

// The character set of the satellite names: the option's, else the locale's.
std::string NamesCharset(const TpFileOptions& options);

// A name's bytes as UTF-8, decoded from the names' character set.
std::string NameUtf8(const SatelliteInfo& s, const TpFileOptions& options);

// The TPs of satellite k that lie inside the file, as [first, last).
std::pair<std::size_t, std::size_t> TpRange(const DecodedImage& image, std::size_t k);

}  // namespace zembra_cli
