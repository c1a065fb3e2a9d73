#include "com/SafeArray.h"

#include "com/IUnknown.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace {

// The descriptor is preceded by 16 bytes; the element VARTYPE sits in the 4 bytes right
// before it, where Windows keeps it for FADF_HAVEVARTYPE arrays.
constexpr std::size_t kPrefix = 16;

std::size_t elementSize(VARTYPE vt) {
    switch (vt) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
        return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE:
        return 8;
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
        return sizeof(void*);
    case VT_VARIANT:
        return sizeof(VARIANT);
    default:
        return 0;
    }
}

USHORT featuresOf(VARTYPE vt) {
    switch (vt) {
    case VT_BSTR:
        return FADF_BSTR | FADF_HAVEVARTYPE;
    case VT_DISPATCH:
        return FADF_DISPATCH | FADF_HAVEVARTYPE;
    case VT_UNKNOWN:
        return FADF_UNKNOWN | FADF_HAVEVARTYPE;
    case VT_VARIANT:
        return FADF_VARIANT | FADF_HAVEVARTYPE;
    default:
        return FADF_HAVEVARTYPE;
    }
}

unsigned char* blockOf(SAFEARRAY* psa) {
    return reinterpret_cast<unsigned char*>(psa) - kPrefix;
}

VARTYPE vartypeOf(SAFEARRAY* psa) {
    DWORD vt = 0;
    std::memcpy(&vt, blockOf(psa) + kPrefix - sizeof(DWORD), sizeof(DWORD));
    return static_cast<VARTYPE>(vt);
}

// Number of elements; false on overflow.
bool elementCount(SAFEARRAY* psa, std::size_t& count) {
    std::size_t n = 1;
    for (USHORT i = 0; i < psa->cDims; ++i) {
        std::size_t c = psa->rgsabound[i].cElements;
        if (c != 0 && n > std::numeric_limits<std::size_t>::max() / c) {
            return false;
        }
        n *= c;
    }
    count = n;
    return true;
}

SAFEARRAY* allocateDescriptor(VARTYPE vt, UINT cDims) {
    std::size_t size = kPrefix + offsetof(SAFEARRAY, rgsabound) + cDims * sizeof(SAFEARRAYBOUND);
    auto* block = static_cast<unsigned char*>(std::calloc(1, size));
    if (!block) {
        return nullptr;
    }
    DWORD stored = vt;
    std::memcpy(block + kPrefix - sizeof(DWORD), &stored, sizeof(DWORD));
    auto* psa = reinterpret_cast<SAFEARRAY*>(block + kPrefix);
    psa->cDims = static_cast<USHORT>(cDims);
    psa->fFeatures = featuresOf(vt);
    psa->cbElements = static_cast<ULONG>(elementSize(vt));
    return psa;
}

void releaseElements(SAFEARRAY* psa, std::size_t count) {
    if (!psa->pvData) {
        return;
    }
    if (psa->fFeatures & FADF_BSTR) {
        auto* items = static_cast<BSTR*>(psa->pvData);
        for (std::size_t i = 0; i < count; ++i) {
            SysFreeString(items[i]);
            items[i] = nullptr;
        }
    } else if (psa->fFeatures & FADF_VARIANT) {
        auto* items = static_cast<VARIANT*>(psa->pvData);
        for (std::size_t i = 0; i < count; ++i) {
            VariantClear(&items[i]);
        }
    } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
        auto* items = static_cast<IUnknown**>(psa->pvData);
        for (std::size_t i = 0; i < count; ++i) {
            if (items[i]) {
                items[i]->Release();
                items[i] = nullptr;
            }
        }
    }
}

HRESULT offsetOf(SAFEARRAY* psa, const LONG* rgIndices, std::size_t& offset) {
    if (!psa || !rgIndices) {
        return E_INVALIDARG;
    }
    std::size_t index = 0;
    std::size_t stride = 1;
    for (USHORT k = 0; k < psa->cDims; ++k) {
        const SAFEARRAYBOUND& b = psa->rgsabound[psa->cDims - 1 - k];
        std::int64_t rel = static_cast<std::int64_t>(rgIndices[k]) - b.lLbound;
        if (rel < 0 || rel >= static_cast<std::int64_t>(b.cElements)) {
            return DISP_E_BADINDEX;
        }
        index += static_cast<std::size_t>(rel) * stride;
        stride *= b.cElements;
    }
    offset = index * psa->cbElements;
    return S_OK;
}

