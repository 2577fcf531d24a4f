#pragma once
// libgsf, loaded the first time an OLE2 file is opened. It brings GIO and
// libxml2 with ICU along, whose loading would otherwise slow every start of
// the program, also for .xlsx and .ods files that never need it.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

namespace workbook {

struct GsfLibrary {
  decltype(&gsf_init) init;
  decltype(&gsf_input_stdio_new) input_stdio_new;
  decltype(&gsf_infile_msole_new) infile_msole_new;
  decltype(&gsf_infile_child_by_name) infile_child_by_name;
  decltype(&gsf_input_size) input_size;
  decltype(&gsf_input_tell) input_tell;
  decltype(&gsf_input_seek) input_seek;
  decltype(&gsf_input_read) input_read;
  decltype(&g_object_unref) object_unref;
  decltype(&g_error_free) error_free;
  decltype(&g_log_set_handler) log_set_handler;

  // The loaded library; throws CannotOpen when it is not installed.
  static const GsfLibrary& Get();
};

}  // namespace workbook
