#include "bridge/JsonValue.h"

#include "bridge/BridgeError.h"
#include "bridge/IsoDate.h"
#include "com/AutomationError.h"
#include "com/BStr.h"
#include "com/SafeArray.h"
#include "com/VariantNumber.h"
#include "stream/Base64.h"

#include <cmath>
#include <optional>
#include <type_traits>
#include <variant>
#include <vector>

namespace bridge {

namespace {

using nlohmann::json;

[[noreturn]] void mismatch(const std::string& what) {
    throw BridgeError(com::kTypeMismatch, "Type mismatch: " + what);
}

[[noreturn]] void malformed(const std::string& what) {
    throw BridgeError(kMalformed, "Mensaje mal formado: " + what);
}

com::Variant numberVariant(const json& value) {
    if (value.is_number_unsigned()) {
        auto v = value.get<std::uint64_t>();
        if (v <= 2147483647u) {
            return com::Variant::fromLong(static_cast<LONG>(v));
        }
        return com::Variant::fromDouble(static_cast<double>(v));
    }
    if (value.is_number_integer()) {
        auto v = value.get<std::int64_t>();
        if (v >= -2147483648LL && v <= 2147483647LL) {
            return com::Variant::fromLong(static_cast<LONG>(v));
        }
        return com::Variant::fromDouble(static_cast<double>(v));
    }
    double d = value.get<double>();
    if (std::isfinite(d) && d == std::trunc(d) && d >= -2147483648.0 && d <= 2147483647.0 &&
        !(d == 0 && std::signbit(d))) {
        return com::Variant::fromLong(static_cast<LONG>(d));
    }
    return com::Variant::fromDouble(d);
}

bool isBase64Text(const std::string& text) {
    for (char c : text) {
        bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                  c == '+' || c == '/' || c == '=';
        if (!ok) {
            return false;
        }
    }
    return true;
}

com::Variant textVariant(const std::string& utf8, bool binary) {
    if (!binary) {
        return com::Variant::fromUtf8(utf8);
    }
    // A text standing for bytes: every character must be a byte.
    std::u16string units = com::utf8ToUtf16(utf8);
    std::string bytes;
    bytes.reserve(units.size());
    for (char16_t c : units) {
        if (c > 0xFF) {
            throw BridgeError(com::kTypeMismatch,
                              "Type mismatch: a binary string holds characters 0 to 255 only");
        }
        bytes.push_back(static_cast<char>(c));
    }
    return com::Variant::fromBytes(bytes);
}

com::Variant taggedVariant(const json& value, ObjectTable& objects) {
    if (value.size() != 1) {
        mismatch("objeto no convertible");
    }
    const std::string& key = value.begin().key();
    const json& inner = value.begin().value();
    if (key == "$bin") {
        if (!inner.is_string() || !isBase64Text(inner.get_ref<const std::string&>())) {
            malformed("\"$bin\" debe ser Base64");
        }
        return com::Variant::fromBytes(stream::Base64::decode(inner.get_ref<const std::string&>()));
    }
    if (key == "$obj") {
        if (!inner.is_number_integer()) {
            malformed("\"$obj\" debe ser un entero");
        }
        return com::Variant::fromDispatch(objects.find(inner.get<std::int64_t>()).dispatch());
    }
    if (key == "$date") {
        if (!inner.is_string()) {
            malformed("\"$date\" debe ser un texto");
        }
        std::optional<DATE> date = IsoDate::parse(inner.get_ref<const std::string&>());
        if (!date) {
            malformed("fecha no válida");
        }
        return com::Variant::fromDate(*date);
    }
    mismatch("objeto no convertible");
}

com::Variant arrayVariant(const json& value, ObjectTable& objects) {
    if (value.size() > 0x7FFFFFFFu) {
        mismatch("lista demasiado larga");
    }
    SAFEARRAY* psa = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(value.size()));
    if (!psa) {
        throw BridgeError(E_OUTOFMEMORY, com::utf16ToUtf8(com::describeHResult(E_OUTOFMEMORY)));
    }
    com::Variant array = com::Variant::fromArray(psa, VT_VARIANT);
    LONG index = 0;
    for (const json& element : value) {
        com::Variant v = JsonValue::toVariant(element, false, objects);
        HRESULT hr = SafeArrayPutElement(psa, &index, v.get());
        if (FAILED(hr)) {
            throw BridgeError(hr, com::utf16ToUtf8(com::describeHResult(hr)));
        }
        ++index;
    }
    return array;
}

json arrayJson(SAFEARRAY* psa, ObjectTable& objects);

// The elements of dimension `dim` (0-based, the first index first) with the leading indices
// fixed in `indices`.
json dimensionJson(SAFEARRAY* psa, UINT dims, UINT dim, std::vector<LONG>& indices,
                   ObjectTable& objects) {
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(psa, dim + 1, &lower);
    SafeArrayGetUBound(psa, dim + 1, &upper);
    json out = json::array();
    for (LONG i = lower; i <= upper; ++i) {
        indices[dim] = i;
        if (dim + 1 < dims) {
            out.push_back(dimensionJson(psa, dims, dim + 1, indices, objects));
            continue;
        }
        void* element = nullptr;
        if (FAILED(SafeArrayPtrOfIndex(psa, indices.data(), &element))) {
            out.push_back(nullptr);
            continue;
        }
        out.push_back(JsonValue::fromVariant(SafeArrayElementView(psa, element), false, objects));
    }
    return out;
}

json arrayJson(SAFEARRAY* psa, ObjectTable& objects) {
    if (!psa) {
        return json::array();
    }
    UINT dims = SafeArrayGetDim(psa);
    if (dims == 0) {
        return json::array();
    }
    std::vector<LONG> indices(dims, 0);
    return dimensionJson(psa, dims, 0, indices, objects);
}

json dispatchJson(IDispatch* dispatch, ObjectTable& objects) {
    if (!dispatch) {
        return nullptr;
    }
    return json{{"$obj", objects.add(dispatch)}};
}

} // namespace

