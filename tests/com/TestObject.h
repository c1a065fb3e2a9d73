#pragma once

// A small scriptable class for the runtime and host tests: methods, properties with get and
// put, optional arguments and results, binary strings, dates, booleans, a 2-D array result,
// object arguments and results, a parameterised property and failures with and without
// error information.

#include "com/Com.h"

#include <string>

struct ITestObject : IDispatch {
    static constexpr IID iid = com::makeGuid("0D5C3B7A-6E21-4F4A-9C55-1B2E3F405161");
    virtual HRESULT concat(BSTR a, BSTR b, BSTR* result) = 0;             // 1
    virtual HRESULT get_count(LONG* value) = 0;                           // 2
    virtual HRESULT put_count(LONG value) = 0;                            // 2
    virtual HRESULT describe(VARIANT value, BSTR* result) = 0;            // 3
    virtual HRESULT get_data(BSTR* bytes) = 0;                            // 4
    virtual HRESULT put_data(BSTR bytes) = 0;                             // 4
    virtual HRESULT fail(LONG code, BSTR message) = 0;                    // 5
    virtual HRESULT nextDay(DATE date, DATE* result) = 0;                 // 6
    virtual HRESULT negate(VARIANT_BOOL value, VARIANT_BOOL* result) = 0; // 7
    virtual HRESULT matrix(LONG rows, LONG columns, VARIANT* result) = 0; // 8
    virtual HRESULT self(ITestObject** result) = 0;                       // 9
    virtual HRESULT countOf(ITestObject* other, LONG* result) = 0;        // 10
    virtual HRESULT countOfRef(ITestObject** other, LONG* result) = 0;    // 11
    virtual HRESULT get_Item(LONG index, BSTR* result) = 0;               // 12
    virtual HRESULT title(BSTR title, BSTR* result) = 0;                  // 13
    virtual HRESULT get_size(ULONG* result) = 0;                          // 14
    virtual HRESULT byteLength(BSTR bytes, LONG* result) = 0;             // 15
    virtual HRESULT get_lastResultWanted(VARIANT_BOOL* wanted) = 0;       // 16
    virtual HRESULT zeros(LONG mebibytes, BSTR* bytes) = 0;               // 17
};

class TestObject final : public com::DispatchObject<TestObject, ITestObject> {
public:
    static constexpr CLSID clsid = com::makeGuid("3A9F1C22-8B7E-4D10-A3C4-5E6F70819203");
    static const com::DispatchTable& dispatchTable();

    HRESULT concat(BSTR a, BSTR b, BSTR* result) override;
    HRESULT get_count(LONG* value) override;
    HRESULT put_count(LONG value) override;
    HRESULT describe(VARIANT value, BSTR* result) override;
    HRESULT get_data(BSTR* bytes) override;
    HRESULT put_data(BSTR bytes) override;
    HRESULT fail(LONG code, BSTR message) override;
    HRESULT nextDay(DATE date, DATE* result) override;
    HRESULT negate(VARIANT_BOOL value, VARIANT_BOOL* result) override;
    HRESULT matrix(LONG rows, LONG columns, VARIANT* result) override;
    HRESULT self(ITestObject** result) override;
    HRESULT countOf(ITestObject* other, LONG* result) override;
    HRESULT countOfRef(ITestObject** other, LONG* result) override;
    HRESULT get_Item(LONG index, BSTR* result) override;
    HRESULT title(BSTR title, BSTR* result) override;
    HRESULT get_size(ULONG* result) override;
    HRESULT byteLength(BSTR bytes, LONG* result) override;
    HRESULT get_lastResultWanted(VARIANT_BOOL* wanted) override;
    // A binary string of that many MiB of zero bytes, left untouched (fresh zero pages), so
    // that a string of gibibytes can be handed over without the memory.
    HRESULT zeros(LONG mebibytes, BSTR* bytes) override;

private:
    LONG count_ = 0;
    com::BStr data_;
    bool lastResultWanted_ = true;
};
