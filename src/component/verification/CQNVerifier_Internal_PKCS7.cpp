#include "component/verification/CQNVerifier_Internal_PKCS7.h"

#include <algorithm>
#include <string>

#include "com/BStr.h"
#include "component/certificates/QNCertificate.h"
#include "component/module/ModuleLog.h"
#include "component/module/SettingsTable.h"
#include "component/signing/CQNQuillionUtility.h"
#include "component/verification/RepairedMessage.h"
#include "component/verification/SignerCertificateCheck.h"
#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/SignerCheck.h"
#include "stream/Base64.h"
#include "stream/Log.h"
#include "stream/exceptions/CryptException.h"

namespace component::verification {

namespace {

using platform::crypt::ByteView;
using platform::crypt::CertificatePtr;
using platform::crypt::SignedDataParser;
using platform::crypt::SignerInfoView;
namespace errors = platform::crypt::errors;

constexpr char kSignedDataType[] = "1.2.840.113549.1.7.2";
constexpr char kNoError[] = "No hay ningun error";
constexpr char kBadSignature[] = "Firma inválida";

// Lines of the failures, as the callers of this verifier know them.
constexpr int kLineNestedEmpty = 509;
constexpr int kLineSimpleFeed = 574;
constexpr int kLineSimpleContent = 584;
constexpr int kLineDetachedFeed = 629;
constexpr int kLineDetachedContent = 639;
constexpr int kLineComputedHash = 226;

void logWarning(const std::string& text) {
    stream::Log::instance().log(stream::LOG_WARNING, text);
}

void logWin32(uint32_t level, const std::string& text, uint32_t code) {
    stream::Log::instance().logWin32(level, text, code);
}

LONG asLong(uint32_t code) {
    return static_cast<LONG>(code);
}

// A failed signature check into the status: a bad signature is "Firma inválida", any other
// code keeps its number with otherText, logged at otherLevel.
void recordFailure(QNVerifyStatus& status, uint32_t code, uint32_t otherLevel,
                   const char* otherText) {
    if (code == errors::NTE_BAD_SIGNATURE) {
        logWarning("Bad signature");
        status.setError(asLong(code), kBadSignature);
    } else {
        logWin32(otherLevel, "Verify failed", code);
        status.setError(asLong(code), otherText);
    }
}

// The message read, a failure raised from this verifier's own source: feedLine for bytes
// that are no readable message, contentLine for a message of another type.
SignedDataParser open(const unsigned char* data, size_t size, int feedLine, int contentLine) {
    try {
        return SignedDataParser(data, size);
    } catch (const stream::exceptions::CryptException& e) {
        uint32_t code = e.errorCode();
        platform::crypt::raiseCrypt(
            CQNVerifier_Internal_PKCS7::kSource,
            code == errors::CRYPT_E_INVALID_MSG_TYPE ? contentLine : feedLine, code);
    }
}

// The message's certificates that can be read (others are left out).
std::vector<CertificatePtr> certificatesOf(const SignedDataParser& message) {
    std::vector<CertificatePtr> out;
    for (const ByteView& der : message.certificates()) {
        try {
            out.push_back(platform::crypt::Certificate::fromDer(der.data, der.size));
        } catch (const std::exception&) {
        }
    }
    return out;
}

// The message certificate the signer names, or null.
CertificatePtr namedIn(const std::vector<CertificatePtr>& certificates,
                       const SignerInfoView& signer) {
    for (const CertificatePtr& c : certificates) {
        if (platform::crypt::signerNames(signer, *c)) {
            return c;
        }
    }
    return nullptr;
}

// The message certificate with this issuer encoding and the signer's serial number.
CertificatePtr withIssuer(const std::vector<CertificatePtr>& certificates,
                          const SignerInfoView& signer, const std::vector<unsigned char>& issuer) {
    SignerInfoView renamed = signer;
    renamed.sid.issuer = ByteView{issuer.data(), issuer.size()};
    return namedIn(certificates, renamed);
}

} // namespace

CQNVerifier_Internal_PKCS7::CQNVerifier_Internal_PKCS7() {
    module::logTrace("CQNVerifier_Internal_PKCS7::CQNVerifier_Internal_PKCS7: " +
                     std::to_string(module::addressNumber(this)));
}

CQNVerifier_Internal_PKCS7::~CQNVerifier_Internal_PKCS7() {
    module::logTrace("CQNVerifier_Internal_PKCS7::~CQNVerifier_Internal_PKCS7: " +
                     std::to_string(module::addressNumber(this)));
}

int CQNVerifier_Internal_PKCS7::verify(const unsigned char* message, size_t messageSize,
                                       const unsigned char* detachedContent, size_t detachedSize,
                                       bool, int level) {
    return verifyMessage(message, messageSize, ByteView{detachedContent, detachedSize}, level);
}

int CQNVerifier_Internal_PKCS7::verifyMessage(const unsigned char* message, size_t messageSize,
                                              ByteView detached, int level) {
    module::logTrace("CQNVerifier_Internal_PKCS7::verify");
    if (level > kMaxLevel) {
        platform::crypt::raiseCrypt(kSource, kLineNestedEmpty, errors::CRYPT_E_MSG_ERROR);
    }
    int result = 1;
    // The content is copied once for all the signers of this message, never kept from before:
    // a message none of whose signers verifies leaves no content.
    contentSource_ = {};
    if (detached.empty()) {
        content_.clear();
    }
    SignedDataParser parsed = open(message, messageSize, kLineSimpleFeed, kLineSimpleContent);
    if (parsed.detached()) {
        module::logInfo("Detached data");
    }
    const std::vector<SignerInfoView>& signers = parsed.signers();
    std::string count = std::to_string(signers.size());
    module::logInfo("CQNVerifier_Internal_PKCS7::getSignersNumber(). Signer number: " + count);
    module::logInfo("CQNVerifier_Internal_PKCS7::verify() Signer number: " + count);

    Certificates carried = certificatesOf(parsed);
    // Every signer is judged at the first signer's signing time.
    std::optional<std::time_t> signingTime;
    if (!signers.empty()) {
        signingTime = platform::crypt::signingTimeOf(signers[0]);
    }
    SignerCertificateCheck check(signingTime, carried);
    if (signers.empty()) {
        // A message that nobody signed (a certificates-only one) verifies nothing.
        result = 0;
    }

    for (size_t i = 0; i < signers.size(); ++i) {
        module::logInfo("CQNVerifier_Internal_PKCS7::verify(). Signer: " + std::to_string(i));
        com::ComPtr<QNVerifyStatus> status = QNVerifyStatus::create();
        status->setError(0, kNoError);
        status->setLevel(level);
        com::ComPtr<certificates::QNCertificate> certificate =
            certificates::QNCertificate::create();

        SignerOutcome outcome = detached.empty()
                                    ? verifyAttached(parsed, carried, i, *status)
                                    : verifyDetached(parsed, carried, i, detached, *status);
        if (outcome.certificate) {
            com::BStr text = com::BStr::fromUtf8(stream::Base64::encodeLines(
                outcome.certificate->der().data(), outcome.certificate->der().size(), "\r\n"));
            certificate->import3(text.get());
            IDispatch* object = static_cast<certificates::IQNCertificate*>(certificate.get());
            if (!check.check(*certificate, *outcome.certificate, *status)) {
                status->setLevel(level);
                status->setSignerCertificate(object);
                statuses_.push_back(status);
                result = 0;
                continue;
            }
            status->setSignerCertificate(object);
        } else {
            logWarning("No signer certificate");
        }
        if (!outcome.valid) {
            status->setLevel(level);
            result = 0;
        }
        statuses_.push_back(status);
    }

    if (parsed.contentType() == kSignedDataType) {
        module::logInfo("verify inner");
        ByteView inner = parsed.content();
        if (inner.empty()) {
            platform::crypt::raiseCrypt(kSource, kLineNestedEmpty, errors::CRYPT_E_ASN1_EOD);
        }
        // The content is a SignedData, bare or inside its ContentInfo: both are read as is.
        int innerResult = verifyMessage(inner.data, inner.size, detached, level + 1);
        result = (result != 0 && innerResult != 0) ? 1 : 0;
    }
    return result;
}

CQNVerifier_Internal_PKCS7::SignerOutcome
CQNVerifier_Internal_PKCS7::verifyAttached(const SignedDataParser& message,
                                           const Certificates& certificates, size_t index,
                                           QNVerifyStatus& status) {
    module::logInfo("Verify ATTACHED");
    const SignerInfoView& signer = message.signers()[index];

    CertificatePtr certificate = namedIn(certificates, signer);
    if (!certificate) {
        certificate = signer.sid.byKeyIdentifier
                          ? signing::CQNQuillionUtility::findCertificateInMyStore(
                                signer.sid.keyIdentifier.bytes())
                          : signing::CQNQuillionUtility::findCertificateInMyStore(
                                signer.sid.issuer.bytes(), signer.sid.serialNumber.bytes());
    }
    std::optional<std::vector<unsigned char>> reencoded;
    if (!signer.sid.byKeyIdentifier) {
        reencoded = RepairedMessage::reencodeIssuer(signer.sid.issuer);
    }
    if (!certificate && reencoded) {
        certificate = withIssuer(certificates, signer, *reencoded);
    }
    if (!certificate) {
        uint32_t code = errors::CRYPT_E_NOT_FOUND;
        status.setError(asLong(code), "Error getting signer certificate");
        logWin32(stream::LOG_ERROR, "Error creatring signer certificate context", code);
        return {false, nullptr};
    }

    std::optional<std::vector<unsigned char>> repaired;
    if (reencoded && RepairedMessage::hasTeletexAttribute(certificate->issuerDer()) &&
        !(ByteView{reencoded->data(), reencoded->size()} == signer.sid.issuer)) {
        repaired = RepairedMessage::replaceElement(message.bytes(), message.size(),
                                                   signer.sid.issuerOffset, signer.sid.issuer.size,
                                                   *reencoded);
    }

    uint32_t code = 0;
    try {
        if (!platform::crypt::signerNames(signer, *certificate)) {
            platform::crypt::raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_SIGNER_NOT_FOUND);
        }
        platform::crypt::verifySignerOver(signer, *certificate, message.digestedContent());
        keepContent(message.content());
        return {true, certificate};
    } catch (const stream::exceptions::CryptException& e) {
        code = e.errorCode();
    }

