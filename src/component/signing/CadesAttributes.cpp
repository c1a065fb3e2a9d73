#include "component/signing/CadesAttributes.h"

#include <stdexcept>

#include <openssl/objects.h>

#include "component/module/ModuleLog.h"
#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/DerWriter.h"
#include "stream/System.h"
#include "stream/exceptions/StreamException.h"

namespace component::signing {

namespace {

using platform::crypt::Bytes;
namespace der = platform::crypt::der;

constexpr const char* kSigningCertificate = "1.2.840.113549.1.9.16.2.12";
constexpr const char* kSignaturePolicy = "1.2.840.113549.1.9.16.2.15";
constexpr const char* kEmailAddress = "1.2.840.113549.1.9.1";

// [0] { SEQUENCE { sha1, NULL }, OCTET STRING {} }, as every signature policy value carries it.
constexpr unsigned char kPolicyHashPlaceholder[] = {0xA0, 0x0D, 0x30, 0x09, 0x06, 0x05, 0x2B, 0x0E,
                                                    0x03, 0x02, 0x1A, 0x05, 0x00, 0x04, 0x00};

std::string lastErrorText() {
    return std::to_string(stream::System::lastError());
}

} // namespace

Bytes CadesAttributes::rebuiltIssuer(const platform::crypt::Certificate& cert) {
    const X509_NAME* issuer = X509_get_issuer_name(cert.x509());
    if (issuer == nullptr) {
        platform::crypt::raiseCrypt(__FILE__, __LINE__,
                                    platform::crypt::errors::CRYPT_E_ASN1_CORRUPT);
    }
    Bytes rdns;
    for (int i = 0; i < X509_NAME_entry_count(issuer); ++i) {
        const X509_NAME_ENTRY* entry = X509_NAME_get_entry(issuer, i);
        char dotted[128];
        int n = OBJ_obj2txt(dotted, sizeof dotted, X509_NAME_ENTRY_get_object(entry), 1);
        unsigned char* utf8 = nullptr;
        int length = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(entry));
        if (n <= 0 || n >= static_cast<int>(sizeof dotted) || length < 0) {
            OPENSSL_free(utf8);
            ERR_clear_error();
            platform::crypt::raiseCrypt(__FILE__, __LINE__,
                                        platform::crypt::errors::CRYPT_E_ASN1_CORRUPT);
        }
        Bytes type = der::oid(dotted);
        uint8_t tag = std::string(dotted) == kEmailAddress ? 0x16 : 0x0C;
        Bytes value = der::tlv(tag, utf8, static_cast<size_t>(length));
        OPENSSL_free(utf8);
        Bytes typeAndValue = der::sequence({&type, &value});
        Bytes rdn = der::tlv(0x31, typeAndValue);
        rdns.insert(rdns.end(), rdn.begin(), rdn.end());
    }
    return der::tlv(0x30, rdns);
}

Bytes CadesAttributes::signingCertificate(const platform::crypt::Certificate& cert) {
    module::logTrace("IncludeSigningCertificate");
    Bytes hash;
    try {
        hash = cert.sha1Hash();
    } catch (const stream::exceptions::StreamException&) {
        throw std::runtime_error("No se pudo hacer el hash del certificado");
    }
    if (hash.size() != 20) {
        throw std::runtime_error("No se pudo hacer el hash del certificado");
    }
    module::logTrace("Calculando tamaño de atributos");
    Bytes certHash = der::octetString(hash.data(), hash.size());
    Bytes name;
    try {
        name = rebuiltIssuer(cert);
    } catch (const stream::exceptions::StreamException&) {
        module::logError("Error generando IssuerSerial para CADES: " + lastErrorText());
        throw;
    }
    module::logTrace("Construyendo array de atributos");
    Bytes directoryName = der::tlv(0xA4, name);
    Bytes generalNames = der::sequence({&directoryName});
    Bytes serial = platform::crypt::derOf(X509_get0_serialNumber(cert.x509()), i2d_ASN1_INTEGER);
    Bytes issuerSerial = der::sequence({&generalNames, &serial});
    module::logTrace("Construyendo objeto conjunto");
    Bytes essCertId = der::sequence({&certHash, &issuerSerial});
    Bytes certs = der::sequence({&essCertId});
    Bytes signingCertificate = der::sequence({&certs});
    module::logTrace("Construyendo array final de atributos");
    Bytes result = der::attribute(kSigningCertificate, signingCertificate);
    module::logTrace("Array de atributos contruido");
    return result;
}

Bytes CadesAttributes::signaturePolicy(const std::string& policyOid, bool forSign) {
    Bytes oid;
    try {
        oid = der::oid(policyOid);
    } catch (const stream::exceptions::StreamException&) {
        module::logError("Error generando hash CAdES-EPES: " + lastErrorText());
        throw;
    }
    Bytes body = oid;
    if (forSign) {
        body.insert(body.end(), std::begin(kPolicyHashPlaceholder),
                    std::end(kPolicyHashPlaceholder));
    }
    return der::attribute(kSignaturePolicy, der::tlv(0x30, body));
}

} // namespace component::signing
