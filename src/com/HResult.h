#pragma once

// HRESULT values and the SUCCEEDED / FAILED tests, as Windows defines them.

#include "com/Types.h"

constexpr HRESULT makeHResult(std::uint32_t value) {
    return static_cast<HRESULT>(value);
}

inline constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
inline constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}
// A Win32 error number as a failure (FACILITY_WIN32); 0 and HRESULTs that are already
// failures stay as they are.
inline constexpr HRESULT HRESULT_FROM_WIN32(std::uint32_t code) {
    return static_cast<HRESULT>(code) <= 0 ? static_cast<HRESULT>(code)
                                           : makeHResult((code & 0xFFFFu) | 0x80070000u);
}

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_UNEXPECTED = makeHResult(0x8000FFFFu);
inline constexpr HRESULT E_NOTIMPL = makeHResult(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = makeHResult(0x80004002u);
inline constexpr HRESULT E_POINTER = makeHResult(0x80004003u);
inline constexpr HRESULT E_ABORT = makeHResult(0x80004004u);
inline constexpr HRESULT E_FAIL = makeHResult(0x80004005u);
inline constexpr HRESULT E_ACCESSDENIED = makeHResult(0x80070005u);
inline constexpr HRESULT E_OUTOFMEMORY = makeHResult(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = makeHResult(0x80070057u);

inline constexpr HRESULT CLASS_E_NOAGGREGATION = makeHResult(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = makeHResult(0x80040111u);
inline constexpr HRESULT REGDB_E_READREGDB = makeHResult(0x80040150u);
inline constexpr HRESULT REGDB_E_WRITEREGDB = makeHResult(0x80040151u);
inline constexpr HRESULT REGDB_E_KEYMISSING = makeHResult(0x80040152u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = makeHResult(0x80040154u);
inline constexpr HRESULT CO_E_CLASSSTRING = makeHResult(0x800401F3u);
inline constexpr HRESULT CO_E_DLLNOTFOUND = makeHResult(0x800401F8u);
inline constexpr HRESULT CO_E_ERRORINDLL = makeHResult(0x800401F9u);
inline constexpr HRESULT CO_E_NOTINITIALIZED = makeHResult(0x800401F0u);
inline constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = makeHResult(0x8002802Bu);
inline constexpr HRESULT TYPE_E_LIBNOTREGISTERED = makeHResult(0x8002801Du);

inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = makeHResult(0x80020001u);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = makeHResult(0x80020003u);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = makeHResult(0x80020004u);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = makeHResult(0x80020005u);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = makeHResult(0x80020006u);
inline constexpr HRESULT DISP_E_NONAMEDARGS = makeHResult(0x80020007u);
inline constexpr HRESULT DISP_E_BADVARTYPE = makeHResult(0x80020008u);
inline constexpr HRESULT DISP_E_EXCEPTION = makeHResult(0x80020009u);
inline constexpr HRESULT DISP_E_OVERFLOW = makeHResult(0x8002000Au);
inline constexpr HRESULT DISP_E_BADINDEX = makeHResult(0x8002000Bu);
inline constexpr HRESULT DISP_E_UNKNOWNLCID = makeHResult(0x8002000Cu);
inline constexpr HRESULT DISP_E_ARRAYISLOCKED = makeHResult(0x8002000Du);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = makeHResult(0x8002000Eu);
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = makeHResult(0x8002000Fu);
inline constexpr HRESULT DISP_E_NOTACOLLECTION = makeHResult(0x80020011u);
inline constexpr HRESULT DISP_E_DIVBYZERO = makeHResult(0x80020012u);
