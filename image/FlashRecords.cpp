#include "image/FlashRecords.h"

#include <algorithm>

std::string_view SatelliteInfo::sateName() const {
  const auto* name = reinterpret_cast<const char*>(&bytes[6]);
  const auto end = std::find(name, name + kNameBytes, '\0');
  return std::string_view(name, static_cast<std::size_t>(end - name));
}

void SatelliteInfo::setSateName(std::string_view name) {
  const std::size_t length = std::min(name.size(), kNameBytes);
  std::copy_n(name.begin(), length, &bytes[6]);
  if (length < kNameBytes) bytes[6 + length] = 0;
}