com::Variant JsonValue::toVariant(const json& value, bool binary, ObjectTable& objects) {
    switch (value.type()) {
    case json::value_t::null:
        return com::Variant::null();
    case json::value_t::boolean:
        return com::Variant::fromBool(value.get<bool>());
    case json::value_t::number_integer:
    case json::value_t::number_unsigned:
    case json::value_t::number_float:
        return numberVariant(value);
    case json::value_t::string:
        return textVariant(value.get_ref<const std::string&>(), binary);
    case json::value_t::object:
        return taggedVariant(value, objects);
    case json::value_t::array:
        return arrayVariant(value, objects);
    default:
        mismatch("valor no convertible");
    }
}

json JsonValue::fromVariant(const VARIANT& source, bool binary, ObjectTable& objects) {
    com::Variant deref;
    const VARIANT* v = &source;
    if (source.vt & VT_BYREF) {
        if (FAILED(VariantCopyInd(deref.out(), &source))) {
            return nullptr;
        }
        v = deref.get();
    }
    if (v->vt & VT_ARRAY) {
        return arrayJson(v->parray, objects);
    }
    if (std::optional<com::VariantNumber> number = com::variantNumber(*v)) {
        return std::visit(
            [](auto n) -> json {
                if constexpr (std::is_same_v<decltype(n), double>) {
                    if (!std::isfinite(n)) {
                        return nullptr; // JSON has no NaN or infinity
                    }
                }
                return n;
            },
            *number);
    }
    switch (v->vt) {
    case VT_EMPTY:
    case VT_NULL:
        return nullptr;
    case VT_BOOL:
        return v->boolVal != 0;
    case VT_DATE: {
        std::optional<std::string> text = IsoDate::format(v->date);
        if (!text) {
            return nullptr;
        }
        return json{{"$date", *text}};
    }
    case VT_BSTR:
        if (binary) {
            return json{{"$bin", stream::Base64::encode(com::bstrBytes(v->bstrVal))}};
        }
        return com::bstrToUtf8(v->bstrVal);
    case VT_DISPATCH:
        return dispatchJson(v->pdispVal, objects);
    case VT_UNKNOWN: {
        IDispatch* dispatch = nullptr;
        if (v->punkVal && SUCCEEDED(v->punkVal->QueryInterface(
                              IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
            json out = dispatchJson(dispatch, objects);
            dispatch->Release();
            return out;
        }
        return nullptr;
    }
    default:
        return nullptr;
    }
}

} // namespace bridge
