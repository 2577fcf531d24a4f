#include "platform/ado/raise.h"

#include "platform/ado/faults.h"

namespace ado {

void Raise(HRESULT hr, const std::string& utf8Description) {
  throw _com_error(hr, utf8Description);
}

void CheckInjected(int call) {
  const HRESULT hr = InjectedFailure(static_cast<Call>(call));
  if (FAILED(hr)) throw _com_error(hr);
}

}  // namespace ado
