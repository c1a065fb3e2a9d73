#include "TestObject.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(TestObject::createInstance(nullptr, IID_IDispatch, object.outVoid()), S_OK);
    }

    DISPID id(const char16_t* name) {
        std::u16string copy = name;
        LPOLESTR names[1] = {copy.data()};
        DISPID dispid = DISPID_UNKNOWN;
        EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &dispid), S_OK) << "name";
        return dispid;
    }

    // Calls with the arguments in natural order (reversed into rgvarg here).
    HRESULT call(const char16_t* name, WORD flags, std::vector<com::Variant> args,
                 com::Variant* result = nullptr) {
        std::vector<VARIANT> reversed;
        for (auto it = args.rbegin(); it != args.rend(); ++it) {
            reversed.push_back(*it->get());
        }
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(),
                          (flags & DISPATCH_PROPERTYPUT) ? &put : nullptr,
                          static_cast<UINT>(reversed.size()),
                          (flags & DISPATCH_PROPERTYPUT) ? 1u : 0u};
        com::clearExcepInfo(&excep);
        argErr = 0xFFFF;
        return object->Invoke(id(name), IID_NULL, 0, flags, &params,
                              result ? result->out() : nullptr, &excep, &argErr);
    }

    com::ComPtr<IDispatch> object;
    EXCEPINFO excep{};
    UINT argErr = 0;

    void TearDown() override { com::clearExcepInfo(&excep); }
};

} // namespace

TEST_F(Dispatch, NamesAreCaseInsensitive) {
    EXPECT_EQ(id(u"concat"), 1);
    EXPECT_EQ(id(u"CONCAT"), 1);
    EXPECT_EQ(id(u"Count"), 2);
    std::u16string unknown = u"nosuch";
    LPOLESTR names[1] = {unknown.data()};
    DISPID dispid = 0;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &dispid), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(dispid, DISPID_UNKNOWN);
}

TEST_F(Dispatch, MethodArgumentsArriveInOrderAndAreCoerced) {
    com::Variant result;
    ASSERT_EQ(call(u"concat", DISPATCH_METHOD,
                   {com::Variant::fromUtf8("ab"), com::Variant::fromLong(12)}, &result),
              S_OK);
    EXPECT_EQ(result.vt(), VT_BSTR);
    EXPECT_EQ(com::bstrToUtf8(result.get()->bstrVal), "ab12");
}

