#include "com/Variant.h"

#include "com/IDispatch.h"
#include "com/OleDate.h"
#include "com/SafeArray.h"
#include "com/VariantTypes.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace {

long double numberOf(const VARIANT& v) {
    switch (v.vt) {
    case VT_I1:
        return static_cast<signed char>(v.cVal);
    case VT_I2:
        return v.iVal;
    case VT_I4:
    case VT_INT:
        return v.lVal;
    case VT_I8:
        return static_cast<long double>(v.llVal);
    case VT_UI1:
        return v.bVal;
    case VT_UI2:
        return v.uiVal;
    case VT_UI4:
    case VT_UINT:
        return v.ulVal;
    case VT_UI8:
        return static_cast<long double>(v.ullVal);
    case VT_R4:
        return v.fltVal;
    case VT_R8:
        return v.dblVal;
    case VT_DATE:
        return v.date;
    case VT_BOOL:
        return v.boolVal != 0 ? -1 : 0;
    default:
        return 0;
    }
}

template <class T> HRESULT toInteger(long double x, T& out) {
    if (!std::isfinite(x)) {
        return DISP_E_OVERFLOW;
    }
    long double r = std::nearbyintl(x); // the default rounding: to nearest, ties to even
    if (r < static_cast<long double>(std::numeric_limits<T>::min()) ||
        r > static_cast<long double>(std::numeric_limits<T>::max())) {
        return DISP_E_OVERFLOW;
    }
    out = static_cast<T>(r);
    return S_OK;
}

HRESULT numberTo(long double x, VARTYPE vt, VARIANT& out) {
    out.vt = vt;
    switch (vt) {
    case VT_I1: {
        signed char c = 0;
        HRESULT hr = toInteger(x, c);
        out.cVal = static_cast<char>(c);
        return hr;
    }
    case VT_I2:
        return toInteger(x, out.iVal);
    case VT_I4:
    case VT_INT:
        return toInteger(x, out.lVal);
    case VT_I8:
        return toInteger(x, out.llVal);
    case VT_UI1:
        return toInteger(x, out.bVal);
    case VT_UI2:
        return toInteger(x, out.uiVal);
    case VT_UI4:
    case VT_UINT:
        return toInteger(x, out.ulVal);
    case VT_UI8:
        return toInteger(x, out.ullVal);
    case VT_R4:
        if (std::isfinite(x) && std::fabs(x) > FLT_MAX) {
            return DISP_E_OVERFLOW;
        }
        out.fltVal = static_cast<float>(x);
        return S_OK;
    case VT_R8:
        out.dblVal = static_cast<double>(x);
        return S_OK;
    case VT_DATE:
        if (!std::isfinite(x) || x < -657434.0L || x >= 2958466.0L) {
            return DISP_E_OVERFLOW;
        }
        out.date = static_cast<double>(x);
        return S_OK;
    case VT_BOOL:
        out.boolVal = x != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

std::string trim(const std::string& s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n')) {
        ++b;
    }
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n')) {
        --e;
    }
    return s.substr(b, e - b);
}

bool equalsIgnoreCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y) {
            return false;
        }
    }
    return i == a.size() && b[i] == 0;
}

enum class Parsed { Number, Overflow, NotANumber };

// Parses a number written in the "C" locale.
Parsed parseNumber(const std::string& raw, long double& value) {
    std::string s = trim(raw);
    if (!s.empty() && s[0] == '+') {
        s.erase(0, 1);
    }
    if (s.empty()) {
        return Parsed::NotANumber;
    }
    const char* first = s.data();
    const char* last = s.data() + s.size();
    long long integer = 0;
    auto [p, ec] = std::from_chars(first, last, integer);
    if (ec == std::errc() && p == last) {
        value = static_cast<long double>(integer);
        return Parsed::Number;
    }
    double d = 0;
    auto [q, ec2] = std::from_chars(first, last, d, std::chars_format::general);
    if (q != last) {
        return Parsed::NotANumber;
    }
    if (ec2 == std::errc::result_out_of_range) {
        return Parsed::Overflow;
    }
    if (ec2 != std::errc()) {
        return Parsed::NotANumber;
    }
    value = d;
    return Parsed::Number;
}

bool readInt(const std::string& s, std::size_t& i, int& out, int maxDigits) {
    int n = 0;
    int digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < maxDigits) {
        n = n * 10 + (s[i] - '0');
        ++i;
        ++digits;
    }
    out = n;
    return digits > 0;
}

