#include "com/Com.h"

#include <gtest/gtest.h>

TEST(SafeArray, BoundsAndDimensions) {
    SAFEARRAYBOUND bounds[2] = {{3, 1}, {4, -2}};
    SAFEARRAY* psa = SafeArrayCreate(VT_I4, 2, bounds);
    ASSERT_NE(psa, nullptr);
    EXPECT_EQ(SafeArrayGetDim(psa), 2u);
    EXPECT_EQ(SafeArrayGetElemsize(psa), 4u);
    LONG value = 0;
    EXPECT_EQ(SafeArrayGetLBound(psa, 1, &value), S_OK);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(SafeArrayGetUBound(psa, 1, &value), S_OK);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(SafeArrayGetLBound(psa, 2, &value), S_OK);
    EXPECT_EQ(value, -2);
    EXPECT_EQ(SafeArrayGetUBound(psa, 2, &value), S_OK);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(SafeArrayGetUBound(psa, 3, &value), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetLBound(psa, 0, &value), DISP_E_BADINDEX);
    VARTYPE vt = VT_EMPTY;
    EXPECT_EQ(SafeArrayGetVartype(psa, &vt), S_OK);
    EXPECT_EQ(vt, VT_I4);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST(SafeArray, TwoDimensionalIndexingStoresTheFirstIndexFastest) {
    SAFEARRAYBOUND bounds[2] = {{3, 0}, {2, 0}};
    SAFEARRAY* psa = SafeArrayCreate(VT_I4, 2, bounds);
    ASSERT_NE(psa, nullptr);
    for (LONG r = 0; r < 3; ++r) {
        for (LONG c = 0; c < 2; ++c) {
            LONG indices[2] = {r, c};
            LONG value = r * 10 + c;
            ASSERT_EQ(SafeArrayPutElement(psa, indices, &value), S_OK);
        }
    }
    LONG* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(psa, reinterpret_cast<void**>(&data)), S_OK);
    const LONG expected[] = {0, 10, 20, 1, 11, 21};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(data[i], expected[i]) << i;
    }
    EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(psa), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(psa), E_UNEXPECTED);
    LONG out = 0;
    LONG indices[2] = {2, 1};
    ASSERT_EQ(SafeArrayGetElement(psa, indices, &out), S_OK);
    EXPECT_EQ(out, 21);
    LONG outside[2] = {3, 0};
    EXPECT_EQ(SafeArrayGetElement(psa, outside, &out), DISP_E_BADINDEX);
    LONG negative[2] = {0, -1};
    EXPECT_EQ(SafeArrayPutElement(psa, negative, &out), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST(SafeArray, VariantAndStringElementsAreCopied) {
    com::SafeArray table = com::SafeArray::variantMatrix(2, 2);
    com::Variant cell = com::Variant::fromUtf8("uno");
    ASSERT_EQ(table.put(1, 0, *cell.get()), S_OK);
    VARIANT got;
    LONG indices[2] = {1, 0};
    ASSERT_EQ(SafeArrayGetElement(table.get(), indices, &got), S_OK);
    EXPECT_EQ(com::bstrToUtf8(got.bstrVal), "uno");
    EXPECT_NE(got.bstrVal, cell.get()->bstrVal);
    VariantClear(&got);
    LONG empty[2] = {0, 1};
    ASSERT_EQ(SafeArrayGetElement(table.get(), empty, &got), S_OK);
    EXPECT_EQ(got.vt, VT_EMPTY);

    SAFEARRAY* strings = SafeArrayCreateVector(VT_BSTR, 0, 2);
    ASSERT_NE(strings, nullptr);
    com::BStr odd = com::BStr::fromBytes(std::string("\x01\x00\x02", 3));
    LONG index = 1;
    ASSERT_EQ(SafeArrayPutElement(strings, &index, odd.get()), S_OK);
    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(strings, &copy), S_OK);
    BSTR back = nullptr;
    ASSERT_EQ(SafeArrayGetElement(copy, &index, &back), S_OK);
    EXPECT_EQ(com::bstrBytes(back), odd.bytes());
    SysFreeString(back);
    SafeArrayDestroy(copy);
    SafeArrayDestroy(strings);
}

TEST(SafeArray, EmptyTablesAndRefusedShapes) {
    com::SafeArray empty = com::SafeArray::variantMatrix(0, 2);
    LONG ubound = 0;
    EXPECT_EQ(SafeArrayGetUBound(empty.get(), 1, &ubound), S_OK);
    EXPECT_EQ(ubound, -1);
    EXPECT_EQ(SafeArrayGetUBound(empty.get(), 2, &ubound), S_OK);
    EXPECT_EQ(ubound, 1);
    SAFEARRAYBOUND bound{1, 0};
    EXPECT_EQ(SafeArrayCreate(VT_CY, 1, &bound), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_I4, 0, &bound), nullptr);
    SAFEARRAYBOUND huge[2] = {{0xFFFFFFFFu, 0}, {0xFFFFFFFFu, 0}};
    EXPECT_EQ(SafeArrayCreate(VT_VARIANT, 2, huge), nullptr);
}
