#include "component/verification/CQNVerifier_Internal_XMLDSig.h"

#include <ctime>
#include <memory>
#include <optional>
#include <string_view>

#include <xsec/dsig/DSIGKeyInfoList.hpp>
#include <xsec/dsig/DSIGKeyInfoX509.hpp>
#include <xsec/enc/XSECCryptoKey.hpp>
#include <xsec/enc/XSECCryptoProvider.hpp>
#include <xsec/enc/XSECCryptoX509.hpp>
#include <xsec/utils/XSECPlatformUtils.hpp>

#include "com/BStr.h"
#include "component/certificates/QNCertificate.h"
#include "component/content/XadesVersion.h"
#include "component/module/ModuleLog.h"
#include "component/module/SettingNames.h"
#include "component/module/SettingsTable.h"
#include "component/verification/KeyInfoCertificates.h"
#include "component/verification/XadesNamespace.h"
#include "component/verification/XmlDecryption.h"
#include "component/verification/XmlFailureText.h"
#include "component/verification/XmlReferenceResolver.h"
#include "component/verification/XmlSignatureCheck.h"
#include "component/verification/XmlSignedContent.h"
#include "component/verification/XmlSigningTime.h"
#include "platform/certificates/ChainValidation.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlFailure.h"
#include "platform/xml/XmlLibraries.h"
#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlSerializer.h"
#include "platform/xml/XmlText.h"
#include "platform/xml/XsecHandles.h"
#include "stream/Base64.h"
#include "stream/Log.h"
#include "stream/exceptions/StreamException.h"

