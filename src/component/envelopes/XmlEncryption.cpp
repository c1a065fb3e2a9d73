#include "component/envelopes/XmlEncryption.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <openssl/crypto.h>
#include <openssl/rand.h>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMException.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xsec/dsig/DSIGConstants.hpp>
#include <xsec/dsig/DSIGKeyInfoX509.hpp>
#include <xsec/enc/XSECCryptoException.hpp>
#include <xsec/enc/XSECCryptoKey.hpp>
#include <xsec/enc/XSECCryptoProvider.hpp>
#include <xsec/enc/XSECCryptoSymmetricKey.hpp>
#include <xsec/enc/XSECCryptoX509.hpp>
#include <xsec/framework/XSECException.hpp>
#include <xsec/framework/XSECProvider.hpp>
#include <xsec/utils/XSECPlatformUtils.hpp>
#include <xsec/xenc/XENCEncryptedData.hpp>
#include <xsec/xenc/XENCEncryptedKey.hpp>

#include "com/BStr.h"
#include "component/envelopes/EnvelopeRecipients.h"
#include "component/envelopes/EnvelopeStep.h"
#include "component/module/ErrorCodes.h"
#include "component/module/HResultText.h"
#include "component/module/ModuleLog.h"
#include "component/module/SettingNames.h"
#include "component/module/SettingsTable.h"
#include "platform/xml/XmlLibraries.h"
#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlSerializer.h"
#include "platform/xml/XmlText.h"
#include "platform/xml/XsecHandles.h"
#include "stream/HexBin.h"
#include "stream/RawCodecs.h"
#include "stream/exceptions/StreamException.h"