    if (repaired) {
        try {
            SignedDataParser copy(repaired->data(), repaired->size());
            if (index < copy.signers().size() &&
                platform::crypt::signerNames(copy.signers()[index], *certificate)) {
                platform::crypt::verifySignerOver(copy.signers()[index], *certificate,
                                                  copy.digestedContent());
                keepContent(message.content());
                return {true, certificate};
            }
        } catch (const stream::exceptions::CryptException&) {
            // The outcome follows the message's own failure.
        }
    }

    recordFailure(status, code, stream::LOG_WARNING, "Error en la verificación");
    return {false, certificate};
}

CQNVerifier_Internal_PKCS7::SignerOutcome
CQNVerifier_Internal_PKCS7::verifyDetached(const SignedDataParser& message,
                                           const Certificates& certificates, size_t index,
                                           ByteView detached, QNVerifyStatus& status) {
    module::logTrace("Verificando firma detached");
    const SignerInfoView& signer = message.signers()[index];
    // The certificate the signer names, else the one at the signer's position.
    CertificatePtr certificate = namedIn(certificates, signer);
    bool named = certificate != nullptr;
    if (!named && index < certificates.size()) {
        certificate = certificates[index];
    }
    if (!certificate) {
        // Without any certificate the signer cannot pass, and its status says so.
        uint32_t code = errors::CRYPT_E_NOT_FOUND;
        status.setError(asLong(code), "Error getting signer certificate");
        logWin32(stream::LOG_ERROR, "Error creatring signer certificate context", code);
        return {false, nullptr};
    }
    if (module::SettingsTable::instance().get("SignFromHash") == "TRUE") {
        return {verifyByHash(signer, *certificate, detached, status), certificate};
    }
    module::logInfo("Verify DETACHED");
    uint32_t code = 0;
    try {
        if (!named) {
            platform::crypt::raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_NOT_FOUND);
        }
        platform::crypt::verifySignerOver(signer, *certificate, detached);
        return {true, certificate};
    } catch (const stream::exceptions::CryptException& e) {
        code = e.errorCode();
    }
    recordFailure(status, code, stream::LOG_ERROR, "Error verificando la firma");
    return {false, certificate};
}

