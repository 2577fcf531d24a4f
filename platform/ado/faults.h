#pragma once
// A test seam: makes OLE start-up, object creation or a given call of the
// workbook provider fail with a chosen HRESULT.
#include "platform/hresult.h"

namespace ado {

enum class Call {
  OleInitialize,
  CreateConnection,
  CreateRecordset,
  ConnectionOpen,
  ConnectionState,
  ConnectionClose,
  OpenSchema,
  RecordsetOpen,
  RecordsetEof,
  RecordsetCollect,
  RecordsetMoveNext,
  RecordsetClose,
  RecordsetFields,
  FieldsCount,
  FieldsItem,
  FieldName,
  kCount,
};

// The HRESULT the call must fail with now, or S_OK.
HRESULT InjectedFailure(Call call);

namespace testing {
// The call fails with hr after it has succeeded `after` more times; once
// only unless `always`.
void FailCall(Call call, HRESULT hr, int after = 0, bool always = false);
void ClearFailures();
}  // namespace testing

}  // namespace ado
