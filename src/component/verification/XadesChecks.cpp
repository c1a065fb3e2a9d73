#include "component/verification/XadesChecks.h"

#include <optional>

#include <xercesc/dom/DOMElement.hpp>

#include "component/module/ModuleLog.h"
#include "component/module/SettingNames.h"
#include "component/module/SettingsTable.h"
#include "component/verification/XadesPolicyDigest.h"
#include "component/verification/XmlFailureText.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlFailure.h"
#include "platform/xml/XmlSerializer.h"
#include "stream/HexBin.h"
#include "stream/RawCodecs.h"

namespace component::verification {

namespace {

namespace dsig = platform::xml::dsig;
using platform::xml::attributeText;
using platform::xml::descendantElements;
using platform::xml::textOf;
using Element = xercesc::DOMElement;

// The hexadecimal text written in decimal; nothing when it is not hexadecimal.
std::optional<std::string> hexInDecimal(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return std::nullopt;
    }
    std::string bytes = stream::HexBin::decode(text.size() % 2 == 0 ? text : "0" + text);
    return stream::bytesToDecimal(reinterpret_cast<const unsigned char*>(bytes.data()),
                                  bytes.size());
}

// The first element of that name below `root`; raises when there is none.
const Element& required(const xercesc::DOMNode& root, const std::string& namespaceUri,
                        const char* localName) {
    std::vector<const Element*> found = descendantElements(root, namespaceUri, localName);
    if (found.empty()) {
        platform::xml::raiseXmlFailure(std::string("The XAdES check needs a ") + localName +
                                       " element");
    }
    return *found.front();
}

// The signature whose Id (or id when Id is empty) is the target without its "#"; the last
// one wins.
const Element& targetSignature(const xercesc::DOMDocument& document, std::string target) {
    if (!target.empty() && target.front() == '#') {
        target.erase(0, 1);
    }
    const Element* chosen = nullptr;
    for (const Element* signature : descendantElements(document, dsig::kNamespace, "Signature")) {
        std::string id = attributeText(*signature, "Id");
        if (id.empty()) {
            id = attributeText(*signature, "id");
        }
        if (id == target) {
            chosen = signature;
        }
    }
    if (chosen == nullptr) {
        platform::xml::raiseXmlFailure("The XAdES properties target no signature of the document");
    }
    return *chosen;
}

// The recorded certificate digest of the signature whose serial number is `serial`, as text
// or written in decimal; the last one counts, "" when none.
std::string recordedDigest(const std::map<size_t, XadesSignerRecord>& records,
                           const std::string& serial) {
    std::string digest;
    for (const auto& [index, record] : records) {
        if (record.serialNumber == serial || hexInDecimal(record.serialNumber) == serial) {
            digest = record.certificateDigest;
        }
    }
    return digest;
}

com::ComPtr<QNVerifyStatus> failedStatus(const char* description, int level) {
    com::ComPtr<QNVerifyStatus> status = QNVerifyStatus::create();
    status->setError(-1, description);
    status->setLevel(level);
    return status;
}

// Whether the signing certificate the properties name is the signature's own. The elements
// are read whatever the result so far; they are compared only while it is not 0.
bool certificateMatches(const XadesChecks::Input& input, const Element& properties, int result) {
    const Element& signature =
        targetSignature(*input.document, attributeText(properties, "Target"));
    std::string q = textOf(required(signature, dsig::kNamespace, "X509SerialNumber"));
    std::string j = recordedDigest(input.records, q);
    std::string k = textOf(required(properties, dsig::kNamespace, "X509SerialNumber"));
    if (k.empty() || result == 0) {
        return true;
    }
    bool sameSerial = q == k || hexInDecimal(q) == k;
    std::string s = textOf(required(properties, dsig::kNamespace, "DigestValue"));
    return sameSerial && s == j;
}

// Whether the policy's digest (when the properties name a policy) is the policy document's.
bool policyMatches(const XadesChecks::Input& input, const Element& properties) {
    std::vector<const Element*> policies =
        descendantElements(properties, input.xadesNamespace, "SignaturePolicyIdentifier");
    if (policies.empty()) {
        return true;
    }
    const Element& policy = *policies.front();
    std::string uri = textOf(required(policy, input.xadesNamespace, "Identifier"));
    std::string expected = textOf(required(policy, dsig::kNamespace, "DigestValue"));
    std::vector<const Element*> transforms =
        descendantElements(policy, dsig::kNamespace, "Transform");
    bool canonical =
        !transforms.empty() && attributeText(*transforms.front(), "Algorithm") == dsig::kC14n;
    // A policy document that cannot be fetched fails the check, as a wrong one does.
    try {
        return xadesPolicyDigest(uri, canonical) == expected;
    } catch (...) {
        module::logError("XAdES: " + currentFailureText());
        return false;
    }
}

} // namespace

void XadesChecks::run(const Input& input, int& result) {
    std::vector<com::ComPtr<QNVerifyStatus>>& statuses = *input.statuses;
    std::vector<const Element*> all =
        descendantElements(*input.document, input.xadesNamespace, "QualifyingProperties");
    for (size_t k = 0; k < all.size(); ++k) {
        const Element& properties = *all[k];
        if (!certificateMatches(input, properties, result)) {
            result = 0;
            statuses.push_back(failedStatus(kCertificateMismatch, input.level));
            continue;
        }
        if (!policyMatches(input, properties)) {
            result = 0;
            size_t index = input.firstStatus + k;
            if (index < statuses.size()) {
                statuses[index]->setError(-1, kPolicyMismatch);
            } else {
                statuses.push_back(failedStatus(kPolicyMismatch, input.level));
            }
            continue;
        }
        std::vector<const Element*> signedProperties =
            descendantElements(*input.document, input.xadesNamespace, "SignedProperties");
        if (!signedProperties.empty()) {
            platform::xml::XmlSerializer writer(input.encoding);
            writer.write(*signedProperties.front());
            module::SettingsTable::instance().set(module::kXadesSignedContent, writer.take());
        }
    }
}

} // namespace component::verification
