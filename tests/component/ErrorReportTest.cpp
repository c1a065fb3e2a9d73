#include <stdexcept>

#include "TestEnvironment.h"
#include "com/Com.h"
#include "component/module/ErrorCodes.h"
#include "component/module/ErrorReport.h"
#include "component/module/HResultText.h"
#include "component/module/Module.h"
#include "stream/Log.h"
#include "stream/exceptions/FileStreamException.h"

using namespace component::module;

namespace {

struct Reported {
    GUID guid{};
    std::string source;
    std::string description;
};

Reported takeErrorInfo() {
    Reported result;
    IErrorInfo* info = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &info), S_OK);
    if (info == nullptr) {
        return result;
    }
    com::BStr source, description;
    info->GetGUID(&result.guid);
    info->GetSource(source.out());
    info->GetDescription(description.out());
    info->Release();
    result.source = source.utf8();
    result.description = description.utf8();
    return result;
}

class ErrorReportTest : public TestEnvironment {
protected:
    void SetUp() override {
        TestEnvironment::SetUp();
        Module::attach(path("libquillion2.so"));
    }
    void TearDown() override {
        Module::detach();
        TestEnvironment::TearDown();
    }
    std::string log() {
        stream::Log::instance().flush();
        return read("QuillionCOM.log");
    }
};

} // namespace

TEST(HResultTextTest, SystemMessagesLoseOneTrailingLineBreak) {
    EXPECT_EQ(hresultText(static_cast<int32_t>(0x80004005u)), "Unspecified error");
    EXPECT_EQ(hresultText(static_cast<int32_t>(0x80020009u)), "Exception occurred.");
}

TEST(HResultTextTest, CodesWithoutMessage) {
    EXPECT_EQ(hresultText(static_cast<int32_t>(0x80040201u)), "IDispatch error #1");
    EXPECT_EQ(hresultText(static_cast<int32_t>(0x8004FFFFu)), "IDispatch error #65023");
    EXPECT_EQ(hresultText(QN_E_READ), "IDispatch error #17489");
    EXPECT_EQ(hresultText(static_cast<int32_t>(0x80040200u)), "Unknown error 0x80040200");
    EXPECT_EQ(hresultText(static_cast<int32_t>(0x80990001u)), "Unknown error 0x80990001");
}

TEST_F(ErrorReportTest, MessageWithoutCodeIsDispException) {
    EXPECT_EQ(ErrorReport::report(kQNContent, "Fallo sin código"), DISP_E_EXCEPTION);
    Reported info = takeErrorInfo();
    EXPECT_TRUE(IsEqualGUID(info.guid, kQNContent.iid));
    EXPECT_EQ(info.source, "Quillion2.QNContent.1");
    EXPECT_EQ(info.description, "Fallo sin código");
    EXPECT_EQ(log().find("Fallo sin código"), std::string::npos); // report() does not log
}

TEST_F(ErrorReportTest, Win32ErrorNumbersGoOutAsFailures) {
    // 2 would be a success code to the caller, and the call would seem to have worked.
    EXPECT_EQ(ErrorReport::report(kQNContent, "Falta el fichero", 2),
              static_cast<HRESULT>(0x80070002u));
    EXPECT_EQ(takeErrorInfo().description, "Falta el fichero");
    EXPECT_EQ(ErrorReport::report(kQNContent, "x", static_cast<HRESULT>(0x80090006u)),
              static_cast<HRESULT>(0x80090006u));
    takeErrorInfo();
}

TEST_F(ErrorReportTest, LoggedReportWithCodeAndNullGuid) {
    EXPECT_EQ(ErrorReport::reportLogged(kQNCollection, "Indice incorrecto.", QN_E_BAD_INDEX, true),
              QN_E_BAD_INDEX);
    Reported info = takeErrorInfo();
    EXPECT_TRUE(IsEqualGUID(info.guid, GUID_NULL));
    EXPECT_EQ(info.source, "Quillion2.QNCollection.1");
    EXPECT_NE(log().find("ERROR: Indice incorrecto."), std::string::npos);
}

TEST_F(ErrorReportTest, PlatformErrorsCarryThePrefixAndTheirCode) {
    HRESULT hr = static_cast<HRESULT>(0x80004005u);
    EXPECT_EQ(ErrorReport::reportPlatform(kQNCryptoSystem, "CQNCryptoSystem::openSystemStore", hr),
              hr);
    EXPECT_EQ(takeErrorInfo().description, "CQNCryptoSystem::openSystemStore: Unspecified error");
    EXPECT_EQ(ErrorReport::reportPlatform(kQNCertificate, "CQNCertificate::display",
                                          QN_E_CERTIFICATE_NOT_INITIALIZED),
              QN_E_CERTIFICATE_NOT_INITIALIZED);
    EXPECT_EQ(takeErrorInfo().description, "The Certificate object has not been initialized.");
}

TEST_F(ErrorReportTest, GuardTurnsEveryFailureIntoTheConvention) {
    auto guarded = [](auto body) {
        return ErrorReport::guard(kQNContent, "CContent", "setBase64", body);
    };
    EXPECT_EQ(guarded([] { return S_OK; }), S_OK);
    EXPECT_EQ(guarded([]() -> HRESULT {
                  throw ComponentError("No se ha podido leer el fichero.", QN_E_READ);
              }),
              QN_E_READ);
    EXPECT_EQ(takeErrorInfo().description, "No se ha podido leer el fichero.");
    EXPECT_EQ(guarded([]() -> HRESULT { throw PlatformError(E_NOTIMPL); }), E_NOTIMPL);
    EXPECT_EQ(takeErrorInfo().description, "CContent::setBase64: Not implemented");
    EXPECT_EQ(guarded([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(guarded([]() -> HRESULT {
                  throw stream::exceptions::FileStreamException::cannotRead("/x");
              }),
              QN_E_UNEXPECTED);
    EXPECT_EQ(takeErrorInfo().description, "Can't open file /x for read");
    EXPECT_EQ(guarded([]() -> HRESULT { throw std::logic_error("boom"); }), QN_E_UNEXPECTED);
    EXPECT_EQ(takeErrorInfo().description, "Unespected error");
    EXPECT_NE(log().find("ERROR: IID_IQNContent::setBase64, Unespected error"), std::string::npos);
}
