#include "component/signing/XadesProperties.h"

#include <cstdio>
#include <stdexcept>

#include <xsec/dsig/DSIGConstants.hpp>
#include <xsec/dsig/DSIGObject.hpp>
#include <xsec/dsig/DSIGReference.hpp>
#include <xsec/dsig/DSIGSignature.hpp>

#include "component/content/XadesVersion.h"
#include "component/module/ErrorCodes.h"
#include "component/module/ModuleLog.h"
#include "component/module/SettingNames.h"
#include "component/module/SettingsTable.h"
#include "component/signing/CertificateIdentity.h"
#include "component/signing/ExternalReferenceDigest.h"
#include "component/signing/NamespacedImport.h"
#include "component/signing/XadesNames.h"
#include "component/signing/XmlElementBuilder.h"
#include "component/signing/XmlTarget.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlText.h"
#include "stream/Base64.h"
#include "stream/exceptions/StreamException.h"

namespace component::signing {

namespace {

namespace dsig = platform::xml::dsig;
using xercesc::DOMElement;
using B = XmlElementBuilder;

constexpr char kPolicyImplied[] = "PolicyImplied";

// Appends elements of the block: XAdES ones with the chosen prefix, XML-DSig ones with "ds".
class Block {
public:
    Block(std::string ns, std::string prefix) : ns_(std::move(ns)), prefix_(std::move(prefix)) {}

    DOMElement* x(DOMElement& parent, const char* name) const {
        return B::append(parent, ns_, prefix_, name);
    }
    static DOMElement* d(DOMElement& parent, const char* name) {
        return B::append(parent, dsig::kNamespace, "ds", name);
    }
    static DOMElement* text(DOMElement* element, const std::string& value) {
        B::appendText(*element, value);
        return element;
    }
    // DigestMethod (SHA-1) and DigestValue.
    static void digest(DOMElement& parent, const std::vector<unsigned char>& value) {
        B::setAttribute(*d(parent, "DigestMethod"), "Algorithm", dsig::kSha1);
        text(d(parent, "DigestValue"),
             stream::Base64::encodeLines(value.data(), value.size(), "\r\n"));
    }

private:
    std::string ns_;
    std::string prefix_;
};

std::vector<unsigned char> certificateDigest(const platform::crypt::Certificate& certificate) {
    try {
        return certificate.sha1Hash();
    } catch (const std::exception&) {
        throw std::runtime_error("No se pudo hacer el hash del certificado");
    }
}

void appendPolicy(const Block& block, DOMElement& signedSignature, const std::string& policy) {
    if (policy.empty()) {
        return;
    }
    DOMElement* identifier = block.x(signedSignature, "SignaturePolicyIdentifier");
    if (policy == kPolicyImplied) {
        block.x(*identifier, "SignaturePolicyImplied");
        return;
    }
    const bool xml = isXmlTarget(policy);
    std::vector<unsigned char> digest = externalReferenceDigest(policy, xml);
    DOMElement* policyId = block.x(*identifier, "SignaturePolicyId");
    Block::text(block.x(*block.x(*policyId, "SigPolicyId"), "Identifier"), policy);
    if (xml) {
        B::setAttribute(*Block::d(*Block::d(*policyId, "Transforms"), "Transform"), "Algorithm",
                        dsig::kC14n);
    }
    Block::digest(*block.x(*policyId, "SigPolicyHash"), digest);
}

void appendSignerRole(const Block& block, DOMElement& signedSignature, const std::string& role) {
    module::logError("Valor de signer Role: " + role);
    if (role.empty()) {
        return;
    }
    module::logError("Entro en signerRoleValue != vacio, creare el nodo y lo añado al claimedRole");
    Block::text(
        block.x(*block.x(*block.x(signedSignature, "SignerRole"), "ClaimedRoles"), "ClaimedRole"),
        role);
}

void appendDataObjectFormat(const Block& block, DOMElement& signedProperties,
                            const std::string& format) {
    if (format.empty()) {
        return;
    }
    try {
        platform::xml::DocumentPtr parsed = platform::xml::XmlParser::parseOrRaise(
            format, platform::xml::kSignerInput, platform::xml::XmlParser::Namespaces::Off);
        DOMElement* holder = block.x(signedProperties, "SignedDataObjectProperties");
        importWithNamespaces(*parsed->getDocumentElement(), *holder);
    } catch (...) {
        throw stream::exceptions::StreamException(
            "Se ha producido un error al crear el objeto SignedDataObjectProperties",
            module::QN_E_OPERATION);
    }
}

} // namespace

std::string XadesProperties::utcTime(std::time_t when) {
    std::tm utc{};
    gmtime_r(&when, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%ld-%02d-%02dT%02d:%02d:%02dZ",
                  static_cast<long>(utc.tm_year) + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour,
                  utc.tm_min, utc.tm_sec);
    return text;
}

void XadesProperties::append(DSIGSignature& signature,
                             const platform::crypt::Certificate& certificate,
                             const Request& request) {
    const module::SettingsTable& settings = module::SettingsTable::instance();
    const std::string version = content::XadesVersion::get();
    const std::string& id = request.signatureId;
    Block block(xades::namespaceOf(version), request.prefix.empty() ? "xades" : request.prefix);

    DSIGObject* object = signature.appendObject();
    auto& holder = *const_cast<DOMElement*>(object->getElement());
    DOMElement* qualifying = block.x(holder, "QualifyingProperties");
    B::setAttribute(*qualifying, "Target", "#" + id);
    DOMElement* signedProperties = block.x(*qualifying, "SignedProperties");
    B::setAttribute(*signedProperties, "Id", id + "-SignedProperties");
    DOMElement* signedSignature = block.x(*signedProperties, "SignedSignatureProperties");

    if (request.signingTime) {
        std::string time = settings.get(module::kSigningTime);
        Block::text(block.x(*signedSignature, "SigningTime"),
                    time.empty() ? utcTime(request.now) : time);
    }

    DOMElement* cert = block.x(*block.x(*signedSignature, "SigningCertificate"), "Cert");
    Block::digest(*block.x(*cert, "CertDigest"), certificateDigest(certificate));
    DOMElement* issuerSerial = block.x(*cert, "IssuerSerial");
    CertificateIdentity identity = CertificateIdentity::of(certificate);
    Block::text(Block::d(*issuerSerial, "X509IssuerName"), identity.issuerName);
    Block::text(Block::d(*issuerSerial, "X509SerialNumber"), identity.serialNumber);

    appendPolicy(block, *signedSignature, settings.get(module::kSignaturePolicyId));
    appendSignerRole(block, *signedSignature, settings.get(module::kSignerRole));
    appendDataObjectFormat(block, *signedProperties, settings.get(module::kXadesDataObjectFormat));

    DOMElement* unsignedProperties = block.x(*qualifying, "UnsignedProperties");
    B::setAttribute(*unsignedProperties, "Id", id + "-UnsignedProperties");
    block.x(*unsignedProperties, "UnsignedSignatureProperties");

    DSIGReference* reference =
        signature.createReference(platform::xml::XmlString("#" + id + "-SignedProperties"),
                                  DSIGConstants::s_unicodeStrURISHA1,
                                  platform::xml::XmlString(xades::signedPropertiesType(version)));
    reference->appendCanonicalizationTransform(DSIGConstants::s_unicodeStrURIC14N_NOC);
}

} // namespace component::signing