namespace component::verification {

namespace {

using platform::certificates::ChainTime;
using platform::xml::toUtf8;
using platform::xml::XmlString;

ChainTime nowUtc() {
    std::time_t now = std::time(nullptr);
    struct tm utc {};
    gmtime_r(&now, &utc);
    return ChainTime{utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                     utc.tm_hour,        utc.tm_min,     utc.tm_sec};
}

// The library's signature object for the element, loaded, with the Id attribute names and
// the reference resolver of this verifier.
platform::xml::SignaturePtr loadSignature(XSECProvider& provider, xercesc::DOMDocument& document,
                                          xercesc::DOMElement& element, XSECURIResolver* resolver) {
    platform::xml::SignaturePtr signature =
        platform::xml::signatureFromDom(provider, &document, &element);
    signature->setIdByAttributeName(true);
    for (const char* name : {"id", "Id", "ID", "iD"}) {
        signature->registerIdAttributeName(XmlString(name));
    }
    signature->setURIResolver(resolver);
    requireReadableCertificates(element);
    signature->load();
    return signature;
}

// The public key of a Base64 certificate, for the library (which owns it once given).
XSECCryptoKey* publicKeyOf(const std::string& certificate) {
    std::unique_ptr<XSECCryptoX509> x509(XSECPlatformUtils::g_cryptoProvider->X509());
    x509->loadX509Base64Bin(certificate.data(), static_cast<unsigned int>(certificate.size()));
    XSECCryptoKey* key = x509->clonePublicKey();
    if (key == nullptr) {
        platform::xml::raiseXmlFailure("The certificate of the signature has no usable key");
    }
    return key;
}

// A certificate object for a status, from Base64 text.
com::ComPtr<certificates::QNCertificate> certificateObject(const std::string& base64) {
    com::ComPtr<certificates::QNCertificate> object = certificates::QNCertificate::create();
    com::BStr text = com::BStr::fromUtf8(base64);
    HRESULT hr = object->import3(text.get());
    if (FAILED(hr)) {
        throw stream::exceptions::StreamException("The certificate could not be read",
                                                  static_cast<int32_t>(hr));
    }
    return object;
}

IDispatch* dispatchOf(certificates::QNCertificate& object) {
    return static_cast<certificates::IQNCertificate*>(&object);
}

// Every ds:Signature of the document, in document order.
std::vector<xercesc::DOMElement*> signaturesOf(xercesc::DOMDocument& document) {
    std::vector<xercesc::DOMElement*> out;
    for (const xercesc::DOMElement* element : platform::xml::descendantElements(
             document, platform::xml::dsig::kNamespace, "Signature")) {
        out.push_back(const_cast<xercesc::DOMElement*>(element));
    }
    return out;
}

} // namespace

CQNVerifier_Internal_XMLDSig::CQNVerifier_Internal_XMLDSig() = default;
CQNVerifier_Internal_XMLDSig::~CQNVerifier_Internal_XMLDSig() = default;

int CQNVerifier_Internal_XMLDSig::verify(const unsigned char* message, size_t messageSize,
                                         const unsigned char* detachedContent, size_t detachedSize,
                                         bool, int level) {
    module::logTrace("CQNVerifier_Internal::verify");
    platform::xml::XmlLibraries::require();
    // The content is this verification's: none when it ends before the content is taken.
    content_.clear();
    const std::string_view text(reinterpret_cast<const char*>(message), messageSize);
    auto parse = [](std::string_view bytes) {
        return platform::xml::XmlParser::parse(bytes, platform::xml::kVerifierInput,
                                               platform::xml::XmlParser::Errors::Collect);
    };
    // A large signed document is best read as a stream; the DOM road whenever that would not
    // check everything the DOM road checks.
    std::optional<StreamedMessage> streamed = StreamedMessage::open(text);
    platform::xml::XmlParser::Result parsed = parse(streamed ? streamed->skeleton() : text);
    if (streamed && !streamed->covers(*parsed.document)) {
        streamed.reset();
        parsed = parse(text);
    }
    XSECProvider provider;
    std::unique_ptr<XSECURIResolver> resolver = newXmlReferenceResolver();

    Run run;
    run.document = parsed.document.get();
    run.streamed = streamed ? &*streamed : nullptr;
    run.provider = &provider;
    run.resolver = resolver.get();
    run.encoding = platform::xml::XmlSerializer::declaredEncoding(*run.document);
    run.level = level;
    run.signFromHash = module::SettingsTable::instance().get(module::kSignFromHash) == "TRUE";
    if (run.signFromHash && detachedContent != nullptr) {
        run.suppliedDigest.assign(reinterpret_cast<const char*>(detachedContent), detachedSize);
    }

    size_t firstStatus = statuses_.size();
    std::vector<xercesc::DOMElement*> signatures = signaturesOf(*run.document);
    for (size_t k = 0; k < signatures.size(); ++k) {
        if (!verifySignature(run, *signatures[k], k)) {
            return 0;
        }
    }
    if (signatures.empty()) {
        return decryptOnly(run);
    }
    afterSignatures(run, *signatures.front(), firstStatus);
    return run.result;
}

bool CQNVerifier_Internal_XMLDSig::verifySignature(Run& run, xercesc::DOMElement& element,
                                                   size_t k) {
    platform::xml::SignaturePtr signature =
        loadSignature(*run.provider, *run.document, element, run.resolver);

    ChainTime signingTime;
    XmlSigningTime::Outcome found = XmlSigningTime::read(element, signingTime);
    if (found == XmlSigningTime::Outcome::Unreadable) {
        return false;
    }
    if (found == XmlSigningTime::Outcome::NotFound) {
        signingTime = nowUtc();
        module::logTrace("Validaremos contra fecha del sistema");
    }

    bool verified = false;
    DSIGKeyInfoList* keyInfo = signature->getKeyInfoList();
    for (DSIGKeyInfoList::size_type i = 0; keyInfo != nullptr && i < keyInfo->getSize(); ++i) {
        DSIGKeyInfo* item = keyInfo->item(i);
        if (item->getKeyInfoType() != DSIGKeyInfo::KEYINFO_X509) {
            continue;
        }
        auto* data = static_cast<DSIGKeyInfoX509*>(item);
        if (data->getCertificateListSize() == 0) {
            continue;
        }
        std::string certificate = toUtf8(data->getCertificateItem(0));
        signature->setSigningKey(publicKeyOf(certificate));
        verified = true;

        com::ComPtr<QNVerifyStatus> status = QNVerifyStatus::create();
        status->setError(0, kNoError);
        status->setLevel(run.level);
        com::ComPtr<certificates::QNCertificate> object = certificateObject(certificate);

        XmlSignatureVerdict verdict =
            run.signFromHash
                ? XmlSignatureCheck::verifyWithDigest(*signature, element, run.suppliedDigest)
                : XmlSignatureCheck::verify(*signature, element, run.streamed);
        status->setSignerCertificate(dispatchOf(*object));
        if (!verdict.valid) {
            status->setError(-1, verdict.messages);
            statuses_.push_back(status);
            run.result = 0;
            continue;
        }
        certificates::CQNCertificate_Internal* handle = nullptr;
        HRESULT hr = object->getCertificateInternal(&handle);
        if (FAILED(hr) || handle == nullptr) {
            throw stream::exceptions::StreamException("The certificate could not be read",
                                                      static_cast<int32_t>(hr));
        }
        const platform::crypt::Certificate& context = handle->getCertContext();
        int outcome = 1;
        platform::certificates::checkCertificateChain(context, {handle->certContext()}, signingTime,
                                                      outcome);
        if (outcome < 0) {
            status->setError(outcome, platform::certificates::chainStatusText(outcome));
            run.result = 0;
        }
        std::vector<unsigned char> digest = context.sha1Hash();
        run.records[k] =
            XadesSignerRecord{context.serialNumber(),
                              stream::Base64::encode(std::string_view(
                                  reinterpret_cast<const char*>(digest.data()), digest.size()))};
        statuses_.push_back(status);
    }
    if (!verified) {
        // A signature checked against no certificate proves nothing.
        run.result = 0;
    }
    return true;
}

int CQNVerifier_Internal_XMLDSig::decryptOnly(Run& run) {
    bool decrypted = false;
    while (xercesc::DOMElement* encrypted = XmlDecryption::firstEncryptedData(*run.document)) {
        platform::crypt::CertificatePtr recipient =
            XmlDecryption::decrypt(*run.provider, *run.document, *encrypted);
        com::ComPtr<certificates::QNCertificate> object = certificateObject(
            stream::Base64::encodeLines(recipient->der().data(), recipient->der().size(), "\r\n"));
        com::ComPtr<QNVerifyStatus> status = QNVerifyStatus::create();
        status->setError(0, kNoError);
        status->setLevel(0);
        status->setSignerCertificate(dispatchOf(*object));
        statuses_.push_back(status);
        decrypted = true;
    }
    if (!decrypted) {
        // Neither a signature nor anything to decrypt: nothing was verified.
        return 0;
    }
    // The content is the document with every element decrypted, once.
    content_ = platform::xml::XmlSerializer::serialize(*run.document, run.encoding);
    return 5;
}

void CQNVerifier_Internal_XMLDSig::afterSignatures(Run& run, xercesc::DOMElement& first,
                                                   size_t firstStatus) {
    platform::xml::SignaturePtr signature =
        loadSignature(*run.provider, *run.document, first, run.resolver);
    // From here on a failure ends the verification with the result reached so far.
    try {
        content_ = xmlSignedContent(*signature, first, run.encoding, run.streamed);
        signature.reset();
        while (xercesc::DOMElement* encrypted = XmlDecryption::firstEncryptedData(*run.document)) {
            XmlDecryption::decrypt(*run.provider, *run.document, *encrypted);
            run.result = 5;
        }
        XadesChecks::Input input;
        input.document = run.document;
        input.xadesNamespace = xadesNamespace(content::XadesVersion::get());
        input.records = run.records;
        input.encoding = run.encoding;
        input.statuses = &statuses_;
        input.firstStatus = firstStatus;
        input.level = run.level;
        XadesChecks::run(input, run.result);
    } catch (...) {
        stream::Log::instance().log(stream::LOG_WARNING, "CQNVerifier_Internal_XMLDSig::verify: " +
                                                             currentFailureText());
    }
}

com::ComPtr<QNVerifyStatus> CQNVerifier_Internal_XMLDSig::getStatus(long index) {
    if (index < 0 || static_cast<size_t>(index) >= statuses_.size()) {
        return nullptr;
    }
    return statuses_[static_cast<size_t>(index)];
}

stream::ByteBuffer CQNVerifier_Internal_XMLDSig::getContent() {
    stream::ByteBuffer out(content_);
    content_.clear();
    return out;
}

int CQNVerifier_Internal_XMLDSig::isDetached(const unsigned char*, size_t) {
    module::logTrace("CQNVerifier_Internal_XMLDSig::isDetached");
    return 1;
}

bool CQNVerifier_Internal_XMLDSig::getSigners(const unsigned char*, size_t, bool) {
    module::logTrace("CQNVerifier_Internal_XMLDSig::verify");
    return true;
}

} // namespace component::verification