bool CQNVerifier_Internal_PKCS7::verifyByHash(const SignerInfoView& signer,
                                              const platform::crypt::Certificate& certificate,
                                              ByteView detached, QNVerifyStatus& status) {
    module::logTrace("Verificando firma detached byHash");
    std::string decoded = stream::Base64::decode(
        std::string_view(reinterpret_cast<const char*>(detached.data), detached.size));
    std::vector<unsigned char> hash(decoded.begin(), decoded.end());

    std::vector<unsigned char> toCheck;
    if (signer.hasSignedAttributes) {
        logWarning("Si hay atributos autenticados");
        // The supplied digest must be the content digest the signer signed, all of it.
        bool found = false;
        if (const auto* digest = signer.attribute(platform::crypt::kMessageDigestAttribute)) {
            try {
                platform::crypt::DerReader values(digest->values.data, digest->values.size);
                platform::crypt::DerElement value = values.expect(0x04);
                found = ByteView{value.value, value.length} == ByteView{hash.data(), hash.size()};
            } catch (const stream::exceptions::CryptException&) {
                found = false;
            }
        }
        if (!found) {
            logWarning("Error al emplazar hash precalculado en la firma");
            logWin32(stream::LOG_ERROR, "Verify failed", 1);
            status.setError(1, "Error verificando la firma");
            return false;
        }
        std::vector<unsigned char> set = platform::crypt::signedAttributesAsSet(signer);
        try {
            toCheck = platform::crypt::digestWith(signer.digestAlgorithm, set.data(), set.size());
        } catch (const stream::exceptions::CryptException& e) {
            platform::crypt::raiseCrypt(kSource, kLineComputedHash, e.errorCode());
        }
    } else {
        logWarning("No hay atributos autenticados");
        toCheck = hash;
        size_t wanted = 0;
        try {
            wanted = platform::crypt::digestSize(signer.digestAlgorithm);
        } catch (const stream::exceptions::CryptException&) {
            wanted = 20;
        }
        if (toCheck.size() < wanted) {
            toCheck.resize(wanted, 0xFF);
        }
    }
    uint32_t code = errors::NTE_BAD_SIGNATURE;
    try {
        if (platform::crypt::signatureMatches(signer, certificate, toCheck)) {
            return true;
        }
    } catch (const stream::exceptions::CryptException& e) {
        code = e.errorCode();
    }
    logWarning("Error al verificar la firma");
    recordFailure(status, code, stream::LOG_ERROR, "Error verificando la firma");
    return false;
}