TEST_F(Dispatch, PropertiesGetAndPut) {
    com::Variant result;
    ASSERT_EQ(call(u"count", DISPATCH_PROPERTYPUT, {com::Variant::fromUtf8("33")}), S_OK);
    ASSERT_EQ(call(u"count", DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result.vt(), VT_I4);
    EXPECT_EQ(result.get()->lVal, 33);
    // A put without the named DISPID_PROPERTYPUT argument is refused.
    VARIANT value = *com::Variant::fromLong(1).get();
    DISPPARAMS unnamed{&value, nullptr, 1, 0};
    EXPECT_EQ(
        object->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYPUT, &unnamed, nullptr, nullptr, nullptr),
        DISP_E_PARAMNOTFOUND);
    // A get with an argument where none is declared.
    EXPECT_EQ(call(u"count", DISPATCH_PROPERTYGET, {com::Variant::fromLong(1)}, &result),
              DISP_E_BADPARAMCOUNT);
    ASSERT_EQ(call(u"Item", DISPATCH_PROPERTYGET, {com::Variant::fromLong(4)}, &result), S_OK);
    EXPECT_EQ(com::bstrToUtf8(result.get()->bstrVal), "item4");
    ASSERT_EQ(call(u"size", DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result.vt(), VT_UI4);
    EXPECT_EQ(result.get()->ulVal, 0xFFFFFFFFu);
}

TEST_F(Dispatch, KindsMustMatch) {
    com::Variant result;
    EXPECT_EQ(call(u"concat", DISPATCH_PROPERTYPUT, {com::Variant::fromLong(1)}),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(call(u"count", DISPATCH_METHOD, {}, &result), DISP_E_MEMBERNOTFOUND);
    // Both flags (as callers give for obj.Item(i)) pick the property get.
    EXPECT_EQ(
        call(u"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {com::Variant::fromLong(1)}, &result),
        S_OK);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(object->Invoke(777, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    IID other = ITestObject::iid;
    EXPECT_EQ(object->Invoke(1, other, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
}

TEST_F(Dispatch, ArgumentCountsAndTypeMismatches) {
    com::Variant result;
    EXPECT_EQ(call(u"concat", DISPATCH_METHOD, {com::Variant::fromUtf8("a")}, &result),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(u"concat", DISPATCH_METHOD,
                   {com::Variant::fromUtf8("a"), com::Variant::fromUtf8("b"),
                    com::Variant::fromUtf8("c")},
                   &result),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(u"concat", DISPATCH_METHOD, {com::Variant::missing(), com::Variant::fromLong(1)},
                   &result),
              DISP_E_PARAMNOTOPTIONAL);
    EXPECT_EQ(call(u"negate", DISPATCH_METHOD, {com::Variant::fromUtf8("maybe")}, &result),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    EXPECT_EQ(call(u"matrix", DISPATCH_METHOD,
                   {com::Variant::fromLong(1), com::Variant::fromUtf8("x")}, &result),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u) << "rgvarg index of the second argument";
    EXPECT_EQ(call(u"count", DISPATCH_PROPERTYPUT, {com::Variant::fromDouble(1e12)}),
              DISP_E_OVERFLOW);
}

TEST_F(Dispatch, OptionalArgumentsArriveAsMissing) {
    com::Variant result;
    ASSERT_EQ(call(u"describe", DISPATCH_METHOD, {}, &result), S_OK);
    EXPECT_EQ(com::bstrToUtf8(result.get()->bstrVal), "missing");
    ASSERT_EQ(call(u"describe", DISPATCH_METHOD, {com::Variant::missing()}, &result), S_OK);
    EXPECT_EQ(com::bstrToUtf8(result.get()->bstrVal), "missing");
    ASSERT_EQ(call(u"describe", DISPATCH_METHOD, {com::Variant::fromLong(7)}, &result), S_OK);
    EXPECT_EQ(com::bstrToUtf8(result.get()->bstrVal), "vt=3:7");
    ASSERT_EQ(call(u"title", DISPATCH_METHOD, {}, &result), S_OK);
    EXPECT_EQ(com::bstrToUtf8(result.get()->bstrVal), "(none)");
}

TEST_F(Dispatch, AnOptionalResultNotAskedForReachesTheMemberAsNull) {
    ASSERT_EQ(call(u"title", DISPATCH_METHOD, {com::Variant::fromUtf8("t")}, nullptr), S_OK);
    com::Variant wanted;
    ASSERT_EQ(call(u"lastResultWanted", DISPATCH_PROPERTYGET, {}, &wanted), S_OK);
    EXPECT_EQ(wanted.vt(), VT_BOOL);
    EXPECT_EQ(wanted.get()->boolVal, VARIANT_FALSE);
    com::Variant result;
    ASSERT_EQ(call(u"title", DISPATCH_METHOD, {com::Variant::fromUtf8("t")}, &result), S_OK);
    ASSERT_EQ(call(u"lastResultWanted", DISPATCH_PROPERTYGET, {}, &wanted), S_OK);
    EXPECT_EQ(wanted.get()->boolVal, VARIANT_TRUE);
    // A required result not asked for is produced and dropped without leaking.
    EXPECT_EQ(call(u"concat", DISPATCH_METHOD,
                   {com::Variant::fromUtf8("a"), com::Variant::fromUtf8("b")}, nullptr),
              S_OK);
}

TEST_F(Dispatch, BinaryStringsKeepEveryByte) {
    std::string bytes("\x00\xff\x01", 3);
    ASSERT_EQ(call(u"data", DISPATCH_PROPERTYPUT, {com::Variant::fromBytes(bytes)}), S_OK);
    com::Variant result;
    ASSERT_EQ(call(u"data", DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(SysStringByteLen(result.get()->bstrVal), 3u);
    EXPECT_EQ(com::bstrBytes(result.get()->bstrVal), bytes);
}

TEST_F(Dispatch, AFailureWithErrorInformationFillsExcepInfo) {
    ASSERT_EQ(call(u"fail", DISPATCH_METHOD,
                   {com::Variant::fromLong(static_cast<LONG>(0x80044651u)),
                    com::Variant::fromUtf8("No se ha podido leer el fichero.")}),
              DISP_E_EXCEPTION);
    EXPECT_EQ(excep.scode, static_cast<SCODE>(0x80044651u));
    EXPECT_EQ(com::bstrToUtf8(excep.bstrDescription), "No se ha podido leer el fichero.");
    EXPECT_EQ(com::bstrToUtf8(excep.bstrSource), "QuillionTest.TestObject.1");
    IErrorInfo* left = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &left), S_FALSE) << "the information was handed to EXCEPINFO";
    // Without error information the member's HRESULT comes back as it is.
    EXPECT_EQ(call(u"fail", DISPATCH_METHOD, {com::Variant::fromLong(E_FAIL)}), E_FAIL);
    EXPECT_EQ(excep.scode, 0);
    // Stale information from before the call is not reported for it.
    com::setErrorInfo(ITestObject::iid, u"old", u"stale");
    EXPECT_EQ(call(u"fail", DISPATCH_METHOD, {com::Variant::fromLong(E_FAIL)}), E_FAIL);
}

TEST_F(Dispatch, DatesBooleansAndTables) {
    com::Variant result;
    ASSERT_EQ(call(u"nextDay", DISPATCH_METHOD, {com::Variant::fromDate(100.25)}, &result), S_OK);
    EXPECT_EQ(result.vt(), VT_DATE);
    EXPECT_DOUBLE_EQ(result.get()->date, 101.25);
    ASSERT_EQ(call(u"negate", DISPATCH_METHOD, {com::Variant::fromBool(true)}, &result), S_OK);
    EXPECT_EQ(result.vt(), VT_BOOL);
    EXPECT_EQ(result.get()->boolVal, VARIANT_FALSE);
    ASSERT_EQ(call(u"matrix", DISPATCH_METHOD,
                   {com::Variant::fromLong(2), com::Variant::fromLong(2)}, &result),
              S_OK);
    EXPECT_EQ(result.vt(), VT_ARRAY | VT_VARIANT);
    LONG indices[2] = {1, 0};
    VARIANT cell;
    ASSERT_EQ(SafeArrayGetElement(result.get()->parray, indices, &cell), S_OK);
    EXPECT_EQ(com::bstrToUtf8(cell.bstrVal), "1,0");
    VariantClear(&cell);
}

TEST_F(Dispatch, ObjectsAsArgumentsAndResults) {
    com::ComPtr<IDispatch> other;
    ASSERT_EQ(TestObject::createInstance(nullptr, IID_IDispatch, other.outVoid()), S_OK);
    com::ComPtr<ITestObject> typed = other.as<ITestObject>();
    ASSERT_TRUE(typed);
    typed->put_count(8);
    com::Variant result;
    ASSERT_EQ(call(u"countOf", DISPATCH_METHOD, {com::Variant::fromDispatch(other.get())}, &result),
              S_OK);
    EXPECT_EQ(result.get()->lVal, 8);
    IDispatch* raw = other.get();
    VARIANT byref;
    VariantInit(&byref);
    byref.vt = VT_BYREF | VT_DISPATCH;
    byref.ppdispVal = &raw;
    ASSERT_EQ(call(u"countOfRef", DISPATCH_METHOD, {com::Variant(byref)}, &result), S_OK);
    EXPECT_EQ(result.get()->lVal, 8);
    ASSERT_EQ(
        call(u"countOfRef", DISPATCH_METHOD, {com::Variant::fromDispatch(other.get())}, &result),
        S_OK);
    EXPECT_EQ(result.get()->lVal, 8);
    EXPECT_EQ(call(u"countOf", DISPATCH_METHOD, {com::Variant::fromUtf8("x")}, &result),
              DISP_E_TYPEMISMATCH);
    ASSERT_EQ(call(u"self", DISPATCH_METHOD, {}, &result), S_OK);
    EXPECT_EQ(result.vt(), VT_DISPATCH);
    EXPECT_EQ(result.get()->pdispVal, object.get());
}

TEST_F(Dispatch, TypeInformationListsMembersAndFlags) {
    UINT count = 0;
    ASSERT_EQ(object->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    com::ComPtr<ITypeInfo> info;
    ASSERT_EQ(object->GetTypeInfo(0, 0, info.out()), S_OK);
    IID iid{};
    info->GetInterfaceId(&iid);
    EXPECT_TRUE(IsEqualIID(iid, ITestObject::iid));
    UINT members = 0;
    info->GetMemberCount(&members);
    int binaryGets = 0;
    for (UINT i = 0; i < members; ++i) {
        const com::DispatchMember* m = nullptr;
        ASSERT_EQ(info->GetMember(i, &m), S_OK);
        if (m->kind == com::MemberKind::PropertyGet && m->retval() && m->retval()->isBinary()) {
            ++binaryGets;
            EXPECT_STREQ(m->name, "data");
        }
    }
    EXPECT_EQ(binaryGets, 1);
    const com::DispatchMember* none = nullptr;
    EXPECT_EQ(info->GetMember(members, &none), TYPE_E_ELEMENTNOTFOUND);
    ITypeInfo* missing = nullptr;
    EXPECT_EQ(object->GetTypeInfo(1, 0, &missing), DISP_E_BADINDEX);
}

TEST(DispatchTable, ParametersAreDeducedFromTheSignature) {
    const com::DispatchTable& table = TestObject::dispatchTable();
    const com::DispatchMember* concat = table.find(1, com::MemberKind::Method);
    ASSERT_NE(concat, nullptr);
    EXPECT_EQ(concat->paramCount, 3u);
    EXPECT_EQ(concat->argumentCount(), 2u);
    EXPECT_EQ(concat->requiredCount(), 2u);
    EXPECT_EQ(concat->params[0].vt, VT_BSTR);
    ASSERT_NE(concat->retval(), nullptr);
    EXPECT_EQ(concat->retval()->vt, VT_BSTR);
    const com::DispatchMember* negate = table.find(7, com::MemberKind::Method);
    EXPECT_EQ(negate->params[0].vt, VT_BOOL);
    const com::DispatchMember* self = table.find(9, com::MemberKind::Method);
    EXPECT_EQ(self->retval()->vt, VT_DISPATCH);
    const com::DispatchMember* describe = table.find(3, com::MemberKind::Method);
    EXPECT_EQ(describe->requiredCount(), 0u);
    EXPECT_TRUE(describe->retval()->isOptional());
}
