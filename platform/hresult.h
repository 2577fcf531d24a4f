#pragma once
// COM result codes the tool meets, with their Windows values.
#include <cstdint>

using HRESULT = std::int32_t;

constexpr HRESULT MakeHresult(std::uint32_t bits) { return static_cast<HRESULT>(bits); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeHresult(0x80004001);
constexpr HRESULT E_POINTER = MakeHresult(0x80004003);
constexpr HRESULT E_FAIL = MakeHresult(0x80004005);
constexpr HRESULT E_UNEXPECTED = MakeHresult(0x8000FFFF);
constexpr HRESULT E_ACCESSDENIED = MakeHresult(0x80070005);
constexpr HRESULT E_OUTOFMEMORY = MakeHresult(0x8007000E);
constexpr HRESULT E_INVALIDARG = MakeHresult(0x80070057);
constexpr HRESULT DISP_E_PARAMNOTFOUND = MakeHresult(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHresult(0x80020005);
constexpr HRESULT DISP_E_BADVARTYPE = MakeHresult(0x80020008);
constexpr HRESULT DISP_E_OVERFLOW = MakeHresult(0x8002000A);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeHresult(0x800401F0);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHresult(0x80040154);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
