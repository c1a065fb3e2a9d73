#include "XmlSignFixture.h"

#include "StoreCertificate.h"

#include <cstdlib>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "component/content/QNContent.h"
#include "component/content/XadesVersion.h"
#include "component/signing/CQNSignData_Internal_XMLDSig.h"
#include "component/signing/QNSignData.h"
#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlText.h"

namespace certificates = component::certificates;
namespace content = component::content;
namespace signing = component::signing;

void XmlSignTest::SetUp() {
    settings().clear();
    set("HashAlgorithm", "1.3.14.3.2.26");
    unsetenv("QUILLION_UI_ANSWERS");
    content::XadesVersion::set("1.2.2");
    signer = certificate(pki().signer);
    ASSERT_TRUE(signer);
}

void XmlSignTest::TearDown() {
    settings().clear();
    unsetenv("QUILLION_UI_ANSWERS");
    content::XadesVersion::set("1.2.2");
}

const signingtest::Pki& XmlSignTest::pki() {
    static const signingtest::Pki shared;
    return shared;
}

com::ComPtr<certificates::QNCertificate> XmlSignTest::certificate(const testpki::Issued& who,
                                                                  const std::string& password) {
    return signingtest::storeCertificate(who, true, password);
}

XmlSignTest::Result XmlSignTest::sign(const std::string& text, bool detached, bool timeStamp,
                                      certificates::QNCertificate* who) {
    com::ComPtr<signing::QNSignData> s = signing::QNSignData::create();
    s->setInternal(std::make_unique<signing::CQNSignData_Internal_XMLDSig>());
    s->put_timeStamp(timeStamp ? 1 : 0);
    com::ComPtr<content::QNContent> data = content::QNContent::create();
    data->content().replace(text);
    IDispatch* out = nullptr;
    HRESULT hr = s->sign(static_cast<content::IQNContent*>(data.get()),
                         static_cast<certificates::IQNCertificate*>(who ? who : signer.get()),
                         detached ? 1 : 0, &out);
    return resultOf(hr, out);
}

XmlSignTest::Result XmlSignTest::resultOf(HRESULT hr, IDispatch* out) {
    Result result;
    result.hr = hr;
    if (out != nullptr) {
        com::ComPtr<IDispatch> owned = com::ComPtr<IDispatch>::attach(out);
        content::QNContent* qn = content::QNContent::from(out);
        result.bytes.assign(reinterpret_cast<const char*>(qn->content().data()),
                            qn->content().size());
    } else {
        result.description = signingtest::errorDescription();
    }
    return result;
}

std::string XmlSignTest::signOk(const std::string& text, bool detached, bool timeStamp) {
    Result result = sign(text, detached, timeStamp);
    EXPECT_EQ(result.hr, S_OK) << result.description;
    return result.bytes;
}

bool XmlSignTest::xmlsecVerify(const std::string& document, std::string* output,
                               const std::string& extraOptions, bool trustRoot) {
    std::string file = path("signed" + std::to_string(++counter_) + ".xml");
    testpki::writeFile(file, document);
    std::string key;
    if (trustRoot) {
        testpki::writeFile(path("root.pem"), pki().root.certificate->pem());
        key = "--trusted-pem " + path("root.pem");
    } else {
        testpki::writeFile(path("signer.pem"), pki().signer.certificate->pem());
        key = "--pubkey-cert-pem " + path("signer.pem");
    }
    std::string text;
    int status = testpki::run("xmlsec1 --verify " + key + " " + extraOptions + " " + file, &text);
    if (output != nullptr) {
        *output = text;
    }
    return status == 0;
}

std::string XmlSignTest::xadesIds() {
    return "--id-attr:Id http://uri.etsi.org/01903/v1.2.2#:SignedProperties "
           "--id-attr:Id http://uri.etsi.org/01903/v1.3.2#:SignedProperties "
           "--id-attr:Id SignatureProperty";
}

platform::xml::DocumentPtr parseXml(const std::string& text) {
    return platform::xml::XmlParser::parseOrRaise(text, platform::xml::kSignerInput);
}

std::vector<const xercesc::DOMElement*> elementsNamed(const xercesc::DOMNode& root,
                                                      const std::string& localName) {
    std::vector<const xercesc::DOMElement*> found;
    std::vector<const xercesc::DOMNode*> pending{&root};
    // Depth-first, in document order.
    while (!pending.empty()) {
        const xercesc::DOMNode* node = pending.back();
        pending.pop_back();
        if (node->getNodeType() == xercesc::DOMNode::ELEMENT_NODE &&
            platform::xml::toUtf8(node->getLocalName()) == localName) {
            found.push_back(static_cast<const xercesc::DOMElement*>(node));
        }
        std::vector<const xercesc::DOMNode*> children;
        for (const xercesc::DOMNode* c = node->getFirstChild(); c != nullptr;
             c = c->getNextSibling()) {
            children.push_back(c);
        }
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return found;
}

std::vector<std::string> idsOf(const xercesc::DOMDocument& document, const std::string& localName) {
    std::vector<std::string> ids;
    for (const xercesc::DOMElement* element : elementsNamed(document, localName)) {
        ids.push_back(platform::xml::toUtf8(element->getAttribute(u"Id")));
    }
    return ids;
}
