#pragma once
// zembra-tp is linked statically so that it starts in a few milliseconds;
// libxlsxwriter comes only as a shared library, so `export` runs in
// zembra-tp-export, the same program linked dynamically. This hands the
// command line over to it once zembra-tp has parsed it.
#include <ostream>

namespace zembra_cli {

// Replaces this process with zembra-tp-export and the same arguments; returns
// (kCannotWrite, the reason told on err) only when that cannot be done.
int HandExportToHelper(char** argv, std::ostream& err);

}  // namespace zembra_cli