HRESULT copyElementOut(VARTYPE vt, const void* element, void* pv) {
    switch (vt) {
    case VT_BSTR: {
        BSTR src = *static_cast<const BSTR*>(element);
        BSTR copy = nullptr;
        if (src) {
            copy = SysAllocStringByteLen(reinterpret_cast<const char*>(src), SysStringByteLen(src));
            if (!copy) {
                return E_OUTOFMEMORY;
            }
        }
        *static_cast<BSTR*>(pv) = copy;
        return S_OK;
    }
    case VT_VARIANT: {
        auto* dest = static_cast<VARIANT*>(pv);
        VariantInit(dest);
        return VariantCopy(dest, static_cast<const VARIANT*>(element));
    }
    case VT_DISPATCH:
    case VT_UNKNOWN: {
        IUnknown* p = *static_cast<IUnknown* const*>(element);
        if (p) {
            p->AddRef();
        }
        *static_cast<IUnknown**>(pv) = p;
        return S_OK;
    }
    default:
        std::memcpy(pv, element, elementSize(vt));
        return S_OK;
    }
}

HRESULT copyElementIn(VARTYPE vt, void* element, const void* pv) {
    switch (vt) {
    case VT_BSTR: {
        BSTR src = static_cast<BSTR>(const_cast<void*>(pv));
        BSTR copy = nullptr;
        if (src) {
            copy = SysAllocStringByteLen(reinterpret_cast<const char*>(src), SysStringByteLen(src));
            if (!copy) {
                return E_OUTOFMEMORY;
            }
        }
        SysFreeString(*static_cast<BSTR*>(element));
        *static_cast<BSTR*>(element) = copy;
        return S_OK;
    }
    case VT_VARIANT:
        return VariantCopy(static_cast<VARIANT*>(element), static_cast<const VARIANT*>(pv));
    case VT_DISPATCH:
    case VT_UNKNOWN: {
        auto* p = static_cast<IUnknown*>(const_cast<void*>(pv));
        if (p) {
            p->AddRef();
        }
        IUnknown*& slot = *static_cast<IUnknown**>(element);
        if (slot) {
            slot->Release();
        }
        slot = p;
        return S_OK;
    }
    default:
        std::memcpy(element, pv, elementSize(vt));
        return S_OK;
    }
}

} // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, const SAFEARRAYBOUND* bounds) {
    if (cDims == 0 || cDims > 64 || !bounds || elementSize(vt) == 0) {
        return nullptr;
    }
    SAFEARRAY* psa = allocateDescriptor(vt, cDims);
    if (!psa) {
        return nullptr;
    }
    for (UINT k = 0; k < cDims; ++k) {
        psa->rgsabound[cDims - 1 - k] = bounds[k];
    }
    std::size_t count = 0;
    if (!elementCount(psa, count) ||
        count > std::numeric_limits<std::size_t>::max() / psa->cbElements / 2) {
        std::free(blockOf(psa));
        return nullptr;
    }
    psa->pvData = std::calloc(count == 0 ? 1 : count, psa->cbElements);
    if (!psa->pvData) {
        std::free(blockOf(psa));
        return nullptr;
    }
    return psa;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
    SAFEARRAYBOUND bound{cElements, lLbound};
    return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
    if (!psa) {
        return S_OK;
    }
    if (psa->cLocks > 0) {
        return DISP_E_ARRAYISLOCKED;
    }
    std::size_t count = 0;
    elementCount(psa, count);
    releaseElements(psa, count);
    std::free(psa->pvData);
    std::free(blockOf(psa));
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
    if (!ppsaOut) {
        return E_INVALIDARG;
    }
    *ppsaOut = nullptr;
    if (!psa) {
        return S_OK;
    }
    VARTYPE vt = vartypeOf(psa);
    std::vector<SAFEARRAYBOUND> bounds(psa->cDims);
    for (USHORT k = 0; k < psa->cDims; ++k) {
        bounds[k] = psa->rgsabound[psa->cDims - 1 - k];
    }
    SAFEARRAY* copy = SafeArrayCreate(vt, psa->cDims, bounds.data());
    if (!copy) {
        return E_OUTOFMEMORY;
    }
    std::size_t count = 0;
    elementCount(psa, count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto* from = static_cast<const unsigned char*>(psa->pvData) + i * psa->cbElements;
        auto* to = static_cast<unsigned char*>(copy->pvData) + i * copy->cbElements;
        HRESULT hr = vt == VT_BSTR ? copyElementIn(vt, to, *reinterpret_cast<const BSTR*>(from))
                     : vt == VT_DISPATCH || vt == VT_UNKNOWN
                         ? copyElementIn(vt, to, *reinterpret_cast<IUnknown* const*>(from))
                         : copyElementIn(vt, to, from);
        if (FAILED(hr)) {
            SafeArrayDestroy(copy);
            return hr;
        }
    }
    *ppsaOut = copy;
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) {
    return psa ? psa->cDims : 0;
}

