#pragma once

// SAFEARRAY in the Windows layout. Memory order is that of Windows: the first (leftmost)
// index varies fastest; rgsabound[] holds the dimensions in reverse order (rgsabound[0] is
// the rightmost). Indices passed to SafeArrayGetElement / PutElement are in left-to-right
// order (rgIndices[0] is the first index).

#include "com/Variant.h"

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
};
using LPSAFEARRAY = SAFEARRAY*;

inline constexpr USHORT FADF_AUTO = 0x0001;
inline constexpr USHORT FADF_STATIC = 0x0002;
inline constexpr USHORT FADF_EMBEDDED = 0x0004;
inline constexpr USHORT FADF_FIXEDSIZE = 0x0010;
inline constexpr USHORT FADF_BSTR = 0x0100;
inline constexpr USHORT FADF_UNKNOWN = 0x0200;
inline constexpr USHORT FADF_DISPATCH = 0x0400;
inline constexpr USHORT FADF_VARIANT = 0x0800;
inline constexpr USHORT FADF_HAVEVARTYPE = 0x0080;

// Element types: VT_I1, VT_I2, VT_I4, VT_I8, VT_UI1, VT_UI2, VT_UI4, VT_UI8, VT_INT, VT_UINT,
// VT_R4, VT_R8, VT_DATE, VT_BOOL, VT_ERROR, VT_BSTR, VT_DISPATCH, VT_UNKNOWN, VT_VARIANT.
// `bounds` is in left-to-right order; null when the type or a size is unusable.
SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, const SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
HRESULT SafeArrayDestroy(SAFEARRAY* psa);
HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut);
UINT SafeArrayGetDim(SAFEARRAY* psa);
UINT SafeArrayGetElemsize(SAFEARRAY* psa);
HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);
// nDim counts from 1 (the leftmost dimension).
HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
// Copies the element out (BSTRs and VARIANTs deep-copied, interfaces AddRef'ed).
HRESULT SafeArrayGetElement(SAFEARRAY* psa, const LONG* rgIndices, void* pv);
// Copies `pv` in (for VT_BSTR pass the BSTR itself, for VT_VARIANT a VARIANT*, for
// interfaces the pointer; the previous element is freed).
HRESULT SafeArrayPutElement(SAFEARRAY* psa, const LONG* rgIndices, void* pv);
HRESULT SafeArrayPtrOfIndex(SAFEARRAY* psa, const LONG* rgIndices, void** ppvData);
// A non-owning VARIANT view of the element at `element` (from SafeArrayPtrOfIndex or the
// array's data): the element itself in an array of VARIANTs, else a VARIANT of the array's
// type holding the element's bits. Never cleared by the caller.
VARIANT SafeArrayElementView(SAFEARRAY* psa, const void* element);
HRESULT SafeArrayLock(SAFEARRAY* psa);
HRESULT SafeArrayUnlock(SAFEARRAY* psa);
HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);

namespace com {

// Owns a SAFEARRAY; destroyed with the wrapper.
class SafeArray {
public:
    SafeArray() = default;
    explicit SafeArray(SAFEARRAY* adopted) : array_(adopted) {}
    SafeArray(const SafeArray&) = delete;
    SafeArray& operator=(const SafeArray&) = delete;
    SafeArray(SafeArray&& other) noexcept : array_(other.release()) {}
    SafeArray& operator=(SafeArray&& other) noexcept;
    ~SafeArray();

    // A two-dimensional array of VARIANTs with lower bounds 0: rows x columns, first index
    // the row (VT_ARRAY | VT_VARIANT results such as tables of strings). Throws
    // std::bad_alloc when the array cannot be created.
    static SafeArray variantMatrix(ULONG rows, ULONG columns);
    static SafeArray variantVector(ULONG count);
    // Puts a copy of `value` at (row, column) / at index; returns the HRESULT of the put.
    HRESULT put(LONG row, LONG column, const VARIANT& value);
    HRESULT put(LONG index, const VARIANT& value);

    SAFEARRAY* get() const { return array_; }
    SAFEARRAY* release();

private:
    SAFEARRAY* array_ = nullptr;
};

} // namespace com
