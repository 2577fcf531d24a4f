#pragma once
// Replacing a file safely, standing in for writing it with CFile: the bytes
// go to a new file beside the target, are flushed to disk, and the new file
// is renamed over the target. A failure leaves any old file as it was and
// no half-written file behind.
#include <cstddef>
#include <string>

namespace platform {

// True when path is a file that holds exactly these bytes already.
bool FileHoldsExactly(const std::string& path, const void* data, std::size_t size);

// False with the reason in *error when the file could not be written.
bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size,
                         std::string* error);

}  // namespace platform
