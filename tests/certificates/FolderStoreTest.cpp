#include "platform/stores/FolderStore.h"

#include <filesystem>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "CryptTestSupport.h"
#include "StoreTestSupport.h"
#include "platform/crypt/CryptErrors.h"
#include "platform/stores/KeyFile.h"

using namespace platform;
using platform::stores::FolderStore;
using platform::stores::StoreLocation;

namespace {

std::string der(const testpki::Issued& i) {
    return std::string(i.certificate->der().begin(), i.certificate->der().end());
}

void writeKey(const std::string& path, const crypt::PrivateKey& key, const std::string& pass,
              mode_t mode = 0600) {
    testpki::writeFile(path, key.toPem(pass));
    chmod(path.c_str(), mode);
}

} // namespace

TEST(FolderStore, ListsDerAndPemFilesInNameOrderAndSkipsBadOnes) {
    testpki::TempHome home;
    TestLog log(home);
    std::string dir = storeDir(home, "MY");
    testpki::Issued a = testpki::issue({.subject = "CN=A"}, nullptr);
    testpki::Issued b = testpki::issue({.subject = "CN=B"}, nullptr);
    testpki::Issued c = testpki::issue({.subject = "CN=C"}, nullptr);
    testpki::writeFile(dir + "/2-b.pem", b.certificate->pem());
    testpki::writeFile(dir + "/1-c.cer", der(c));
    testpki::writeFile(dir + "/3-a.DER", der(a));
    testpki::writeFile(dir + "/0-bad.crt", "not a certificate");
    testpki::writeFile(dir + "/0-empty.pem", "");
    testpki::writeFile(dir + "/notes.txt", b.certificate->pem());
    std::vector<crypt::CertificatePtr> all =
        FolderStore::open(StoreLocation::CurrentUser, "MY", true)->certificates();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0]->subjectName(), "CN=C");
    EXPECT_EQ(all[1]->subjectName(), "CN=B");
    EXPECT_EQ(all[2]->subjectName(), "CN=A");
    std::string text = log.text();
    EXPECT_NE(
        text.find("WARNING: Certificate file skipped (not a certificate): " + dir + "/0-bad.crt"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("0-empty.pem"), std::string::npos);
}

TEST(FolderStore, MissingFolderOpensEmptyAndBadNamesAreRefused) {
    testpki::TempHome home;
    EXPECT_TRUE(FolderStore::open(StoreLocation::LocalMachine, "Nothing", true)->entries().empty());
    EXPECT_CRYPT_ERROR(FolderStore::open(StoreLocation::CurrentUser, "../MY", true),
                       crypt::errors::ERROR_INVALID_PARAMETER);
    EXPECT_CRYPT_ERROR(FolderStore::open(StoreLocation::CurrentUser, "", true),
                       crypt::errors::ERROR_INVALID_PARAMETER);
}

TEST(FolderStore, KeysReadableByOthersAreRefused) {
    testpki::TempHome home;
    TestLog log(home);
    std::string dir = storeDir(home, "MY");
    testpki::Issued mine = testpki::issue({.subject = "CN=Mine"}, nullptr);
    testpki::Issued open = testpki::issue({.subject = "CN=Open"}, nullptr);
    testpki::writeFile(dir + "/mine.cer", der(mine));
    writeKey(dir + "/mine.key", *mine.key, "");
    testpki::writeFile(dir + "/open.cer", der(open));
    writeKey(dir + "/open.key", *open.key, "", 0644);
    auto store = FolderStore::open(StoreLocation::CurrentUser, "MY", true);
    ASSERT_EQ(store->entries().size(), 2u);
    const stores::StoreEntry& m = store->entries()[0];
    const stores::StoreEntry& o = store->entries()[1];
    EXPECT_TRUE(m.certificate->hasPrivateKey());
    EXPECT_EQ(m.certificate->keyProvider()->info().container, dir + "/mine.key");
    EXPECT_FALSE(o.certificate->hasPrivateKey());
    EXPECT_NE(
        log.text().find("WARNING: Key file readable by others, ignored: " + dir + "/open.key"),
        std::string::npos);
    // The key signs, and the certificate's key verifies it.
    std::vector<unsigned char> hash(32, 7);
    auto sig = m.certificate->keyProvider()->privateKey()->signHash(
        crypt::HashAlgorithm::SHA256, hash, crypt::ByteOrder::LittleEndian);
    EXPECT_TRUE(m.certificate->publicKey().verifyHash(crypt::HashAlgorithm::SHA256, hash, sig,
                                                      crypt::ByteOrder::LittleEndian));
}

