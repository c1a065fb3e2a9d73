#include "com/Com.h"

#include <gtest/gtest.h>
#include <thread>

TEST(ErrorInfo, SetThenGetHandsItOutOnce) {
    ASSERT_EQ(com::setErrorInfo(IID_IDispatch, u"Quillion2.QNContent.1", u"El usuario canceló."),
              S_OK);
    com::ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.out()), S_OK);
    BSTR source = nullptr, description = nullptr;
    info->GetSource(&source);
    info->GetDescription(&description);
    EXPECT_EQ(com::bstrToUtf16(source), u"Quillion2.QNContent.1");
    EXPECT_EQ(com::bstrToUtf8(description), "El usuario canceló.");
    SysFreeString(source);
    SysFreeString(description);
    GUID guid{};
    info->GetGUID(&guid);
    EXPECT_TRUE(IsEqualGUID(guid, IID_IDispatch));
    IErrorInfo* again = reinterpret_cast<IErrorInfo*>(1);
    EXPECT_EQ(GetErrorInfo(0, &again), S_FALSE);
    EXPECT_EQ(again, nullptr);
}

TEST(ErrorInfo, IsPerThread) {
    com::setErrorInfoUtf8(GUID_NULL, "main", "main thread");
    HRESULT other = S_OK;
    std::thread([&] {
        IErrorInfo* info = nullptr;
        other = GetErrorInfo(0, &info);
    }).join();
    EXPECT_EQ(other, S_FALSE);
    IErrorInfo* info = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &info), S_OK);
    info->Release();
}

TEST(ErrorInfo, CreateErrorInfoAnswersBothInterfaces) {
    com::ComPtr<ICreateErrorInfo> create;
    ASSERT_EQ(CreateErrorInfo(create.out()), S_OK);
    std::u16string help = u"help.chm";
    create->SetHelpFile(help.data());
    create->SetHelpContext(7);
    com::ComPtr<IErrorInfo> info = create.as<IErrorInfo>();
    ASSERT_TRUE(info);
    DWORD context = 0;
    info->GetHelpContext(&context);
    EXPECT_EQ(context, 7u);
    BSTR file = nullptr;
    info->GetHelpFile(&file);
    EXPECT_EQ(com::bstrToUtf16(file), help);
    SysFreeString(file);
    ASSERT_EQ(SetErrorInfo(0, info.get()), S_OK);
    ASSERT_EQ(SetErrorInfo(0, nullptr), S_OK);
    IErrorInfo* none = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &none), S_FALSE);
    EXPECT_EQ(SetErrorInfo(1, nullptr), E_INVALIDARG);
}
