#include "component/signing/XmlReferenceDigests.h"

#include "component/module/ErrorCodes.h"
#include "component/signing/ExternalReferenceDigest.h"
#include "component/signing/XmlElementBuilder.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/ReferenceDigester.h"
#include "platform/xml/XmlDsigNames.h"
#include "stream/Base64.h"
#include "stream/exceptions/StreamException.h"

namespace component::signing {

namespace dsig = platform::xml::dsig;
using platform::xml::attributeText;

namespace {

[[noreturn]] void unsupported(const std::string& uri, const std::string& what) {
    throw stream::exceptions::StreamException(
        "The reference to \"" + uri + "\" cannot be digested: " + what, module::QN_E_OPERATION);
}

} // namespace

std::vector<unsigned char> XmlReferenceDigests::digest(xercesc::DOMElement& reference) {
    if (platform::xml::ReferenceDigester::handles(reference)) {
        return platform::xml::ReferenceDigester::digest(reference);
    }
    std::string uri = attributeText(reference, "URI");
    const xercesc::DOMElement* method =
        platform::xml::firstChildElement(reference, dsig::kNamespace, "DigestMethod");
    if (method == nullptr || attributeText(*method, "Algorithm") != dsig::kSha1) {
        unsupported(uri, "its digest method is not SHA-1");
    }
    bool canonical = false;
    if (const xercesc::DOMElement* transforms =
            platform::xml::firstChildElement(reference, dsig::kNamespace, "Transforms")) {
        auto list = platform::xml::childElements(*transforms, dsig::kNamespace, "Transform");
        if (list.size() > 1 || (list.size() == 1 &&
                                attributeText(*list[0], "Algorithm") != std::string(dsig::kC14n))) {
            unsupported(uri, "only a Canonical XML 1.0 transform is applied to such references");
        }
        canonical = list.size() == 1;
    }
    if (uri.empty() || uri.starts_with("#")) {
        unsupported(uri, "the same-document reference is not one this system resolves");
    }
    return externalReferenceDigest(uri, canonical);
}

void XmlReferenceDigests::setDigestValue(xercesc::DOMElement& reference,
                                         const std::vector<unsigned char>& digest) {
    auto* value = const_cast<xercesc::DOMElement*>(
        platform::xml::firstChildElement(reference, dsig::kNamespace, "DigestValue"));
    if (value == nullptr) {
        throw stream::exceptions::StreamException("The reference has no DigestValue",
                                                  module::QN_E_OPERATION);
    }
    XmlElementBuilder::setText(
        *value, stream::Base64::encode(
                    std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size())));
}

void XmlReferenceDigests::digestAll(xercesc::DOMElement& signedInfo,
                                    const std::unordered_set<const xercesc::DOMElement*>& done) {
    for (const xercesc::DOMElement* found :
         platform::xml::childElements(signedInfo, dsig::kNamespace, "Reference")) {
        if (done.count(found) != 0) {
            continue;
        }
        auto& reference = const_cast<xercesc::DOMElement&>(*found);
        setDigestValue(reference, digest(reference));
    }
}

} // namespace component::signing