TEST(FolderStore, EncryptedKeysAskTheirPassword) {
    testpki::TempHome home;
    std::string dir = storeDir(home, "MY");
    testpki::Issued locked = testpki::issue({.subject = "CN=Locked"}, nullptr);
    testpki::writeFile(dir + "/locked.pem", locked.certificate->pem());
    writeKey(dir + "/locked.key", *locked.key, "right");

    scriptAnswers(home, "password=wrong\n");
    auto store = FolderStore::open(StoreLocation::CurrentUser, "MY", true);
    EXPECT_CRYPT_ERROR(store->entries()[0].certificate->keyProvider()->privateKey(),
                       crypt::errors::ERROR_INVALID_DATA);

    scriptAnswers(home, "password=cancel\n");
    store = FolderStore::open(StoreLocation::CurrentUser, "MY", true);
    EXPECT_CRYPT_ERROR(store->entries()[0].certificate->keyProvider()->privateKey(),
                       crypt::errors::ERROR_CANCELLED);

    scriptAnswers(home, "password=right\n");
    store = FolderStore::open(StoreLocation::CurrentUser, "MY", true);
    auto key = store->entries()[0].certificate->keyProvider()->privateKey();
    EXPECT_EQ(EVP_PKEY_eq(key->get(), locked.key->get()), 1);
    // Unlocked once, kept afterwards (no second prompt needed).
    EXPECT_EQ(store->entries()[0].certificate->keyProvider()->privateKey(), key);
}

TEST(FolderStore, AddAndRemoveRespectReadOnlyAndSystemRoots) {
    testpki::TempHome home;
    testpki::Issued cert = testpki::issue({.subject = "CN=Added"}, nullptr);
    auto readOnly = FolderStore::open(StoreLocation::CurrentUser, "Other", true);
    EXPECT_CRYPT_ERROR(readOnly->add(cert.certificate, nullptr, ""),
                       crypt::errors::ERROR_ACCESS_DENIED);
    auto store = FolderStore::open(StoreLocation::CurrentUser, "Other", false);
    const stores::StoreEntry added = store->add(cert.certificate, cert.key.get(), "");
    EXPECT_TRUE(added.certificate->hasPrivateKey());
    struct stat st {};
    ASSERT_EQ(stat(added.keyPath.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(FolderStore::open(StoreLocation::CurrentUser, "Other", true)->entries().size(), 1u);
    store->remove(*cert.certificate);
    EXPECT_FALSE(std::filesystem::exists(added.path));
    EXPECT_TRUE(FolderStore::open(StoreLocation::CurrentUser, "Other", true)->entries().empty());
    EXPECT_CRYPT_ERROR(store->remove(*cert.certificate), crypt::errors::CRYPT_E_NOT_FOUND);

    // ROOT lists the system roots too, and they cannot be removed.
    auto root = FolderStore::open(StoreLocation::CurrentUser, "ROOT", false);
    size_t systemRoots = 0;
    for (const stores::StoreEntry& e : root->entries()) {
        systemRoots += e.systemRoot ? 1 : 0;
    }
    if (systemRoots > 0) {
        EXPECT_CRYPT_ERROR(root->remove(*root->entries()[0].certificate),
                           crypt::errors::ERROR_ACCESS_DENIED);
    }
    EXPECT_EQ(systemRoots, root->entries().size());
}
