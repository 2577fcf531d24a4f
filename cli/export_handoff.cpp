#include "cli/export_handoff.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "cli/commands.h"
#include "platform/module_path.h"

namespace zembra_cli {

int HandExportToHelper(char** argv, std::ostream& err) {
  const std::string self = platform::ModuleFileName();
  if (self.find('/') == std::string::npos) {  // never look in the working folder
    err << "zembra-tp: cannot write workbooks: the folder of zembra-tp is unknown\n";
    return kCannotWrite;
  }
  const std::string folder = self.substr(0, self.rfind('/') + 1);
  // Beside zembra-tp in the build tree; in libexec once installed.
  for (const std::string& helper :
       {folder + "zembra-tp-export", folder + ZEMBRA_HELPER_DIR "/zembra-tp-export"}) {
    if (::access(helper.c_str(), X_OK) != 0) continue;
    std::cout.flush();
    ::execv(helper.c_str(), argv);
    err << "zembra-tp: cannot write workbooks: cannot start " << helper << ": "
        << std::strerror(errno) << '\n';
    return kCannotWrite;
  }
  err << "zembra-tp: cannot write workbooks: zembra-tp-export is not installed (looked beside "
      << self << " and in " << folder << ZEMBRA_HELPER_DIR << ")\n";
  return kCannotWrite;
}

}  // namespace zembra_cli