namespace component::envelopes {

namespace {

using stream::exceptions::StreamException;
using CertificatePtr = com::ComPtr<certificates::IQNCertificate>;

// The content algorithms: the setting's text, the key the library is given and the
// EncryptedData's method.
struct ContentAlgorithm {
    const char* setting;
    XSECCryptoSymmetricKey::SymmetricKeyType keyType;
    size_t keyLength;
    const XMLCh* method;
};

const ContentAlgorithm* algorithmFor(const std::string& setting) {
    static const std::array<ContentAlgorithm, 3> algorithms = {{
        {"1.2.840.113549.3.7", XSECCryptoSymmetricKey::KEY_3DES_192, 24,
         DSIGConstants::s_unicodeStrURI3DES_CBC},
        {"AES-128", XSECCryptoSymmetricKey::KEY_AES_128, 16,
         DSIGConstants::s_unicodeStrURIAES128_CBC},
        {"AES-256", XSECCryptoSymmetricKey::KEY_AES_256, 32,
         DSIGConstants::s_unicodeStrURIAES256_CBC},
    }};
    for (const ContentAlgorithm& algorithm : algorithms) {
        if (setting == algorithm.setting) {
            return &algorithm;
        }
    }
    return nullptr;
}

// One text of a certificate through its scriptable interface.
std::string certificateText(certificates::IQNCertificate& certificate,
                            HRESULT (certificates::IQNCertificate::*getter)(BSTR*)) {
    com::BStr text;
    HRESULT hr = (certificate.*getter)(text.out());
    if (FAILED(hr)) {
        throw StreamException(module::hresultText(hr), hr);
    }
    return text.utf8();
}

// The serial number's hexadecimal text in decimal.
std::string decimalSerial(const std::string& hexadecimal) {
    std::string bytes = stream::HexBin::decode(hexadecimal);
    return stream::bytesToDecimal(reinterpret_cast<const unsigned char*>(bytes.data()),
                                  bytes.size());
}

void warnLeftOut(const std::vector<CertificatePtr>& certificates) {
    if (certificates.size() < 2) {
        return;
    }
    std::string names;
    for (size_t i = 1; i < certificates.size(); ++i) {
        if (!names.empty()) {
            names += "; ";
        }
        try {
            names +=
                certificateText(*certificates[i], &certificates::IQNCertificate::getSubjectName);
        } catch (const StreamException&) {
            names += "(destinatario " + std::to_string(i) + ")";
        }
    }
    logWarning("XMLEncrypt: solo el primer destinatario podra descifrar el documento; "
               "destinatarios omitidos: " +
               names);
}

// The first element, depth first in document order from root, with an identifier attribute
// ("id", "ID", "Id", "iD", tried in that order) equal to id; null when there is none.
xercesc::DOMElement* elementWithId(xercesc::DOMElement* root, const std::string& id) {
    static const std::array<platform::xml::XmlString, 4> names = {
        platform::xml::XmlString("id"), platform::xml::XmlString("ID"),
        platform::xml::XmlString("Id"), platform::xml::XmlString("iD")};
    const platform::xml::XmlString wanted(id);
    for (xercesc::DOMNode* node = root; node != nullptr;) {
        if (node->getNodeType() == xercesc::DOMNode::ELEMENT_NODE) {
            auto* element = static_cast<xercesc::DOMElement*>(node);
            for (const platform::xml::XmlString& name : names) {
                if (element->hasAttribute(name) &&
                    xercesc::XMLString::equals(element->getAttribute(name), wanted)) {
                    return element;
                }
            }
        }
        // Next in document order within root.
        if (node->getFirstChild() != nullptr) {
            node = node->getFirstChild();
            continue;
        }
        while (node != root && node->getNextSibling() == nullptr) {
            node = node->getParentNode();
        }
        node = node == root ? nullptr : node->getNextSibling();
    }
    return nullptr;
}

// A symmetric key of the algorithm with fresh random bytes, for the cipher; the bytes stay
// in `bytes` for the EncryptedKey.
std::unique_ptr<XSECCryptoSymmetricKey> newContentKey(const ContentAlgorithm& algorithm,
                                                      std::vector<unsigned char>& bytes) {
    bytes.resize(algorithm.keyLength);
    if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1) {
        throw StreamException("No se pudo generar la clave de cifrado.",
                              module::QN_E_ENCRYPT_SETUP);
    }
    std::unique_ptr<XSECCryptoSymmetricKey> key(
        XSECPlatformUtils::g_cryptoProvider->keySymmetric(algorithm.keyType));
    if (!key) {
        throw StreamException(XmlEncryption::kUnknownAlgorithm, module::QN_E_ENCRYPT_SETUP);
    }
    key->setKey(bytes.data(), static_cast<unsigned int>(bytes.size()));
    return key;
}

stream::ByteBuffer encryptDocument(const unsigned char* content, size_t size,
                                   IQNRecipients* recipients) {
    module::SettingsTable& settings = module::SettingsTable::instance();
    settings.set(module::kXMLEncryption, "FALSE");
    platform::xml::XmlLibraries::require();
    module::logInfo("XMLEncrypt: Init");

    platform::xml::DocumentPtr document = platform::xml::XmlParser::parseOrRaise(
        std::string_view(reinterpret_cast<const char*>(content), size), XmlEncryption::kInputName);
    XSECProvider provider;
    platform::xml::CipherPtr cipher = platform::xml::newCipher(provider, document.get());

    const std::string algorithmName = settings.get(module::kSymmmetricCryptAlgorithm);
    const bool contentOnly = settings.get(module::kXMLEncDoContentOnly) == "TRUE";
    settings.set(module::kXMLEncDoContentOnly, "FALSE");
    const std::string elementId = settings.get(module::kElementToCypher);
    settings.set(module::kElementToCypher, "");

    std::vector<CertificatePtr> certificates = recipientCertificates(recipients);
    warnLeftOut(certificates);
    certificates::IQNCertificate& recipient = *certificates.front();
    // The certificate's base64 form, its lines ended by line feeds alone (a carriage return
    // would be written as a character reference).
    std::string certificateBase64 =
        certificateText(recipient, &certificates::IQNCertificate::toBASE64);
    certificateBase64.erase(std::remove(certificateBase64.begin(), certificateBase64.end(), '\r'),
                            certificateBase64.end());
    std::unique_ptr<XSECCryptoX509> x509(XSECPlatformUtils::g_cryptoProvider->X509());
    x509->loadX509Base64Bin(certificateBase64.data(),
                            static_cast<unsigned int>(certificateBase64.size()));

    const ContentAlgorithm* algorithm = algorithmFor(algorithmName);
    if (algorithm == nullptr) {
        throw StreamException(XmlEncryption::kUnknownAlgorithm, module::QN_E_ENCRYPT_SETUP);
    }
    std::vector<unsigned char> keyBytes;
    struct Cleanse {
        std::vector<unsigned char>& bytes;
        ~Cleanse() { OPENSSL_cleanse(bytes.data(), bytes.size()); }
    } cleanse{keyBytes};
    cipher->setKey(newContentKey(*algorithm, keyBytes).release());

    xercesc::DOMElement* root = document->getDocumentElement();
    if (root == nullptr) {
        throw StreamException(XmlEncryption::kNoRoot, module::QN_E_ENCRYPT_SETUP);
    }
    xercesc::DOMElement* element = root;
    if (!elementId.empty() && elementId != "/") {
        element = elementWithId(root, elementId);
        if (element == nullptr) {
            throw StreamException(XmlEncryption::kNoElement, module::QN_E_ENCRYPT_SETUP);
        }
    }
    // Content only when there is more than one child node to encrypt; an element with one
    // child or none is encrypted whole.
    xercesc::DOMNode* first = element->getFirstChild();
    if (contentOnly && first != nullptr && first->getNextSibling() != nullptr) {
        cipher->encryptElementContent(element, algorithm->method);
    } else {
        cipher->encryptElement(element, algorithm->method);
    }

    std::unique_ptr<XSECCryptoKey> publicKey(x509->clonePublicKey());
    if (!publicKey || (publicKey->getKeyType() != XSECCryptoKey::KEY_RSA_PUBLIC &&
                       publicKey->getKeyType() != XSECCryptoKey::KEY_RSA_PAIR)) {
        throw StreamException(XmlEncryption::kUnknownKey, module::QN_E_ENCRYPT_SETUP);
    }
    cipher->setKEK(publicKey.release());
    std::unique_ptr<XENCEncryptedKey> encryptedKey(
        cipher->encryptKey(keyBytes.data(), static_cast<unsigned int>(keyBytes.size()),
                           DSIGConstants::s_unicodeStrURIRSA_1_5));
    DSIGKeyInfoX509* x509Data = encryptedKey->appendX509Data();
    const std::string issuer =
        certificateText(recipient, &certificates::IQNCertificate::getIssuerName);
    const std::string serial =
        decimalSerial(certificateText(recipient, &certificates::IQNCertificate::getSerialNumber));
    x509Data->setX509IssuerSerial(platform::xml::XmlString(issuer),
                                  platform::xml::XmlString(serial));
    x509Data->appendX509Certificate(platform::xml::XmlString(certificateBase64));
    cipher->getEncryptedData()->appendEncryptedKey(encryptedKey.release());

    const std::string encoding = platform::xml::toUtf8(document->getInputEncoding());
    std::string serialized = platform::xml::XmlSerializer::serialize(*document, encoding);
    return stream::ByteBuffer(serialized);
}

[[noreturn]] void raiseSetup(const std::string& message) {
    throw StreamException(message, module::QN_E_ENCRYPT_SETUP);
}

} // namespace

