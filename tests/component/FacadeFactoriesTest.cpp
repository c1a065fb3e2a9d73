#include "component/content/QNCryptoSystem.h"

#include <gtest/gtest.h>

#include "TestEnvironment.h"
#include "com/ComPtr.h"
#include "component/module/SettingsTable.h"
#include "component/signing/CQNSignData_Internal_CMS.h"
#include "component/signing/CQNSignData_Internal_PKCS7.h"
#include "component/signing/CQNSignData_Internal_XMLDSig.h"
#include "component/signing/QNSignData.h"
#include "component/verification/CQNVerifier_Internal_PKCS7.h"
#include "component/verification/CQNVerifier_Internal_XMLDSig.h"
#include "component/verification/QNVerifier.h"

using namespace component;
using module::SettingsTable;

namespace {

class FacadeFactories : public TestEnvironment {
protected:
    void SetUp() override {
        TestEnvironment::SetUp();
        SettingsTable::instance().clear();
    }
    void TearDown() override {
        kept_.clear();
        system_ = nullptr;
        SettingsTable::instance().clear();
        TestEnvironment::TearDown();
    }
    // The internal signer newSignData gives in a mode (null when it fails).
    signing::CQNSignData_Internal* signerOf(LONG mode, HRESULT expected = S_OK) {
        system_->setMode(mode);
        com::ComPtr<IDispatch> object;
        EXPECT_EQ(system_->newSignData(object.out()), expected) << "mode " << mode;
        if (!object) {
            return nullptr;
        }
        kept_.push_back(object);
        auto* sd = dynamic_cast<signing::QNSignData*>(object.get());
        EXPECT_NE(sd, nullptr);
        return sd == nullptr ? nullptr : sd->internal();
    }
    verification::CQNVerifier_Internal* verifierOf(LONG mode, HRESULT expected = S_OK) {
        system_->setMode(mode);
        com::ComPtr<IDispatch> object;
        EXPECT_EQ(system_->newVerifier(object.out()), expected) << "mode " << mode;
        if (!object) {
            return nullptr;
        }
        kept_.push_back(object);
        auto* v = dynamic_cast<verification::QNVerifier*>(object.get());
        EXPECT_NE(v, nullptr);
        return v == nullptr ? nullptr : v->internal();
    }
    std::string setting(const char* name) { return SettingsTable::instance().get(name); }

    com::ComPtr<content::QNCryptoSystem> system_ = content::QNCryptoSystem::create();
    std::vector<com::ComPtr<IDispatch>> kept_;
};

template <class T, class U> bool is(U* p) {
    return dynamic_cast<T*>(p) != nullptr;
}

} // namespace

TEST_F(FacadeFactories, SignersFollowTheModeAndWriteTheirSettings) {
    using signing::CQNSignData_Internal_CMS;
    using signing::CQNSignData_Internal_PKCS7;
    EXPECT_TRUE(is<CQNSignData_Internal_PKCS7>(signerOf(0)));
    for (LONG mode : {1, 4, 6, 8, 42, -1}) {
        EXPECT_TRUE(is<CQNSignData_Internal_PKCS7>(signerOf(mode))) << mode;
    }
    EXPECT_EQ(setting("CADES_ADD_ESS_SIGNING_CERTIFICATE"), "");
    EXPECT_TRUE(is<CQNSignData_Internal_CMS>(signerOf(7)));
    EXPECT_EQ(setting("CADES_ADD_ESS_SIGNING_CERTIFICATE"), "TRUE");
    EXPECT_TRUE(is<CQNSignData_Internal_CMS>(signerOf(3)));
    EXPECT_EQ(setting("CADES_ADD_ESS_SIGNING_CERTIFICATE"), "FALSE");
    // The settings stay for every later signer, whatever its mode.
    EXPECT_TRUE(is<CQNSignData_Internal_PKCS7>(signerOf(1)));
    EXPECT_EQ(setting("CADES_ADD_ESS_SIGNING_CERTIFICATE"), "FALSE");
    // XML-DSig in modes 2 and 5; mode 5 also writes the XAdES settings, which stay for a
    // later mode 2 signer.
    using signing::CQNSignData_Internal_XMLDSig;
    EXPECT_TRUE(is<CQNSignData_Internal_XMLDSig>(signerOf(2)));
    EXPECT_EQ(setting("Xades"), "");
    EXPECT_EQ(setting("IncludeSigningCertificate"), "");
    EXPECT_TRUE(is<CQNSignData_Internal_XMLDSig>(signerOf(5)));
    EXPECT_EQ(setting("Xades"), "TRUE");
    EXPECT_EQ(setting("IncludeSigningCertificate"), "TRUE");
    EXPECT_TRUE(is<CQNSignData_Internal_XMLDSig>(signerOf(2)));
    EXPECT_EQ(setting("Xades"), "TRUE");
}

TEST_F(FacadeFactories, VerifiersFollowTheMode) {
    using verification::CQNVerifier_Internal_PKCS7;
    for (LONG mode : {0, 1, 3, 4, 5, 7, 8, 42}) {
        EXPECT_TRUE(is<CQNVerifier_Internal_PKCS7>(verifierOf(mode))) << mode;
    }
    // MT_XMLDSIG and MT_XMLENC verify XML signatures; MT_XADES (5) above does not.
    EXPECT_TRUE(is<verification::CQNVerifier_Internal_XMLDSig>(verifierOf(2)));
    EXPECT_TRUE(is<verification::CQNVerifier_Internal_XMLDSig>(verifierOf(6)));
}

TEST_F(FacadeFactories, ObjectsOutliveTheFacadeAndIgnoreLaterModes) {
    signing::CQNSignData_Internal* signer = signerOf(7);
    verification::CQNVerifier_Internal* verifier = verifierOf(1);
    system_->setMode(1);
    system_ = nullptr;
    ASSERT_EQ(kept_.size(), 2u);
    auto* sd = dynamic_cast<signing::QNSignData*>(kept_[0].get());
    ASSERT_NE(sd, nullptr);
    EXPECT_EQ(sd->internal(), signer);
    EXPECT_TRUE(is<signing::CQNSignData_Internal_CMS>(sd->internal()));
    auto* v = dynamic_cast<verification::QNVerifier*>(kept_[1].get());
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->internal(), verifier);
}