void CQNVerifier_Internal_PKCS7::keepContent(ByteView content) {
    if (contentSource_.data == content.data && contentSource_.size == content.size &&
        content_.size() == content.size) {
        return;
    }
    content_.clear();
    if (content.size != 0) {
        // One request for the whole copy rather than a page fault per page.
        content_.reserveExact(content.size);
        content_.prefault(content.size);
        content_.append(content.data, content.size);
    }
    contentSource_ = content;
}

com::ComPtr<QNVerifyStatus> CQNVerifier_Internal_PKCS7::getStatus(long index) {
    if (index < 0 || static_cast<size_t>(index) >= statuses_.size()) {
        return nullptr;
    }
    return statuses_[static_cast<size_t>(index)];
}

stream::ByteBuffer CQNVerifier_Internal_PKCS7::getContent() {
    contentSource_ = {};
    return std::move(content_);
}

int CQNVerifier_Internal_PKCS7::isDetached(const unsigned char* message, size_t messageSize) {
    return isDetachedAt(message, messageSize, 0);
}

int CQNVerifier_Internal_PKCS7::isDetachedAt(const unsigned char* message, size_t messageSize,
                                             int level) {
    module::logTrace("CQNVerifier_Internal_PKCS7::isDetached");
    if (level > kMaxLevel) {
        platform::crypt::raiseCrypt(kSource, kLineDetachedContent, errors::CRYPT_E_MSG_ERROR);
    }
    SignedDataParser parsed = open(message, messageSize, kLineDetachedFeed, kLineDetachedContent);
    if (parsed.detached()) {
        return 1;
    }
    if (parsed.contentType() != kSignedDataType) {
        return 0;
    }
    ByteView inner = parsed.content();
    return isDetachedAt(inner.data, inner.size, level + 1);
}

bool CQNVerifier_Internal_PKCS7::getSigners(const unsigned char* message, size_t messageSize,
                                            bool) {
    module::logTrace("CQNVerifier_Internal_PKCS7::getSigners");
    SignedDataParser parsed = open(message, messageSize, kLineSimpleFeed, kLineSimpleContent);
    return !certificatesOf(parsed).empty();
}

} // namespace component::verification