// "YYYY-MM-DD[( |T)HH:MM[:SS]]" or "M/D/YYYY[ H:MM[:SS][ AM|PM]]" or "H:MM[:SS][ AM|PM]".
bool parseDate(const std::string& raw, DATE& out) {
    std::string s = trim(raw);
    com::DateParts p;
    std::size_t i = 0;
    int a = 0, b = 0, c = 0;
    bool haveDate = false;
    std::size_t save = i;
    if (readInt(s, i, a, 4) && i < s.size() && (s[i] == '-' || s[i] == '/')) {
        char sep = s[i++];
        if (!readInt(s, i, b, 2) || i >= s.size() || s[i] != sep) {
            return false;
        }
        ++i;
        if (!readInt(s, i, c, 4)) {
            return false;
        }
        if (sep == '-') {
            p.year = a, p.month = b, p.day = c;
        } else {
            p.month = a, p.day = b, p.year = c;
        }
        haveDate = true;
        if (i < s.size() && (s[i] == ' ' || s[i] == 'T')) {
            ++i;
        }
    } else {
        i = save;
    }
    if (i < s.size()) {
        int h = 0, m = 0, sec = 0;
        if (!readInt(s, i, h, 2) || i >= s.size() || s[i] != ':') {
            return false;
        }
        ++i;
        if (!readInt(s, i, m, 2)) {
            return false;
        }
        if (i < s.size() && s[i] == ':') {
            ++i;
            if (!readInt(s, i, sec, 2)) {
                return false;
            }
        }
        while (i < s.size() && s[i] == ' ') {
            ++i;
        }
        std::string suffix = s.substr(i);
        if (!suffix.empty()) {
            bool pm = equalsIgnoreCase(suffix, "PM");
            if (!pm && !equalsIgnoreCase(suffix, "AM")) {
                return false;
            }
            if (h < 1 || h > 12) {
                return false;
            }
            h = h % 12 + (pm ? 12 : 0);
        }
        p.hour = h, p.minute = m, p.second = sec;
    } else if (!haveDate) {
        return false;
    }
    auto value = com::dateFromParts(p);
    if (!value) {
        return false;
    }
    out = *value;
    return true;
}

std::string formatDouble(double d, int precision) {
    if (std::isnan(d)) {
        return "NaN";
    }
    if (std::isinf(d)) {
        return d > 0 ? "Infinity" : "-Infinity";
    }
    char buffer[64];
    auto [p, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, d, std::chars_format::general, precision);
    std::string s(buffer, ec == std::errc() ? p : buffer);
    for (char& ch : s) {
        if (ch == 'e') {
            ch = 'E';
        }
    }
    return s;
}

std::string formatDate(DATE date) {
    auto p = com::dateToParts(date);
    if (!p) {
        return {};
    }
    std::string s;
    char buffer[64];
    bool hasTime = p->hour != 0 || p->minute != 0 || p->second != 0;
    bool hasDate = !(p->year == 1899 && p->month == 12 && p->day == 30);
    if (hasDate || !hasTime) {
        std::snprintf(buffer, sizeof buffer, "%d/%d/%d", p->month, p->day, p->year);
        s = buffer;
    }
    if (hasTime) {
        int h12 = p->hour % 12 == 0 ? 12 : p->hour % 12;
        std::snprintf(buffer, sizeof buffer, "%s%d:%02d:%02d %s", s.empty() ? "" : " ", h12,
                      p->minute, p->second, p->hour < 12 ? "AM" : "PM");
        s += buffer;
    }
    return s;
}

HRESULT toText(const VARIANT& v, USHORT flags, VARIANT& out) {
    std::string text;
    switch (v.vt) {
    case VT_EMPTY:
        break;
    case VT_BOOL:
        text =
            (flags & VARIANT_ALPHABOOL) ? (v.boolVal ? "True" : "False") : (v.boolVal ? "-1" : "0");
        break;
    case VT_R4:
        text = formatDouble(v.fltVal, 7);
        break;
    case VT_R8:
        text = formatDouble(v.dblVal, 15);
        break;
    case VT_DATE:
        text = formatDate(v.date);
        if (text.empty()) {
            return DISP_E_OVERFLOW;
        }
        break;
    case VT_I8:
        text = std::to_string(v.llVal);
        break;
    case VT_UI8:
        text = std::to_string(v.ullVal);
        break;
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UINT:
        text = std::to_string(static_cast<unsigned long long>(numberOf(v)));
        break;
    default:
        if (!isNumericVariantType(v.vt)) {
            return DISP_E_TYPEMISMATCH;
        }
        text = std::to_string(static_cast<long long>(numberOf(v)));
        break;
    }
    out.vt = VT_BSTR;
    out.bstrVal = com::allocBstrFromUtf8(text);
    return out.bstrVal ? S_OK : E_OUTOFMEMORY;
}

