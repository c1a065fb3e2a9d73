#include "component/signing/CQNQuillionUtility.h"

#include <array>
#include <cstdio>
#include <ctime>

#include "component/module/ModuleLog.h"
#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/DerReader.h"
#include "platform/crypt/DerWriter.h"
#include "platform/stores/FolderStore.h"
#include "platform/stores/KeyFile.h"
#include "stream/Log.h"
#include "stream/System.h"
#include "stream/exceptions/StreamException.h"

namespace component::signing {

using platform::crypt::Bytes;
using platform::crypt::DerElement;
using platform::crypt::DerReader;
namespace der = platform::crypt::der;
namespace errors = platform::crypt::errors;

namespace {

constexpr const char* kData = "1.2.840.113549.1.7.1";
constexpr const char* kSignedData = "1.2.840.113549.1.7.2";
constexpr const char* kSigningTime = "1.2.840.113549.1.9.5";
constexpr const char* kEnhancedProvider = "Microsoft Enhanced Cryptographic Provider v1.0";

// A ContentInfo: SEQUENCE { contentType OBJECT IDENTIFIER, content [0] EXPLICIT OPTIONAL }
// filling the bytes exactly. Raises CryptException for malformed DER; nullopt-like empty type
// for DER of another shape.
struct ContentInfo {
    std::string type;
    bool hasContent = false;
    DerElement content; // the element inside [0]
};

ContentInfo readContentInfo(const unsigned char* data, size_t size) {
    ContentInfo info;
    DerReader top(data, size);
    if (top.peekTag() != 0x30) {
        platform::crypt::raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_BADTAG);
    }
    DerElement sequence = top.next();
    if (!top.atEnd()) {
        platform::crypt::raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
    }
    DerReader fields = top.inside(sequence);
    std::string type = platform::crypt::oidText(fields.expect(0x06));
    if (!fields.atEnd()) {
        DerReader explicitContent = fields.inside(fields.expect(0xA0));
        info.content = explicitContent.next();
        info.hasContent = true;
        if (!explicitContent.atEnd() || !fields.atEnd()) {
            platform::crypt::raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
        }
    }
    info.type = std::move(type);
    return info;
}

// A bare SignedData: SEQUENCE { version INTEGER, digestAlgorithms SET, ... }.
bool looksLikeSignedData(const unsigned char* data, size_t size) {
    DerReader top(data, size);
    DerElement sequence = top.expect(0x30);
    DerReader fields = top.inside(sequence);
    fields.expect(0x02);
    fields.expect(0x31);
    return top.atEnd();
}

std::string messageTypeName(const std::string& contentType) {
    static const std::array<const char*, 5> known = {"1.2.840.113549.1.7.1", "1.2.840.113549.1.7.2",
                                                     "1.2.840.113549.1.7.3", "1.2.840.113549.1.7.5",
                                                     "1.2.840.113549.1.7.6"};
    for (const char* oid : known) {
        if (contentType == oid) {
            return oid;
        }
    }
    return "";
}

Bytes timeValue(const std::tm& utc) {
    char text[32];
    int year = utc.tm_year + 1900;
    if (year >= 1950 && year <= 2049) {
        std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02dZ", year % 100, utc.tm_mon + 1,
                      utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
        return der::tlv(0x17, reinterpret_cast<const unsigned char*>(text), 13);
    }
    int n = std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02dZ", year, utc.tm_mon + 1,
                          utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return der::tlv(0x18, reinterpret_cast<const unsigned char*>(text), static_cast<size_t>(n));
}

std::shared_ptr<platform::stores::FolderStore> openMyStore() {
    return platform::stores::FolderStore::open(platform::stores::StoreLocation::CurrentUser, "MY",
                                               true);
}

} // namespace

CQNQuillionUtility::BareContent CQNQuillionUtility::extractBareContent(const unsigned char* data,
                                                                       size_t size) {
    module::logTrace("CQNQuillionUtility::extractBareContentt");
    BareContent bare;
    ContentInfo info;
    try {
        info = readContentInfo(data, size);
    } catch (const stream::exceptions::StreamException&) {
        return bare;
    }
    if (!info.hasContent) {
        return bare;
    }
    module::logTrace("CQNQuillionUtility::extractBareContent: Preparando contentinfo...");
    module::logTrace("CQNQuillionUtility::extractBareContent: Copiando contentinfo...");
    if (info.type == kData && info.content.tag == 0x04) {
        // Data travels as an OCTET STRING: what is signed is its value.
        bare.data = info.content.value;
        bare.size = info.content.length;
    } else {
        bare.data = info.content.begin(data);
        bare.size = info.content.totalLength();
    }
    bare.contentType = info.type;
    module::logTrace("CQNQuillionUtility::extractBareContent, return");
    return bare;
}

std::vector<unsigned char> CQNQuillionUtility::signingTimeAttribute() {
    module::logTrace("Generando timeStamp");
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    return der::attribute(kSigningTime, timeValue(utc));
}

