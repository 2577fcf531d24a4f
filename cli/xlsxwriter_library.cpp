#include "cli/xlsxwriter_library.h"

#include <dlfcn.h>

#include <memory>

namespace zembra_cli {
namespace {

template <typename F>
bool Bind(void* handle, const char* name, F& function) {
  function = reinterpret_cast<F>(dlsym(handle, name));
  return function != nullptr;
}

std::unique_ptr<XlsxWriterLibrary> Load(std::string& problem) {
  void* handle = dlopen("libxlsxwriter.so.4", RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    problem = why != nullptr ? why : "libxlsxwriter.so.4 cannot be loaded";
    return nullptr;
  }
  auto library = std::make_unique<XlsxWriterLibrary>();
  if (!Bind(handle, "workbook_new", library->workbookNew) ||
      !Bind(handle, "workbook_add_worksheet", library->addWorksheet) ||
      !Bind(handle, "worksheet_write_string", library->writeString) ||
      !Bind(handle, "worksheet_write_number", library->writeNumber) ||
      !Bind(handle, "workbook_close", library->workbookClose)) {
    problem = "libxlsxwriter lacks a function zembra-tp needs";
    return nullptr;
  }
  return library;
}

}  // namespace

const XlsxWriterLibrary* XlsxWriterLibrary::Get(std::string* problem) {
  static std::string why;
  static const std::unique_ptr<XlsxWriterLibrary> library = Load(why);
  if (library == nullptr && problem != nullptr) *problem = why;
  return library.get();
}

}  // namespace zembra_cli
