#include "platform/variant.h"

#include <new>

void VariantInit(VARIANT* v) { std::memset(v, 0, sizeof *v); }

HRESULT VariantClear(VARIANT* v) {
  if (v == nullptr) return E_INVALIDARG;
  if (v->vt == VT_BSTR) SysFreeString(v->bstrVal);
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  if (dest == nullptr || src == nullptr) return E_INVALIDARG;
  if (dest == src) return S_OK;
  VARIANT copy = *src;
  if (src->vt == VT_BSTR && src->bstrVal != nullptr) {
    copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
    if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
  }
  VariantClear(dest);
  *dest = copy;
  return S_OK;
}

CVariant::CVariant(const CVariant& other) {
  VariantInit(&v_);
  if (FAILED(VariantCopy(&v_, &other.v_))) throw std::bad_alloc();
}

CVariant& CVariant::operator=(const CVariant& other) {
  if (FAILED(VariantCopy(&v_, &other.v_))) throw std::bad_alloc();
  return *this;
}

CVariant::CVariant(CVariant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }

CVariant& CVariant::operator=(CVariant&& other) noexcept {
  if (this != &other) {
    VariantClear(&v_);
    v_ = other.v_;
    VariantInit(&other.v_);
  }
  return *this;
}
