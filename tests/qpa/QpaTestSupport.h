#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "StoreTestSupport.h"
#include "TestPki.h"
#include "com/Com.h"
#include "com/ComPtr.h"
#include "component/certificates/QNCertificate.h"
#include "component/content/IQNContent.h"
#include "component/pdf/IQPASigner.h"

namespace qpatest {

namespace content = component::content;
namespace pdf = component::pdf;

// What QPASigner.sign gets besides the document; the defaults are all zero, as a script
// asking for every default passes them.
struct SignRequest {
    std::string name;
    long page = 0;
    long x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::string font = "Helvetica";
    long fontSize = 0;
    std::optional<std::string> image; // the bytes of imgContent (an empty one when absent)
    long add = 1;
    IDispatch* certificate = nullptr; // the fixture's signer when null
};

struct SignOutcome {
    HRESULT hr = E_FAIL;
    std::string document;    // the signed PDF (empty when sign failed)
    std::string content;     // what the content argument holds afterwards
    std::string description; // of the error information, "" when none
};

// Each test has a fresh home (TMPDIR and QUILLION_HOME), the log in its folder at every
// level, an empty settings table, the module's classes creatable by ProgID (as they are
// once the module is loaded), a root in ROOT and a signer with its key in MY.
class QpaTest : public ::testing::Test {
protected:
    QpaTest();
    ~QpaTest() override;

    // An object of the module created by ProgID, with the interface asked for.
    template <class Interface> com::ComPtr<Interface> create(const char* progId) {
        com::ComPtr<Interface> object;
        CLSID clsid{};
        std::u16string name(progId, progId + std::char_traits<char>::length(progId));
        EXPECT_EQ(CLSIDFromProgID(name.c_str(), &clsid), S_OK) << progId;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, Interface::iid,
                                   object.outVoid()),
                  S_OK)
            << progId;
        return object;
    }
    com::ComPtr<pdf::IQPASigner> qpa() { return create<pdf::IQPASigner>("Quillion2.QPASigner"); }
    com::ComPtr<content::IQNContent> newContent(const std::string& bytes);
    // A QNCertificate of the MY store for who (its key stored with it, encrypted with
    // password when one is given).
    com::ComPtr<component::certificates::QNCertificate>
    certificate(const testpki::Issued& who, bool withKey = true, const std::string& password = "");

    SignOutcome sign(const std::string& pdf, const SignRequest& request = {});
    SignOutcome sign(pdf::IQPASigner& signer, const std::string& pdf, const SignRequest& request);

    std::string path(const std::string& name) const { return home.path() + "/" + name; }
    std::string logText() const { return log.text(); }

    testpki::TempHome home;
    TestLog log{home};
    testpki::Issued root;
    testpki::Issued signer;
    com::ComPtr<component::certificates::QNCertificate> signerCertificate;
};

// The bytes a QNContent (or any IDispatch answering IQNContent) holds.
std::string bytesOf(IUnknown* content);
// The description of the calling thread's error information ("" when there is none).
std::string errorDescription();
// The lines of a log without their date and time.
std::vector<std::string> logLines(const std::string& text);

// /ByteRange [0 a b c] of the last signature of a PDF.
struct ByteRange {
    long a = 0, b = 0, c = 0;
};
ByteRange lastByteRange(const std::string& pdf);
// The signed ranges of that signature, concatenated.
std::string signedBytes(const std::string& pdf);
// The text of the last "/Key [ ... ]" array or "/Key value" entry after from.
std::string entry(const std::string& pdf, const std::string& key, size_t from = 0);

// A document of one page whose content is drawn with Helvetica on a white page (rotation in
// degrees, 0 for none; extra appended to the page dictionary).
std::string onePagePdf(int rotation = 0, int pages = 1);

} // namespace qpatest
