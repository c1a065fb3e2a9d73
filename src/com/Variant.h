#pragma once

// VARIANT in the Windows layout (24 bytes on 64-bit), the VT_ constants, VariantInit /
// VariantClear / VariantCopy / VariantCopyInd / VariantChangeType, and the RAII wrapper
// com::Variant.
//
// Types carried: VT_EMPTY, VT_NULL, VT_I1, VT_I2, VT_I4, VT_I8, VT_UI1, VT_UI2, VT_UI4, VT_UI8,
// VT_INT, VT_UINT, VT_R4, VT_R8, VT_DATE, VT_BOOL, VT_ERROR, VT_BSTR, VT_DISPATCH,
// VT_UNKNOWN, VT_ARRAY | any of these or VT_VARIANT, and VT_BYREF | any of them.
// VT_CY, VT_DECIMAL and VT_RECORD are not supported (DISP_E_BADVARTYPE).

#include "com/BStr.h"

#include <string>
#include <string_view>

struct IUnknown;
struct IDispatch;
struct SAFEARRAY;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_RECORD = 36,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        FLOAT* pfltVal;
        DOUBLE* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        void* byref;
        char cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        char* pcVal;
        USHORT* puiVal;
        ULONG* pulVal;
        ULONGLONG* pullVal;
        INT* pintVal;
        UINT* puintVal;
        struct {
            void* pvRecord;
            void* pRecInfo;
        } record;
    };
};
using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT*;

#define V_VT(v) ((v)->vt)
#define V_ISBYREF(v) (((v)->vt & VT_BYREF) != 0)
#define V_ISARRAY(v) (((v)->vt & VT_ARRAY) != 0)
#define V_I2(v) ((v)->iVal)
#define V_I4(v) ((v)->lVal)
#define V_I8(v) ((v)->llVal)
#define V_UI1(v) ((v)->bVal)
#define V_UI4(v) ((v)->ulVal)
#define V_INT(v) ((v)->intVal)
#define V_UINT(v) ((v)->uintVal)
#define V_R4(v) ((v)->fltVal)
#define V_R8(v) ((v)->dblVal)
#define V_DATE(v) ((v)->date)
#define V_BOOL(v) ((v)->boolVal)
#define V_ERROR(v) ((v)->scode)
#define V_BSTR(v) ((v)->bstrVal)
#define V_DISPATCH(v) ((v)->pdispVal)
#define V_UNKNOWN(v) ((v)->punkVal)
#define V_ARRAY(v) ((v)->parray)
#define V_BYREF(v) ((v)->byref)
#define V_VARIANTREF(v) ((v)->pvarVal)

// Flags of VariantChangeType.
inline constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
inline constexpr USHORT VARIANT_ALPHABOOL = 0x02;
inline constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x04;
inline constexpr USHORT VARIANT_LOCALBOOL = 0x10;

void VariantInit(VARIANTARG* v);
HRESULT VariantClear(VARIANTARG* v);
// Clears `dest` first; deep copy (BSTRs and arrays copied, interfaces AddRef'ed).
HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src);
// Like VariantCopy, dereferencing a VT_BYREF source.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* src);
// Coerces `src` to `vt` into `dest` (`dest` may be `src`). Numbers are converted with
// rounding to nearest even and DISP_E_OVERFLOW when out of range; text is parsed and
// written independently of the locale ("1.5", "-1" / "0" for booleans, "True" / "False" with
// VARIANT_ALPHABOOL); VT_NULL converts to nothing but VT_NULL (DISP_E_TYPEMISMATCH); an
// object converts through its DISPID_VALUE property.
HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags, VARTYPE vt);
HRESULT VariantChangeTypeEx(VARIANTARG* dest, const VARIANTARG* src, LCID lcid, USHORT flags,
                            VARTYPE vt);

namespace com {

// Owns one VARIANT; cleared on destruction.
class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(const Variant& other);
    Variant& operator=(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(Variant&& other) noexcept;
    ~Variant() { VariantClear(&value_); }
    explicit Variant(const VARIANT& copyOf);

    static Variant fromText(std::u16string_view text);
    static Variant fromUtf8(std::string_view utf8);
    static Variant fromBytes(std::string_view bytes); // a binary string
    static Variant fromBstr(BSTR adopted);            // takes ownership
    static Variant fromLong(LONG value);
    static Variant fromULong(ULONG value);
    static Variant fromDouble(double value);
    static Variant fromDate(DATE value);
    static Variant fromBool(bool value);
    static Variant fromDispatch(IDispatch* value);                     // AddRef'ed
    static Variant fromUnknown(IUnknown* value);                       // AddRef'ed
    static Variant fromArray(SAFEARRAY* adopted, VARTYPE elementType); // takes ownership
    static Variant null();
    static Variant missing(); // VT_ERROR / DISP_E_PARAMNOTFOUND: an omitted optional argument

    VARIANT* get() { return &value_; }
    const VARIANT* get() const { return &value_; }
    // Clears the value and returns the address for an [out] parameter.
    VARIANT* out();
    // Moves the value into `target` (which must be uninitialised or empty) and leaves this
    // one empty.
    void detach(VARIANT* target);
    VARTYPE vt() const { return value_.vt; }
    bool isMissing() const;

    // A converted copy; throws nothing: the HRESULT says whether it worked.
    HRESULT changeType(VARTYPE vt, Variant& result, USHORT flags = 0) const;

private:
    VARIANT value_;
};

// True for an omitted optional argument (VT_ERROR / DISP_E_PARAMNOTFOUND).
bool isMissingArgument(const VARIANT* v);

} // namespace com