stream::ByteBuffer XmlEncryption::encrypt(const unsigned char* content, size_t size,
                                          IQNRecipients* recipients) {
    try {
        return encryptDocument(content, size, recipients);
    } catch (const StreamException& e) {
        module::logError(e.message() + " " + std::to_string(e.code()));
        raiseSetup(e.message());
    } catch (const XSECException& e) {
        raiseSetup("XSECException " + platform::xml::toUtf8(e.getMsg()));
    } catch (const XSECCryptoException& e) {
        std::string message = e.getMsg() != nullptr ? e.getMsg() : "";
        module::logError("XSECCryptoException: " + message);
        raiseSetup(message);
    } catch (const xercesc::XMLException&) {
        module::logError("Error XML");
        raiseSetup("Error XML");
    } catch (const xercesc::SAXParseException&) {
        // The parser's refusal of a document that is not well-formed XML.
        module::logError("Error XML");
        raiseSetup("Error XML");
    } catch (const xercesc::DOMException& e) {
        std::string message = "DOMException: " + platform::xml::toUtf8(e.getMessage());
        module::logError(message);
        raiseSetup(message);
    } catch (const std::exception& e) {
        module::logError(std::string("Error: ") + e.what());
        raiseSetup(e.what());
    } catch (...) {
        module::logError("CQNEnvelopedData_Internal_PKCS7::XMLEncrypt: Error desconocido.");
        raiseSetup("Error desconocido.");
    }
}

} // namespace component::envelopes
