// Verifies arbitrary bytes as an XML signed (or encrypted) message through QNVerifier with the
// XML-DSig verifier, as a script does: every failure must come back as an HRESULT, never as a
// crash, a leak or a hang; then every status and the content are read. The user's stores are
// an empty folder; references outside the document resolve to nothing (no file or network
// access).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "com/BStr.h"
#include "component/certificates/IQNCertificate.h"
#include "component/content/QNContent.h"
#include "component/verification/CQNVerifier_Internal_XMLDSig.h"
#include "component/verification/QNVerifier.h"
#include "platform/xml/XmlLibraries.h"

using namespace component;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::filesystem::path home = std::filesystem::temp_directory_path() /
                                 ("q2_xmlverify_fuzz_" + std::to_string(::getpid()));
    std::filesystem::create_directories(home);
    setenv("QUILLION_HOME", home.c_str(), 1);
    setenv("TMPDIR", home.c_str(), 1);
    platform::xml::XmlLibraries::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    com::ComPtr<verification::QNVerifier> verifier = verification::QNVerifier::create();
    verifier->setInternal(std::make_unique<verification::CQNVerifier_Internal_XMLDSig>());
    com::ComPtr<content::QNContent> message = content::QNContent::create();
    message->content().replace(std::string_view(reinterpret_cast<const char*>(data), size));

    LONG result = -1;
    verifier->verify(message.get(), nullptr, 0, &result);
    volatile size_t sink = static_cast<size_t>(result);
    for (LONG i = 0;; ++i) {
        IDispatch* raw = nullptr;
        if (FAILED(verifier->getStatus(i, &raw)) || raw == nullptr) {
            break;
        }
        com::ComPtr<IDispatch> held = com::ComPtr<IDispatch>::attach(raw);
        auto* status = static_cast<verification::QNVerifyStatus*>(
            static_cast<verification::IQNVerifyStatus*>(raw));
        sink = sink + status->errorDescription().size() + static_cast<size_t>(status->idError());
        if (IDispatch* certificate = status->signerCertificate()) {
            com::ComPtr<certificates::IQNCertificate> object =
                com::ComPtr<IDispatch>(certificate).as<certificates::IQNCertificate>();
            BSTR subject = nullptr;
            if (object && SUCCEEDED(object->getSubjectName(&subject))) {
                sink = sink + com::BStr::attach(subject).utf8().size();
            }
        }
    }
    IDispatch* content = nullptr;
    if (SUCCEEDED(verifier->getContent(&content)) && content != nullptr) {
        content->Release();
    }
    (void)sink;
    return 0;
}
