// A BIFF record stream put into an OLE2 file as its "Workbook" stream, so
// the record reader and the BIFF parsers are reached past the container.
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include "fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool initialised = [] {
    gsf_init();
    return true;
  }();
  (void)initialised;
  const std::string path = fuzz::PrivateFolder() + "/records.xls";
  GsfOutput* file = gsf_output_stdio_new(path.c_str(), nullptr);
  if (file == nullptr) return 0;
  GsfOutfile* ole = gsf_outfile_msole_new(file);
  GsfOutput* stream = gsf_outfile_new_child(ole, "Workbook", FALSE);
  gsf_output_write(stream, size, data);
  gsf_output_close(stream);
  g_object_unref(stream);
  gsf_output_close(GSF_OUTPUT(ole));
  g_object_unref(ole);
  g_object_unref(file);
  fuzz::ReadWholeWorkbook(path);
  return 0;
}
