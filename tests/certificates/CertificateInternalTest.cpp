#include "component/certificates/CQNCertificate_Internal.h"
#include "component/certificates/QNCertificate.h"

#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "platform/stores/FolderStore.h"
#include "stream/exceptions/StreamException.h"

using namespace component::certificates;
using namespace platform;

TEST(CertificateInternal, HandleCarriesContextProviderAndKeyIdentifier) {
    testpki::TempHome home;
    testpki::Issued issued = testpki::issue({.subject = "CN=Interno"}, nullptr);
    auto store = stores::FolderStore::open(stores::StoreLocation::CurrentUser, "MY", false);
    store->add(issued.certificate, issued.key.get(), "");
    auto reread = stores::FolderStore::open(stores::StoreLocation::CurrentUser, "MY", true);

    com::ComPtr<QNCertificate> cert = QNCertificate::create();
    cert->setPlatformObject(
        std::make_shared<certificates::CertificateObject>(reread->entries()[0].certificate));
    CQNCertificate_Internal* handle = nullptr;
    ASSERT_EQ(cert->getCertificateInternal(&handle), S_OK);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(handle->getCertContext().sameAs(*issued.certificate));
    ASSERT_NE(handle->getProvider(), nullptr);
    EXPECT_EQ(handle->getProvider()->info().provider, crypt::kFolderKeyProvider);
    EXPECT_EQ(handle->getKeySpec(), 1u);
    EXPECT_EQ(handle->getKeyIdentifier(), issued.certificate->keyIdentifier());
    // The key behind the provider is the certificate's.
    EXPECT_EQ(EVP_PKEY_eq(handle->getProvider()->privateKey()->get(), issued.key->get()), 1);
    CQNCertificate_Internal* again = nullptr;
    ASSERT_EQ(cert->getCertificateInternal(&again), S_OK);
    EXPECT_EQ(again, handle);
}

TEST(CertificateInternal, EmptyCertificateRaisesStreamException) {
    com::ComPtr<QNCertificate> cert = QNCertificate::create();
    CQNCertificate_Internal* handle = nullptr;
    try {
        cert->getCertificateInternal(&handle);
        ADD_FAILURE() << "no exception";
    } catch (const stream::exceptions::StreamException& e) {
        EXPECT_EQ(static_cast<uint32_t>(e.code()), 0x80880210u);
    }
    // Without a key the handle has no provider.
    testpki::Issued bare = testpki::issue({.subject = "CN=Sin clave"}, nullptr);
    cert->setPlatformObject(std::make_shared<certificates::CertificateObject>(bare.certificate));
    ASSERT_EQ(cert->getCertificateInternal(&handle), S_OK);
    EXPECT_EQ(handle->getProvider(), nullptr);
    EXPECT_EQ(handle->getKeySpec(), 1u);
}
