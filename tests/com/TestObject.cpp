#include "TestObject.h"

namespace {

namespace p = com::param;

constexpr com::DispatchMember kMembers[] = {
    com::method<&ITestObject::concat>("concat", 1),
    com::propget<&ITestObject::get_count>("count", 2),
    com::propput<&ITestObject::put_count>("count", 2),
    com::method<&ITestObject::describe>("describe", 3,
                                        {p::optionalIn(VT_VARIANT), p::optionalRetval(VT_BSTR)}),
    com::propget<&ITestObject::get_data>("data", 4, {p::retval(VT_BSTR, p::binary)}),
    com::propput<&ITestObject::put_data>("data", 4, {p::in(VT_BSTR, p::binary)}),
    com::method<&ITestObject::fail>("fail", 5, {p::in(VT_I4), p::optionalIn(VT_BSTR)}),
    com::method<&ITestObject::nextDay>("nextDay", 6, {p::in(VT_DATE), p::retval(VT_DATE)}),
    com::method<&ITestObject::negate>("negate", 7),
    com::method<&ITestObject::matrix>("matrix", 8),
    com::method<&ITestObject::self>("self", 9),
    com::method<&ITestObject::countOf>("countOf", 10),
    com::method<&ITestObject::countOfRef>("countOfRef", 11,
                                          {p::in(VT_DISPATCH | VT_BYREF), p::retval(VT_I4)}),
    com::propget<&ITestObject::get_Item>("Item", 12),
    com::method<&ITestObject::title>("title", 13,
                                     {p::optionalIn(VT_BSTR), p::optionalRetval(VT_BSTR)}),
    com::propget<&ITestObject::get_size>("size", 14),
    com::method<&ITestObject::byteLength>("byteLength", 15,
                                          {p::in(VT_BSTR, p::binary), p::retval(VT_I4)}),
    com::propget<&ITestObject::get_lastResultWanted>("lastResultWanted", 16),
    com::method<&ITestObject::zeros>("zeros", 17, {p::in(VT_I4), p::retval(VT_BSTR, p::binary)}),
};

constexpr com::DispatchTable kTable{ITestObject::iid, "ITestObject", kMembers,
                                    static_cast<UINT>(std::size(kMembers))};

} // namespace

const com::DispatchTable& TestObject::dispatchTable() {
    return kTable;
}

HRESULT TestObject::concat(BSTR a, BSTR b, BSTR* result) {
    if (!result) {
        return E_POINTER;
    }
    *result = com::allocBstr(com::bstrToUtf16(a) + com::bstrToUtf16(b));
    return S_OK;
}

HRESULT TestObject::get_count(LONG* value) {
    *value = count_;
    return S_OK;
}

HRESULT TestObject::put_count(LONG value) {
    count_ = value;
    return S_OK;
}

HRESULT TestObject::describe(VARIANT value, BSTR* result) {
    lastResultWanted_ = result != nullptr;
    if (!result) {
        return S_OK;
    }
    std::string text;
    if (com::isMissingArgument(&value)) {
        text = "missing";
    } else {
        text = "vt=" + std::to_string(value.vt);
        com::Variant asText;
        if (SUCCEEDED(VariantChangeType(asText.out(), &value, 0, VT_BSTR))) {
            text += ":" + com::bstrToUtf8(asText.get()->bstrVal);
        }
    }
    *result = com::allocBstrFromUtf8(text);
    return S_OK;
}

HRESULT TestObject::get_data(BSTR* bytes) {
    *bytes = data_.copy();
    return S_OK;
}

HRESULT TestObject::put_data(BSTR bytes) {
    data_ = com::BStr::fromBytes(com::bstrBytes(bytes));
    return S_OK;
}

HRESULT TestObject::fail(LONG code, BSTR message) {
    if (message) {
        com::setErrorInfo(ITestObject::iid, u"QuillionTest.TestObject.1",
                          com::bstrToUtf16(message));
    }
    return code;
}

HRESULT TestObject::nextDay(DATE date, DATE* result) {
    *result = date + 1.0;
    return S_OK;
}

HRESULT TestObject::negate(VARIANT_BOOL value, VARIANT_BOOL* result) {
    *result = value ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
}

HRESULT TestObject::matrix(LONG rows, LONG columns, VARIANT* result) {
    if (rows < 0 || columns < 0) {
        return E_INVALIDARG;
    }
    com::SafeArray array =
        com::SafeArray::variantMatrix(static_cast<ULONG>(rows), static_cast<ULONG>(columns));
    for (LONG r = 0; r < rows; ++r) {
        for (LONG c = 0; c < columns; ++c) {
            com::Variant cell = com::Variant::fromUtf8(std::to_string(r) + "," + std::to_string(c));
            array.put(r, c, *cell.get());
        }
    }
    result->vt = VT_ARRAY | VT_VARIANT;
    result->parray = array.release();
    return S_OK;
}

HRESULT TestObject::self(ITestObject** result) {
    *result = this;
    AddRef();
    return S_OK;
}

HRESULT TestObject::countOf(ITestObject* other, LONG* result) {
    if (!other) {
        *result = -1;
        return S_OK;
    }
    return other->get_count(result);
}

HRESULT TestObject::countOfRef(ITestObject** other, LONG* result) {
    if (!other || !*other) {
        *result = -1;
        return S_OK;
    }
    return (*other)->get_count(result);
}

HRESULT TestObject::get_Item(LONG index, BSTR* result) {
    if (index < 0 || index > 9) {
        com::setErrorInfo(ITestObject::iid, u"QuillionTest.TestObject.1", u"Indice incorrecto.");
        return static_cast<HRESULT>(0x80044657u);
    }
    *result = com::allocBstrFromUtf8("item" + std::to_string(index));
    return S_OK;
}

HRESULT TestObject::title(BSTR title, BSTR* result) {
    lastResultWanted_ = result != nullptr;
    if (result) {
        *result =
            title ? com::allocBstr(com::bstrToUtf16(title)) : com::allocBstrFromUtf8("(none)");
    }
    return S_OK;
}

HRESULT TestObject::get_size(ULONG* result) {
    *result = 0xFFFFFFFFu;
    return S_OK;
}

HRESULT TestObject::byteLength(BSTR bytes, LONG* result) {
    *result = static_cast<LONG>(SysStringByteLen(bytes));
    return S_OK;
}

HRESULT TestObject::get_lastResultWanted(VARIANT_BOOL* wanted) {
    *wanted = lastResultWanted_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT TestObject::zeros(LONG mebibytes, BSTR* bytes) {
    if (mebibytes < 0 || mebibytes > 4095) {
        return E_INVALIDARG;
    }
    *bytes = SysAllocStringByteLen(nullptr, static_cast<UINT>(mebibytes) << 20);
    return *bytes ? S_OK : E_OUTOFMEMORY;
}
