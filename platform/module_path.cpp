#include "platform/module_path.h"

#include <filesystem>
#include <system_error>

namespace platform {

CString ModuleFileName() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? CString() : exe.string();
}

}  // namespace platform