UINT SafeArrayGetElemsize(SAFEARRAY* psa) {
    return psa ? psa->cbElements : 0;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
    if (!psa || !pvt) {
        return E_INVALIDARG;
    }
    *pvt = vartypeOf(psa);
    return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
    if (!psa || !plLbound) {
        return E_INVALIDARG;
    }
    if (nDim < 1 || nDim > psa->cDims) {
        return DISP_E_BADINDEX;
    }
    *plLbound = psa->rgsabound[psa->cDims - nDim].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
    if (!psa || !plUbound) {
        return E_INVALIDARG;
    }
    if (nDim < 1 || nDim > psa->cDims) {
        return DISP_E_BADINDEX;
    }
    const SAFEARRAYBOUND& b = psa->rgsabound[psa->cDims - nDim];
    *plUbound = static_cast<LONG>(static_cast<std::int64_t>(b.lLbound) + b.cElements - 1);
    return S_OK;
}

HRESULT SafeArrayPtrOfIndex(SAFEARRAY* psa, const LONG* rgIndices, void** ppvData) {
    if (!ppvData) {
        return E_INVALIDARG;
    }
    std::size_t offset = 0;
    HRESULT hr = offsetOf(psa, rgIndices, offset);
    if (FAILED(hr)) {
        return hr;
    }
    *ppvData = static_cast<unsigned char*>(psa->pvData) + offset;
    return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, const LONG* rgIndices, void* pv) {
    if (!pv) {
        return E_INVALIDARG;
    }
    void* element = nullptr;
    HRESULT hr = SafeArrayPtrOfIndex(psa, rgIndices, &element);
    if (FAILED(hr)) {
        return hr;
    }
    return copyElementOut(vartypeOf(psa), element, pv);
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, const LONG* rgIndices, void* pv) {
    void* element = nullptr;
    HRESULT hr = SafeArrayPtrOfIndex(psa, rgIndices, &element);
    if (FAILED(hr)) {
        return hr;
    }
    VARTYPE vt = vartypeOf(psa);
    if (!pv && vt != VT_BSTR && vt != VT_DISPATCH && vt != VT_UNKNOWN) {
        return E_INVALIDARG;
    }
    return copyElementIn(vt, element, pv);
}

HRESULT SafeArrayLock(SAFEARRAY* psa) {
    if (!psa) {
        return E_INVALIDARG;
    }
    if (psa->cLocks == 0xFFFF) {
        return E_UNEXPECTED;
    }
    ++psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
    if (!psa) {
        return E_INVALIDARG;
    }
    if (psa->cLocks == 0) {
        return E_UNEXPECTED;
    }
    --psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
    if (!psa || !ppvData) {
        return E_INVALIDARG;
    }
    HRESULT hr = SafeArrayLock(psa);
    if (FAILED(hr)) {
        return hr;
    }
    *ppvData = psa->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) {
    return SafeArrayUnlock(psa);
}

VARIANT SafeArrayElementView(SAFEARRAY* psa, const void* element) {
    VARTYPE vt = VT_VARIANT;
    SafeArrayGetVartype(psa, &vt);
    if (vt == VT_VARIANT) {
        return *static_cast<const VARIANT*>(element);
    }
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    std::memcpy(&v.llVal, element, std::min<std::size_t>(psa->cbElements, sizeof v.llVal));
    return v;
}

namespace com {

SafeArray& SafeArray::operator=(SafeArray&& other) noexcept {
    if (this != &other) {
        SafeArrayDestroy(array_);
        array_ = other.release();
    }
    return *this;
}

SafeArray::~SafeArray() {
    SafeArrayDestroy(array_);
}

SafeArray SafeArray::variantMatrix(ULONG rows, ULONG columns) {
    SAFEARRAYBOUND bounds[2] = {{rows, 0}, {columns, 0}};
    SAFEARRAY* psa = SafeArrayCreate(VT_VARIANT, 2, bounds);
    if (!psa) {
        throw std::bad_alloc();
    }
    return SafeArray(psa);
}

SafeArray SafeArray::variantVector(ULONG count) {
    SAFEARRAY* psa = SafeArrayCreateVector(VT_VARIANT, 0, count);
    if (!psa) {
        throw std::bad_alloc();
    }
    return SafeArray(psa);
}

HRESULT SafeArray::put(LONG row, LONG column, const VARIANT& value) {
    LONG indices[2] = {row, column};
    return SafeArrayPutElement(array_, indices, const_cast<VARIANT*>(&value));
}

HRESULT SafeArray::put(LONG index, const VARIANT& value) {
    return SafeArrayPutElement(array_, &index, const_cast<VARIANT*>(&value));
}

SAFEARRAY* SafeArray::release() {
    SAFEARRAY* psa = array_;
    array_ = nullptr;
    return psa;
}

} // namespace com
