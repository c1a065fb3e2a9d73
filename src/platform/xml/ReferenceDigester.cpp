#include "platform/xml/ReferenceDigester.h"

#include <optional>
#include <string_view>

#include <xercesc/dom/DOMDocument.hpp>

#include "platform/crypt/Digest.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/EnvelopedSignatureTransform.h"
#include "platform/xml/NodeSetDocument.h"
#include "platform/xml/SameDocumentReference.h"
#include "platform/xml/XPathFilter2Transform.h"
#include "platform/xml/XPathTransform.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlFailure.h"
#include "stream/Base64.h"

namespace platform::xml {

namespace {

enum class Kind { Enveloped, XPath, Filter2, Canonical, Unsupported };

struct TransformStep {
    Kind kind;
    const xercesc::DOMElement* element;
    std::string algorithm;
    NodeSetCanonicalizer::Method method;
};

TransformStep classify(const xercesc::DOMElement& transform) {
    std::string algorithm = attributeText(transform, "Algorithm");
    TransformStep step{Kind::Unsupported, &transform, algorithm, {}};
    if (algorithm == dsig::kEnvelopedSignature) {
        step.kind = Kind::Enveloped;
    } else if (algorithm == dsig::kXPath) {
        step.kind = Kind::XPath;
    } else if (algorithm == dsig::kXPathFilter2) {
        step.kind = Kind::Filter2;
    } else if (algorithm == dsig::kC14n || algorithm == dsig::kC14nWithComments) {
        step.kind = Kind::Canonical;
        step.method.comments = algorithm == dsig::kC14nWithComments;
    } else if (algorithm == dsig::kExclusiveC14n || algorithm == dsig::kExclusiveC14nWithComments) {
        step.kind = Kind::Canonical;
        step.method.exclusive = true;
        step.method.comments = algorithm == dsig::kExclusiveC14nWithComments;
        if (const xercesc::DOMElement* inclusive = firstChildElement(
                transform, dsig::kExclusiveC14nNamespace, "InclusiveNamespaces")) {
            step.method.inclusivePrefixes = attributeText(*inclusive, "PrefixList");
        }
    }
    return step;
}

std::vector<TransformStep> transformsOf(const xercesc::DOMElement& reference) {
    std::vector<TransformStep> steps;
    if (const xercesc::DOMElement* transforms =
            firstChildElement(reference, dsig::kNamespace, "Transforms")) {
        for (const xercesc::DOMElement* transform :
             childElements(*transforms, dsig::kNamespace, "Transform")) {
            steps.push_back(classify(*transform));
        }
    }
    return steps;
}

// The reason the digester cannot process these transforms, or nothing.
std::optional<std::string> refusal(const std::vector<TransformStep>& steps) {
    for (size_t i = 0; i < steps.size(); ++i) {
        const TransformStep& step = steps[i];
        if (step.kind == Kind::Unsupported) {
            if (step.algorithm.starts_with("http://www.w3.org/2006/12/xml-c14n11")) {
                return "Canonical XML 1.1 (" + step.algorithm + ") is not supported here";
            }
            return "The transform \"" + step.algorithm + "\" is not supported here";
        }
        if (step.kind == Kind::Canonical && i + 1 != steps.size()) {
            return "Only the last transform of a reference can be a canonicalisation";
        }
    }
    return std::nullopt;
}

std::optional<crypt::HashAlgorithm> digestAlgorithm(const xercesc::DOMElement& reference,
                                                    std::string* name) {
    const xercesc::DOMElement* method =
        firstChildElement(reference, dsig::kNamespace, "DigestMethod");
    std::string algorithm = method != nullptr ? attributeText(*method, "Algorithm") : "";
    if (name != nullptr) {
        *name = algorithm;
    }
    if (algorithm == dsig::kSha1) {
        return crypt::HashAlgorithm::SHA1;
    }
    if (algorithm == dsig::kSha256) {
        return crypt::HashAlgorithm::SHA256;
    }
    return std::nullopt;
}

} // namespace

bool ReferenceDigester::handles(const xercesc::DOMElement& reference) {
    if (!hasName(reference, dsig::kNamespace, "Reference") || !hasAttribute(reference, "URI") ||
        !SameDocumentReference::handles(attributeText(reference, "URI"))) {
        return false;
    }
    return !refusal(transformsOf(reference)).has_value() &&
           digestAlgorithm(reference, nullptr).has_value();
}

void ReferenceDigester::transform(xercesc::DOMElement& reference, const OctetSink& sink) {
    if (!hasAttribute(reference, "URI")) {
        raiseXmlFailure("The reference has no URI");
    }
    std::vector<TransformStep> steps = transformsOf(reference);
    if (std::optional<std::string> reason = refusal(steps)) {
        raiseXmlFailure(*reason);
    }
    NodeSetDocument document(*reference.getOwnerDocument());
    NodeSet set =
        SameDocumentReference::dereference(document.document(), attributeText(reference, "URI"));
    // A node set left at the end is written as Canonical XML 1.0 without comments.
    NodeSetCanonicalizer::Method method;
    for (const TransformStep& step : steps) {
        switch (step.kind) {
        case Kind::Enveloped:
            EnvelopedSignatureTransform::apply(set, *step.element);
            break;
        case Kind::XPath:
            XPathTransform::apply(set, *step.element, document);
            break;
        case Kind::Filter2:
            XPathFilter2Transform::apply(set, *step.element, document);
            break;
        case Kind::Canonical:
            method = step.method;
            break;
        case Kind::Unsupported:
            break;
        }
    }
    NodeSetCanonicalizer::canonicalize(document, set, method, sink);
}

std::string ReferenceDigester::octets(xercesc::DOMElement& reference) {
    std::string out;
    transform(reference, [&out](const unsigned char* bytes, size_t size) {
        out.append(reinterpret_cast<const char*>(bytes), size);
    });
    return out;
}

namespace {

crypt::HashAlgorithm requiredDigestAlgorithm(const xercesc::DOMElement& reference) {
    std::string name;
    std::optional<crypt::HashAlgorithm> algorithm = digestAlgorithm(reference, &name);
    if (!algorithm) {
        raiseXmlFailure("The digest method \"" + name + "\" is not supported here");
    }
    return *algorithm;
}

} // namespace

std::vector<unsigned char> ReferenceDigester::digest(xercesc::DOMElement& reference) {
    crypt::Digest digest(requiredDigestAlgorithm(reference));
    transform(reference,
              [&digest](const unsigned char* bytes, size_t size) { digest.update(bytes, size); });
    return digest.finish();
}

std::vector<unsigned char> ReferenceDigester::digestOf(const xercesc::DOMElement& reference,
                                                       std::string_view octets) {
    crypt::Digest digest(requiredDigestAlgorithm(reference));
    digest.update(octets.data(), octets.size());
    return digest.finish();
}

std::vector<unsigned char> ReferenceDigester::storedDigest(const xercesc::DOMElement& reference) {
    const xercesc::DOMElement* value =
        firstChildElement(reference, dsig::kNamespace, "DigestValue");
    if (value == nullptr) {
        raiseXmlFailure("The reference has no DigestValue");
    }
    std::string bytes = stream::Base64::decode(textOf(*value));
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

bool ReferenceDigester::matches(xercesc::DOMElement& reference) {
    return digest(reference) == storedDigest(reference);
}

} // namespace platform::xml
