#include "CoSignFixture.h"

#include <cstdlib>

#include "com/ComPtr.h"
#include "component/content/QNContent.h"
#include "component/signing/CQNSignData_Internal_XMLDSig.h"
#include "component/signing/QNSignData.h"
#include "component/verification/CQNVerifier_Internal_XMLDSig.h"
#include "component/verification/QNVerifier.h"
#include "component/verification/QNVerifyStatus.h"
#include "platform/stores/FolderStore.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"

namespace certificates = component::certificates;
namespace content = component::content;
namespace signing = component::signing;
namespace verification = component::verification;

void CoSignTest::SetUp() {
    XmlSignTest::SetUp();
    platform::stores::FolderStore::open(platform::stores::StoreLocation::CurrentUser, "ROOT", false)
        ->add(pki().root.certificate, nullptr, "");
}

XmlSignTest::Result CoSignTest::cosign(const std::string& signedDocument, bool detached,
                                       bool timeStamp, certificates::QNCertificate* who) {
    com::ComPtr<signing::QNSignData> s = signing::QNSignData::create();
    s->setInternal(std::make_unique<signing::CQNSignData_Internal_XMLDSig>());
    s->put_timeStamp(timeStamp ? 1 : 0);
    com::ComPtr<content::QNContent> data = content::QNContent::create();
    data->content().replace(signedDocument);
    IDispatch* out = nullptr;
    HRESULT hr = s->cosign(static_cast<content::IQNContent*>(data.get()), nullptr,
                           static_cast<certificates::IQNCertificate*>(who ? who : signer.get()),
                           detached ? 1 : 0, &out);
    return resultOf(hr, out);
}

std::string CoSignTest::cosignOk(const std::string& signedDocument, bool timeStamp,
                                 certificates::QNCertificate* who) {
    Result result = cosign(signedDocument, false, timeStamp, who);
    EXPECT_EQ(result.hr, S_OK) << result.description;
    return result.bytes;
}

std::vector<CoSignStatus> CoSignTest::verifyStatuses(const std::string& document, long* result) {
    com::ComPtr<verification::QNVerifier> verifier = verification::QNVerifier::create();
    verifier->setInternal(std::make_unique<verification::CQNVerifier_Internal_XMLDSig>());
    com::ComPtr<content::QNContent> data = content::QNContent::create();
    data->content().replace(document);
    LONG outcome = -1;
    EXPECT_EQ(verifier->verify(static_cast<content::IQNContent*>(data.get()), nullptr, 0, &outcome),
              S_OK);
    if (result != nullptr) {
        *result = outcome;
    }
    std::vector<CoSignStatus> statuses;
    for (LONG i = 0;; ++i) {
        IDispatch* raw = nullptr;
        EXPECT_EQ(verifier->getStatus(i, &raw), S_OK);
        if (raw == nullptr) {
            break;
        }
        com::ComPtr<IDispatch> held = com::ComPtr<IDispatch>::attach(raw);
        auto* status = static_cast<verification::QNVerifyStatus*>(
            static_cast<verification::IQNVerifyStatus*>(raw));
        statuses.push_back({status->idError(), status->errorDescription()});
    }
    return statuses;
}

void CoSignTest::expectAllVerify(const std::string& document, const std::string& extraOptions) {
    std::vector<CoSignStatus> statuses = verifyStatuses(document);
    EXPECT_EQ(statuses.size(), signatureIds(document).size());
    for (size_t i = 0; i < statuses.size(); ++i) {
        EXPECT_EQ(statuses[i].idError, 0) << "signature " << i << ": " << statuses[i].description;
        EXPECT_EQ(statuses[i].description, "No error") << "signature " << i;
    }
    EXPECT_EQ(xmlsecFailures(document, extraOptions), std::vector<std::string>{});
}

std::vector<std::string> CoSignTest::xmlsecFailures(const std::string& document,
                                                    const std::string& extraOptions) {
    const std::string ids = xadesIds() +
                            " --id-attr:Id http://www.w3.org/2000/09/xmldsig#:Signature"
                            " --id-attr:Id http://www.w3.org/2000/09/xmldsig#:SignatureValue " +
                            extraOptions;
    std::vector<std::string> failures;
    for (const std::string& id : signatureIds(document)) {
        std::string output;
        if (!xmlsecVerify(document, &output, ids + " --node-id " + id)) {
            failures.push_back(id + ": " + output);
        }
    }
    return failures;
}

std::vector<std::string> CoSignTest::signatureIds(const std::string& document) {
    auto parsed = parseXml(document);
    std::vector<std::string> ids;
    for (const xercesc::DOMElement* signature :
         platform::xml::descendantElements(*parsed, platform::xml::dsig::kNamespace, "Signature")) {
        ids.push_back(platform::xml::attributeText(*signature, "Id"));
    }
    return ids;
}

void CoSignTest::keepSeed(const std::string& name, const std::string& document) {
    const char* seeds = std::getenv("XMLVERIFY_SEED_DIR");
    if (seeds != nullptr) {
        testpki::writeFile(std::string(seeds) + "/" + name + ".xml", document);
    }
}
