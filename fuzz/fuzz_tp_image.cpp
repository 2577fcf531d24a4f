// Any bytes as a TP file.
#include "image/FlashInfoDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const DecodedImage image = DecodeFlashInfoImage(data, size);
  if (image.recordBytes() > size) __builtin_trap();
  return 0;
}
