#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SigningTestSupport.h"
#include "StoreTestSupport.h"
#include "com/ComPtr.h"
#include "component/certificates/QNCertificate.h"
#include "component/module/SettingsTable.h"
#include "platform/xml/XercesHandles.h"

// A test of the XML-DSig signer: a fresh temporary home with its log, the settings table
// emptied (HashAlgorithm SHA-1), the XAdES version 1.2.2, no scripted answers, and the signing
// certificate of a test PKI in the MY store with its key.
class XmlSignTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static component::module::SettingsTable& settings() {
        return component::module::SettingsTable::instance();
    }
    static void set(const std::string& name, const std::string& value) {
        settings().set(name, value);
    }
    // The PKI of every test of the process (made once: key generation is slow).
    static const signingtest::Pki& pki();

    // A QNCertificate of the MY store for who, with its key (encrypted when password is set).
    com::ComPtr<component::certificates::QNCertificate>
    certificate(const testpki::Issued& who, const std::string& password = "");

    struct Result {
        HRESULT hr = E_FAIL;
        std::string bytes;       // the signed document when hr is S_OK
        std::string description; // the error report's description otherwise
    };
    // QNSignData.sign with the XML-DSig signer, as a script calls it.
    Result sign(const std::string& content, bool detached = false, bool timeStamp = false,
                component::certificates::QNCertificate* signer = nullptr);
    // The outcome of a QNSignData call that returned hr and the content out (released here).
    static Result resultOf(HRESULT hr, IDispatch* out);
    // sign() that must succeed; the document.
    std::string signOk(const std::string& content, bool detached = false, bool timeStamp = false);

    // xmlsec1 --verify of a signed document with the test root trusted (its X509Certificate
    // must be there) or, when the signature has none, with the signer certificate's key.
    // extraOptions are added (--id-attr, --url-map ...). Output in *output.
    bool xmlsecVerify(const std::string& document, std::string* output,
                      const std::string& extraOptions = "", bool trustRoot = true);
    // xmlsec1's options making the Id attributes of XAdES signed properties and of the
    // signing-time properties IDs.
    static std::string xadesIds();

    std::string path(const std::string& name) const { return home.path() + "/" + name; }

    testpki::TempHome home;
    TestLog log{home};
    com::ComPtr<component::certificates::QNCertificate> signer;

private:
    int counter_ = 0;
};

// A document parsed with the signer's configuration.
platform::xml::DocumentPtr parseXml(const std::string& text);
// The Id attribute values of the elements with that local name (any namespace), in document
// order.
std::vector<std::string> idsOf(const xercesc::DOMDocument& document, const std::string& localName);
// The elements with that local name (any namespace), in document order.
std::vector<const xercesc::DOMElement*> elementsNamed(const xercesc::DOMNode& root,
                                                      const std::string& localName);
