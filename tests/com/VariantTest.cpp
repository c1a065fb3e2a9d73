#include "com/Com.h"
#include "com/VariantNumber.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>

namespace {

com::Variant converted(const com::Variant& from, VARTYPE vt, HRESULT expected = S_OK,
                       USHORT flags = 0) {
    com::Variant to;
    EXPECT_EQ(from.changeType(vt, to, flags), expected) << "to vt " << vt;
    return to;
}

std::string text(const com::Variant& v) {
    EXPECT_EQ(v.vt(), VT_BSTR);
    return com::bstrToUtf8(v.get()->bstrVal);
}

} // namespace

TEST(Variant, CopyIsDeepAndClearFrees) {
    com::Variant a = com::Variant::fromBytes(std::string("\x00\x01\x02", 3));
    VARIANT b;
    VariantInit(&b);
    ASSERT_EQ(VariantCopy(&b, a.get()), S_OK);
    EXPECT_EQ(b.vt, VT_BSTR);
    EXPECT_NE(b.bstrVal, a.get()->bstrVal);
    EXPECT_EQ(SysStringByteLen(b.bstrVal), 3u);
    EXPECT_EQ(VariantClear(&b), S_OK);
    EXPECT_EQ(b.vt, VT_EMPTY);
    VARIANT bad;
    VariantInit(&bad);
    bad.vt = VT_CY;
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantCopy(&b, &bad), DISP_E_BADVARTYPE);
}

TEST(Variant, CopyIndDereferences) {
    LONG value = 41;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &value;
    com::Variant out;
    ASSERT_EQ(VariantCopyInd(out.out(), &ref), S_OK);
    EXPECT_EQ(out.vt(), VT_I4);
    EXPECT_EQ(out.get()->lVal, 41);
    com::Variant s = com::Variant::fromUtf8("x");
    VARIANT refVariant;
    VariantInit(&refVariant);
    refVariant.vt = VT_BYREF | VT_VARIANT;
    refVariant.pvarVal = s.get();
    ASSERT_EQ(VariantCopyInd(out.out(), &refVariant), S_OK);
    EXPECT_EQ(text(out), "x");
}

TEST(Variant, NumbersConvertWithBankersRoundingAndOverflow) {
    EXPECT_EQ(converted(com::Variant::fromDouble(2.5), VT_I4).get()->lVal, 2);
    EXPECT_EQ(converted(com::Variant::fromDouble(3.5), VT_I4).get()->lVal, 4);
    EXPECT_EQ(converted(com::Variant::fromDouble(-2.5), VT_I4).get()->lVal, -2);
    converted(com::Variant::fromDouble(3e9), VT_I4, DISP_E_OVERFLOW);
    converted(com::Variant::fromLong(-1), VT_UI4, DISP_E_OVERFLOW);
    converted(com::Variant::fromLong(70000), VT_I2, DISP_E_OVERFLOW);
    converted(com::Variant::fromDouble(std::nan("")), VT_I4, DISP_E_OVERFLOW);
    EXPECT_EQ(converted(com::Variant::fromULong(4294967295u), VT_R8).get()->dblVal, 4294967295.0);
    EXPECT_EQ(converted(com::Variant::fromLong(5), VT_BOOL).get()->boolVal, VARIANT_TRUE);
    EXPECT_EQ(converted(com::Variant::fromBool(true), VT_I4).get()->lVal, -1);
    EXPECT_EQ(converted(com::Variant::fromLong(200), VT_UI1).get()->bVal, 200);
}

TEST(Variant, TextConversionsAreLocaleIndependent) {
    EXPECT_EQ(text(converted(com::Variant::fromDouble(1.5), VT_BSTR)), "1.5");
    EXPECT_EQ(text(converted(com::Variant::fromDouble(0.1), VT_BSTR)), "0.1");
    EXPECT_EQ(text(converted(com::Variant::fromDouble(1e20), VT_BSTR)), "1E+20");
    EXPECT_EQ(text(converted(com::Variant::fromLong(-42), VT_BSTR)), "-42");
    EXPECT_EQ(text(converted(com::Variant::fromULong(4294967295u), VT_BSTR)), "4294967295");
    EXPECT_EQ(text(converted(com::Variant::fromBool(true), VT_BSTR)), "-1");
    EXPECT_EQ(text(converted(com::Variant::fromBool(false), VT_BSTR, S_OK, VARIANT_ALPHABOOL)),
              "False");
    EXPECT_EQ(converted(com::Variant::fromUtf8(" 12 "), VT_I4).get()->lVal, 12);
    EXPECT_EQ(converted(com::Variant::fromUtf8("+7"), VT_I4).get()->lVal, 7);
    EXPECT_EQ(converted(com::Variant::fromUtf8("2.5"), VT_I4).get()->lVal, 2);
    EXPECT_DOUBLE_EQ(converted(com::Variant::fromUtf8("-1.25e2"), VT_R8).get()->dblVal, -125.0);
    EXPECT_EQ(converted(com::Variant::fromUtf8("9007199254740993"), VT_I8).get()->llVal,
              9007199254740993LL);
    converted(com::Variant::fromUtf8("12abc"), VT_I4, DISP_E_TYPEMISMATCH);
    converted(com::Variant::fromUtf8(""), VT_I4, DISP_E_TYPEMISMATCH);
    converted(com::Variant::fromUtf8("1e400"), VT_R4, DISP_E_OVERFLOW);
    EXPECT_EQ(converted(com::Variant::fromUtf8("TRUE"), VT_BOOL).get()->boolVal, VARIANT_TRUE);
    EXPECT_EQ(converted(com::Variant::fromUtf8("0"), VT_BOOL).get()->boolVal, VARIANT_FALSE);
}