HRESULT fromText(BSTR text, VARTYPE vt, VARIANT& out) {
    std::string s = com::bstrToUtf8(text);
    if (vt == VT_BOOL) {
        std::string t = trim(s);
        if (equalsIgnoreCase(t, "true") || equalsIgnoreCase(t, "#true#")) {
            out.vt = VT_BOOL;
            out.boolVal = VARIANT_TRUE;
            return S_OK;
        }
        if (equalsIgnoreCase(t, "false") || equalsIgnoreCase(t, "#false#")) {
            out.vt = VT_BOOL;
            out.boolVal = VARIANT_FALSE;
            return S_OK;
        }
    }
    if (vt == VT_DATE) {
        DATE d = 0;
        if (parseDate(s, d)) {
            out.vt = VT_DATE;
            out.date = d;
            return S_OK;
        }
    }
    long double x = 0;
    switch (parseNumber(s, x)) {
    case Parsed::Number:
        return numberTo(x, vt, out);
    case Parsed::Overflow:
        return DISP_E_OVERFLOW;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

HRESULT convert(const VARIANT& src, USHORT flags, VARTYPE vt, VARIANT& out);

// An object converts through its value property (DISPID_VALUE).
HRESULT fromObject(const VARIANT& src, USHORT flags, VARTYPE vt, VARIANT& out) {
    if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
        if (!src.punkVal) {
            out.vt = vt;
            out.punkVal = nullptr;
            return S_OK;
        }
        void* p = nullptr;
        HRESULT hr =
            src.punkVal->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &p);
        if (FAILED(hr)) {
            return DISP_E_TYPEMISMATCH;
        }
        out.vt = vt;
        out.punkVal = static_cast<IUnknown*>(p);
        return S_OK;
    }
    if ((flags & VARIANT_NOVALUEPROP) || !src.punkVal) {
        return DISP_E_TYPEMISMATCH;
    }
    IDispatch* dispatch = nullptr;
    if (src.vt == VT_DISPATCH) {
        dispatch = src.pdispVal;
        dispatch->AddRef();
    } else if (FAILED(src.punkVal->QueryInterface(IID_IDispatch,
                                                  reinterpret_cast<void**>(&dispatch)))) {
        return DISP_E_TYPEMISMATCH;
    }
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = dispatch->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                  &none, &value, nullptr, nullptr);
    dispatch->Release();
    if (FAILED(hr)) {
        VariantClear(&value);
        return DISP_E_TYPEMISMATCH;
    }
    if (value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN) {
        VariantClear(&value);
        return DISP_E_TYPEMISMATCH;
    }
    hr = convert(value, flags, vt, out);
    VariantClear(&value);
    return hr;
}

HRESULT convert(const VARIANT& src, USHORT flags, VARTYPE vt, VARIANT& out) {
    if (src.vt == vt) {
        return VariantCopy(&out, &src);
    }
    if ((vt & VT_ARRAY) || (src.vt & VT_ARRAY)) {
        return DISP_E_TYPEMISMATCH;
    }
    switch (src.vt) {
    case VT_NULL:
        return DISP_E_TYPEMISMATCH;
    case VT_ERROR:
        if (vt == VT_I4 || vt == VT_UI4 || vt == VT_INT || vt == VT_UINT) {
            out.vt = vt;
            out.lVal = src.scode;
            return S_OK;
        }
        return DISP_E_TYPEMISMATCH;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        return fromObject(src, flags, vt, out);
    case VT_BSTR:
        if (vt == VT_DISPATCH || vt == VT_UNKNOWN || vt == VT_ERROR || vt == VT_NULL) {
            return DISP_E_TYPEMISMATCH;
        }
        if (vt == VT_EMPTY) {
            out.vt = VT_EMPTY;
            return S_OK;
        }
        return fromText(src.bstrVal, vt, out);
    case VT_EMPTY:
        if (vt == VT_BSTR) {
            out.vt = VT_BSTR;
            out.bstrVal = SysAllocStringLen(u"", 0);
            return out.bstrVal ? S_OK : E_OUTOFMEMORY;
        }
        if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
            out.vt = vt;
            out.punkVal = nullptr;
            return S_OK;
        }
        if (vt == VT_NULL || vt == VT_ERROR) {
            return DISP_E_TYPEMISMATCH;
        }
        return numberTo(0, vt, out);
    default:
        break;
    }
    if (!isNumericVariantType(src.vt)) {
        return DISP_E_BADVARTYPE;
    }
    if (vt == VT_BSTR) {
        return toText(src, flags, out);
    }
    if (vt == VT_EMPTY) {
        out.vt = VT_EMPTY;
        return S_OK;
    }
    if (vt == VT_NULL || vt == VT_ERROR || vt == VT_DISPATCH || vt == VT_UNKNOWN) {
        return DISP_E_TYPEMISMATCH;
    }
    if (!isNumericVariantType(vt)) {
        return DISP_E_BADVARTYPE;
    }
    return numberTo(numberOf(src), vt, out);
}

} // namespace

HRESULT VariantChangeTypeEx(VARIANTARG* dest, const VARIANTARG* src, LCID, USHORT flags,
                            VARTYPE vt) {
    return VariantChangeType(dest, src, flags, vt);
}

HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags, VARTYPE vt) {
    if (!dest || !src) {
        return E_INVALIDARG;
    }
    if ((vt & VT_BYREF) || vt == VT_VARIANT) {
        return DISP_E_BADVARTYPE;
    }
    VARIANT source;
    VariantInit(&source);
    HRESULT hr = VariantCopyInd(&source, src);
    if (FAILED(hr)) {
        return hr;
    }
    VARIANT result;
    VariantInit(&result);
    hr = convert(source, flags, vt, result);
    VariantClear(&source);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    if (dest == src) {
        VariantClear(dest);
    } else {
        hr = VariantClear(dest);
        if (FAILED(hr)) {
            VariantClear(&result);
            return hr;
        }
    }
    *dest = result;
    return S_OK;
}