std::string CQNQuillionUtility::getMessageType(const unsigned char* data, size_t size,
                                               bool expectSigned) {
    module::logTrace("CQNQuillionUtility::getMessageType");
    std::string result;
    try {
        if (size == 0 || data[0] != 0x30) {
            // Not even a SEQUENCE: no message, and no error either.
            return "";
        }
        if (expectSigned) {
            ContentInfo info;
            bool wrapped = false;
            try {
                info = readContentInfo(data, size);
                wrapped = info.type == kSignedData && info.hasContent;
            } catch (const stream::exceptions::StreamException&) {
            }
            if (wrapped || looksLikeSignedData(data, size)) {
                result = kSignedData;
            }
        } else {
            result = messageTypeName(readContentInfo(data, size).type);
        }
    } catch (const stream::exceptions::StreamException& e) {
        if (static_cast<uint32_t>(e.code()) == errors::CRYPT_E_ASN1_BADTAG) {
            return "";
        }
        stream::Log::instance().log(stream::LOG_WARNING,
                                    e.message() + " " + std::to_string(e.code()));
        return "";
    }
    module::logInfo("Message type: " + result);
    return result;
}

std::vector<unsigned char> CQNQuillionUtility::encodeContentInfo(const std::string& contentType,
                                                                 const unsigned char* data,
                                                                 size_t size) {
    Bytes type;
    try {
        type = der::oid(contentType);
    } catch (const stream::exceptions::StreamException&) {
        return {};
    }
    Bytes inner = contentType == kData ? der::octetString(data, size) : Bytes(data, data + size);
    Bytes content = der::constructed(0xA0, {&inner});
    return der::sequence({&type, &content});
}

platform::crypt::CertificatePtr
CQNQuillionUtility::findCertificateInMyStore(const std::vector<unsigned char>& issuer,
                                             const std::vector<unsigned char>& serialNumber) {
    module::logTrace("CQNQuillionUtility::findCertificateInMyStore");
    try {
        for (const auto& certificate : openMyStore()->certificates()) {
            if (certificate->issuerDer() == issuer && certificate->serialBytes() == serialNumber) {
                return certificate;
            }
        }
    } catch (const stream::exceptions::StreamException&) {
    }
    return nullptr;
}

platform::crypt::CertificatePtr
CQNQuillionUtility::findCertificateInMyStore(const std::vector<unsigned char>& keyIdentifier) {
    module::logTrace("CQNQuillionUtility::findCertificateInMyStore");
    try {
        for (const auto& certificate : openMyStore()->certificates()) {
            if (certificate->keyIdentifier() == keyIdentifier) {
                return certificate;
            }
        }
    } catch (const stream::exceptions::StreamException&) {
    }
    return nullptr;
}

int CQNQuillionUtility::GetCSPDesc(const platform::crypt::Certificate& certificate,
                                   platform::crypt::KeyProviderInfo& description) {
    module::logTrace("GetCSPDesc");
    std::shared_ptr<platform::crypt::KeyProvider> provider = certificate.keyProvider();
    if (!provider) {
        return -1;
    }
    description = provider->info();
    if (description.provider == "Microsoft Base Cryptographic Provider v1.0" ||
        description.provider == "Microsoft Strong Cryptographic Provider") {
        module::logInfo("Found MSCSP: " + description.provider);
        // The upgrade needs the enhanced provider's machine registration; this platform has no
        // machine registry, so the key's own provider stays.
        try {
            stream::System::registryValue(std::string("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\"
                                                      "Cryptography\\Defaults\\Provider\\") +
                                          kEnhancedProvider);
            module::logInfo("ENHANCED CSP activated.");
            description.provider = kEnhancedProvider;
            description.providerType = 1;
        } catch (const stream::exceptions::StreamException&) {
        }
    }
    return 0;
}

std::shared_ptr<platform::crypt::KeyProvider>
CQNQuillionUtility::createContextFromCertificate(const platform::crypt::Certificate& certificate,
                                                 uint32_t& keySpec) {
    module::logTrace("CQNQuillionUtility::createContextFromCertificate");
    platform::crypt::KeyProviderInfo info;
    if (GetCSPDesc(certificate, info) == -1) {
        return nullptr;
    }
    keySpec = info.keySpec;
    if (info.provider == platform::crypt::kFolderKeyProvider &&
        platform::stores::KeyFile::usable(info.container)) {
        module::logInfo("Cryptographic context adquire, provider: " + info.provider +
                        ", container: " + info.container);
        return certificate.keyProvider();
    }
    module::logInfo("Cryptographic context adquire failed at QNUtility, trying to create a new "
                    "container for provider: " +
                    info.provider + ", container: " + info.container);
    // A new key set cannot stand in for a key that is gone: there is nothing to acquire.
    return nullptr;
}

std::shared_ptr<platform::crypt::KeyProvider> CQNQuillionUtility::createEnhancedContext() {
    module::logTrace("CQNQuillionUtility::createEnhancedContext");
    return nullptr;
}

} // namespace component::signing