TEST(Variant, DatesConvertToAndFromText) {
    auto date = com::dateFromParts({2026, 12, 9, 7, 3, 49, 0});
    ASSERT_TRUE(date);
    EXPECT_EQ(text(converted(com::Variant::fromDate(*date), VT_BSTR)), "12/9/2026 7:03:49 AM");
    auto midnight = com::dateFromParts({2026, 1, 2, 0, 0, 0, 0});
    EXPECT_EQ(text(converted(com::Variant::fromDate(*midnight), VT_BSTR)), "1/2/2026");
    auto evening = com::dateFromParts({2026, 1, 2, 19, 5, 0, 0});
    EXPECT_DOUBLE_EQ(converted(com::Variant::fromUtf8("1/2/2026 7:05:00 PM"), VT_DATE).get()->date,
                     *evening);
    EXPECT_DOUBLE_EQ(converted(com::Variant::fromUtf8("2026-01-02T19:05"), VT_DATE).get()->date,
                     *evening);
    converted(com::Variant::fromUtf8("2026-02-30"), VT_DATE, DISP_E_TYPEMISMATCH);
}

TEST(Variant, EmptyNullAndErrorsFollowAutomationRules) {
    EXPECT_EQ(converted(com::Variant(), VT_I4).get()->lVal, 0);
    EXPECT_EQ(text(converted(com::Variant(), VT_BSTR)), "");
    converted(com::Variant::null(), VT_I4, DISP_E_TYPEMISMATCH);
    converted(com::Variant::null(), VT_BSTR, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(converted(com::Variant::null(), VT_NULL).vt(), VT_NULL);
    EXPECT_TRUE(com::Variant::missing().isMissing());
    converted(com::Variant::missing(), VT_BSTR, DISP_E_TYPEMISMATCH);
    VARIANT v = {};
    EXPECT_EQ(VariantChangeType(&v, com::Variant::fromLong(1).get(), 0, VT_VARIANT),
              DISP_E_BADVARTYPE);
}

TEST(Variant, ChangeTypeInPlace) {
    com::Variant v = com::Variant::fromUtf8("314");
    ASSERT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_I4), S_OK);
    EXPECT_EQ(v.vt(), VT_I4);
    EXPECT_EQ(v.get()->lVal, 314);
}

TEST(Variant, ArraysCopyDeeplyAndDoNotConvertToScalars) {
    com::SafeArray table = com::SafeArray::variantMatrix(1, 1);
    table.put(0, 0, *com::Variant::fromUtf8("cell").get());
    com::Variant v = com::Variant::fromArray(table.release(), VT_VARIANT);
    com::Variant copy = v;
    EXPECT_EQ(copy.vt(), VT_ARRAY | VT_VARIANT);
    EXPECT_NE(copy.get()->parray, v.get()->parray);
    converted(v, VT_BSTR, DISP_E_TYPEMISMATCH);
}

TEST(VariantNumber, EveryNumericTypeWidensToItsKind) {
    auto number = [](VARTYPE vt, auto set) {
        VARIANT v;
        VariantInit(&v);
        v.vt = vt;
        set(v);
        return com::variantNumber(v);
    };
    using com::VariantNumber;
    EXPECT_EQ(number(VT_I1, [](VARIANT& v) { v.cVal = static_cast<char>(-5); }),
              VariantNumber(std::int64_t{-5}));
    EXPECT_EQ(number(VT_I2, [](VARIANT& v) { v.iVal = -32768; }),
              VariantNumber(std::int64_t{-32768}));
    EXPECT_EQ(number(VT_INT, [](VARIANT& v) { v.lVal = -7; }), VariantNumber(std::int64_t{-7}));
    EXPECT_EQ(number(VT_ERROR, [](VARIANT& v) { v.scode = static_cast<SCODE>(0x80044651); }),
              VariantNumber(std::int64_t{static_cast<std::int32_t>(0x80044651)}));
    EXPECT_EQ(number(VT_I8, [](VARIANT& v) { v.llVal = INT64_MIN; }),
              VariantNumber(std::int64_t{INT64_MIN}));
    EXPECT_EQ(number(VT_UI1, [](VARIANT& v) { v.bVal = 255; }), VariantNumber(std::uint64_t{255}));
    EXPECT_EQ(number(VT_UI4, [](VARIANT& v) { v.ulVal = 4294967295u; }),
              VariantNumber(std::uint64_t{4294967295u}));
    EXPECT_EQ(number(VT_UI8, [](VARIANT& v) { v.ullVal = UINT64_MAX; }),
              VariantNumber(std::uint64_t{UINT64_MAX}));
    EXPECT_EQ(number(VT_R4, [](VARIANT& v) { v.fltVal = 0.5f; }), VariantNumber(0.5));
    EXPECT_EQ(number(VT_R8, [](VARIANT& v) { v.dblVal = -1e300; }), VariantNumber(-1e300));
    // Not numbers: booleans, dates, strings, references, arrays.
    EXPECT_FALSE(number(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; }));
    EXPECT_FALSE(number(VT_DATE, [](VARIANT& v) { v.date = 1.0; }));
    EXPECT_FALSE(number(VT_EMPTY, [](VARIANT&) {}));
    EXPECT_FALSE(number(VT_I4 | VT_BYREF, [](VARIANT& v) { v.plVal = nullptr; }));
    EXPECT_FALSE(number(VT_ARRAY | VT_I4, [](VARIANT& v) { v.parray = nullptr; }));
}
