#include "component/signing/SignFromHashReference.h"

#include <charconv>
#include <string>

#include <xsec/dsig/DSIGConstants.hpp>
#include <xsec/dsig/DSIGReference.hpp>
#include <xsec/dsig/DSIGSignature.hpp>

#include "component/module/ErrorCodes.h"
#include "component/module/SettingNames.h"
#include "component/module/SettingsTable.h"
#include "component/signing/XmlElementBuilder.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlText.h"
#include "stream/RawCodecs.h"
#include "stream/exceptions/StreamException.h"

namespace component::signing {

namespace {

namespace dsig = platform::xml::dsig;
using stream::exceptions::StreamException;
using xercesc::DOMElement;

unsigned transformCount(const std::string& text) {
    if (text.empty()) {
        return 0;
    }
    unsigned count = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error != std::errc() || end != text.data() + text.size() ||
        count > SignFromHashReference::kMaxTransforms) {
        throw StreamException("El valor de NumberTransforms no es válido: " + text,
                              module::QN_E_XMLDSIG);
    }
    return count;
}

void checkDigest(const std::string& hashData) {
    std::optional<std::string> bytes = stream::base64DecodeRaw(hashData);
    if (!bytes || bytes->size() != 20) {
        throw StreamException("El valor de HashData no es un resumen SHA-1 en Base64: " + hashData,
                              module::QN_E_XMLDSIG);
    }
}

} // namespace

DOMElement* SignFromHashReference::append(DSIGSignature& signature, DOMElement& signatureElement) {
    const module::SettingsTable& settings = module::SettingsTable::instance();
    const std::string hashData = settings.get(module::kHashData);
    checkDigest(hashData);
    const unsigned transforms = transformCount(settings.get(module::kNumberTransforms));

    DSIGReference* created =
        signature.createReference(platform::xml::XmlString(settings.get(module::kURIReference)),
                                  DSIGConstants::s_unicodeStrURISHA1);
    const std::string id = settings.get(module::kIdReference);
    if (!id.empty()) {
        created->setId(platform::xml::XmlString(id));
    }
    const DOMElement* signedInfo =
        platform::xml::firstChildElement(signatureElement, dsig::kNamespace, "SignedInfo");
    auto references = platform::xml::childElements(*signedInfo, dsig::kNamespace, "Reference");
    auto* reference = const_cast<DOMElement*>(references.back());

    auto* digestValue = const_cast<DOMElement*>(
        platform::xml::firstChildElement(*reference, dsig::kNamespace, "DigestValue"));
    XmlElementBuilder::setText(*digestValue, hashData);

    if (transforms == 0) {
        return reference;
    }
    const std::string prefix = platform::xml::toUtf8(signature.getDSIGNSPrefix());
    auto* method = const_cast<DOMElement*>(
        platform::xml::firstChildElement(*reference, dsig::kNamespace, "DigestMethod"));
    DOMElement* list =
        XmlElementBuilder::append(*reference, dsig::kNamespace, prefix, "Transforms", method);
    for (unsigned i = 0; i < transforms; ++i) {
        const std::string index = std::to_string(i);
        DOMElement* transform =
            XmlElementBuilder::append(*list, dsig::kNamespace, prefix, "Transform");
        XmlElementBuilder::setAttribute(*transform, "Algorithm",
                                        settings.get(module::kTransformsNames + index));
        const std::string params = settings.get(module::kTransformsParams + index);
        if (!params.empty()) {
            platform::xml::DocumentPtr parsed =
                platform::xml::XmlParser::parseOrRaise(params, platform::xml::kSignerInput);
            transform->appendChild(
                transform->getOwnerDocument()->importNode(parsed->getDocumentElement(), true));
        }
    }
    return reference;
}

} // namespace component::signing
