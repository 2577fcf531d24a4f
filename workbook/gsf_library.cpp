#include "workbook/gsf_library.h"

#include <dlfcn.h>

#include <memory>
#include <mutex>
#include <string>

#include "workbook/error.h"

namespace workbook {
namespace {

template <typename F>
void Bind(void* handle, const char* name, F& function, std::string& missing) {
  function = reinterpret_cast<F>(dlsym(handle, name));
  if (function == nullptr) missing = name;
}

std::unique_ptr<GsfLibrary> Load(std::string& problem) {
  // The library stays loaded for the rest of the run.
  void* handle = dlopen("libgsf-1.so.114", RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    problem = why != nullptr ? why : "libgsf-1.so.114 cannot be loaded";
    return nullptr;
  }
  auto gsf = std::make_unique<GsfLibrary>();
  std::string missing;
  Bind(handle, "gsf_init", gsf->init, missing);
  Bind(handle, "gsf_input_stdio_new", gsf->input_stdio_new, missing);
  Bind(handle, "gsf_infile_msole_new", gsf->infile_msole_new, missing);
  Bind(handle, "gsf_infile_child_by_name", gsf->infile_child_by_name, missing);
  Bind(handle, "gsf_input_size", gsf->input_size, missing);
  Bind(handle, "gsf_input_tell", gsf->input_tell, missing);
  Bind(handle, "gsf_input_seek", gsf->input_seek, missing);
  Bind(handle, "gsf_input_read", gsf->input_read, missing);
  Bind(handle, "g_object_unref", gsf->object_unref, missing);
  Bind(handle, "g_error_free", gsf->error_free, missing);
  Bind(handle, "g_log_set_handler", gsf->log_set_handler, missing);
  if (!missing.empty()) {
    problem = "libgsf has no " + missing;
    return nullptr;
  }
  return gsf;
}

}  // namespace

const GsfLibrary& GsfLibrary::Get() {
  static std::string problem;
  static const std::unique_ptr<GsfLibrary> library = Load(problem);
  if (library == nullptr) {
    throw Error(Error::Kind::CannotOpen,
                "the .xls reader needs libgsf, which cannot be loaded: " + problem);
  }
  return *library;
}

}  // namespace workbook
