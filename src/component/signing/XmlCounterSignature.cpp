#include "component/signing/XmlCounterSignature.h"

#include <vector>

#include "component/content/XadesVersion.h"
#include "component/module/ErrorCodes.h"
#include "component/module/SettingNames.h"
#include "component/module/SettingsRollback.h"
#include "component/signing/LeafSignatureSearch.h"
#include "component/signing/XadesNames.h"
#include "component/signing/XmlElementBuilder.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XPathSelection.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlSerializer.h"
#include "stream/exceptions/StreamException.h"

namespace component::signing {

namespace {

namespace dsig = platform::xml::dsig;
namespace xml = platform::xml;
using stream::exceptions::StreamException;
using xercesc::DOMElement;

[[noreturn]] void refuse(const std::string& signatureId, const std::string& reason) {
    throw StreamException("No se puede contrafirmar la firma " +
                              (signatureId.empty() ? std::string("sin Id") : signatureId) + ": " +
                              reason,
                          module::QN_E_OPERATION);
}

// The leaf's ds:Object/xades:QualifyingProperties/xades:UnsignedProperties/
// xades:UnsignedSignatureProperties, or null.
DOMElement* unsignedSignatureProperties(const DOMElement& signature, const std::string& xadesNs) {
    for (const DOMElement* object : xml::childElements(signature, dsig::kNamespace, "Object")) {
        for (const DOMElement* qualifying :
             xml::childElements(*object, xadesNs, "QualifyingProperties")) {
            for (const DOMElement* unsignedProperties :
                 xml::childElements(*qualifying, xadesNs, "UnsignedProperties")) {
                if (const DOMElement* found = xml::firstChildElement(
                        *unsignedProperties, xadesNs, "UnsignedSignatureProperties")) {
                    return const_cast<DOMElement*>(found);
                }
            }
        }
    }
    return nullptr;
}

// Checks the leaf and gives it a CounterSignature element where it has none; returns it.
DOMElement* prepare(const LeafSignature& leaf, const XmlSignSettings& settings,
                    const std::string& xadesNs) {
    if (leaf.id.empty()) {
        refuse(leaf.id, "la firma no tiene Id");
    }
    const DOMElement* value =
        xml::firstChildElement(*leaf.element, dsig::kNamespace, "SignatureValue");
    const std::string valueId = leaf.id + "-SignatureValue1";
    if (value == nullptr || xml::attributeText(*value, "Id") != valueId) {
        refuse(leaf.id, "su SignatureValue no tiene el Id " + valueId);
    }
    DOMElement* properties = unsignedSignatureProperties(*leaf.element, xadesNs);
    if (properties == nullptr) {
        refuse(leaf.id, "la firma no tiene el elemento UnsignedSignatureProperties");
    }
    if (const DOMElement* existing =
            xml::firstChildElement(*properties, xadesNs, "CounterSignature")) {
        return const_cast<DOMElement*>(existing);
    }
    return XmlElementBuilder::append(*properties, xadesNs, settings.xadesPrefix(),
                                     "CounterSignature");
}

std::string_view view(const stream::ByteBuffer& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace

std::string XmlCounterSignature::parentExpression(const std::string& signatureId) {
    return "((//ds:Signature)[@Id=\"" + signatureId +
           "\"]/ds:Object/xades:QualifyingProperties/xades:UnsignedProperties/"
           "xades:UnsignedSignatureProperties/xades:CounterSignature)";
}

stream::ByteBuffer XmlCounterSignature::sign(const std::string& content,
                                             const XmlSignSettings& settings,
                                             const SignOne& signOne) {
    xml::DocumentPtr document = xml::XmlParser::parseOrRaise(content, xml::kSignerInput);
    const std::vector<LeafSignature> leaves = findLeafSignatures(*document);
    if (leaves.empty()) {
        return signOne(content, settings);
    }

    // Everything that can be checked before signing, so that a refused leaf leaves nothing
    // written.
    const std::string xadesNs = xades::namespaceOf(content::XadesVersion::get());
    std::vector<std::string> ids;
    for (const LeafSignature& leaf : leaves) {
        DOMElement* counterSignature = prepare(leaf, settings, xadesNs);
        const std::string expression = parentExpression(leaf.id);
        std::vector<DOMElement*> selected = xml::XPathSelection::elements(*document, expression);
        if (selected.empty() || selected.front() != counterSignature) {
            refuse(leaf.id,
                   "la expresión " + expression + " no selecciona su elemento CounterSignature");
        }
        ids.push_back(leaf.id);
    }

    module::SettingsRollback written;
    std::string current = xml::XmlSerializer::serialize(*document, settings.encoding);
    document.reset();
    stream::ByteBuffer result;
    for (size_t i = 0; i < ids.size(); ++i) {
        written.set(module::kParentElement, parentExpression(ids[i]));
        written.set(module::kElementToSign, "#" + ids[i] + "-SignatureValue1");
        written.set(module::kEnvelopeType, "ENVELOPED");
        result = signOne(current, XmlSignSettings::read());
        if (i + 1 < ids.size()) {
            // The next counter-signature is made on this document as it reads back, in the
            // output encoding.
            xml::DocumentPtr next = xml::XmlParser::parseOrRaise(view(result), xml::kSignerInput);
            current = xml::XmlSerializer::serialize(*next, settings.encoding);
        }
    }
    written.keep();
    return result;
}

} // namespace component::signing
