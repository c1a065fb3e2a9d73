#include "QpaTestSupport.h"

#include <sstream>

#include "PdfTestSupport.h"
#include "component/module/Module.h"
#include "component/module/SettingsTable.h"
#include "platform/certificates/CertificateObject.h"
#include "platform/stores/FolderStore.h"

namespace qpatest {

namespace module = component::module;
namespace stores = platform::stores;

QpaTest::QpaTest()
    : root(testpki::issue({.subject = "CN=Raiz QPA, O=Quillion, C=ES", .ca = true}, nullptr)),
      signer(testpki::issue({.subject = "CN=Firmante PDF, O=Quillion, C=ES",
                             .keyUsage = "digitalSignature,nonRepudiation",
                             .serial = 4242},
                            &root)) {
    module::SettingsTable::instance().clear();
    module::Module::registerClasses(&module::Module::getClassObject);
    stores::FolderStore::open(stores::StoreLocation::CurrentUser, "ROOT", false)
        ->add(root.certificate, nullptr, "");
    signerCertificate = certificate(signer);
}

QpaTest::~QpaTest() {
    signerCertificate.reset();
    module::Module::unregisterClasses();
    module::SettingsTable::instance().clear();
    unsetenv("QUILLION_UI_ANSWERS");
}

com::ComPtr<content::IQNContent> QpaTest::newContent(const std::string& bytes) {
    com::ComPtr<content::IQNContent> object = create<content::IQNContent>("Quillion2.QNContent");
    com::BStr data = com::BStr::fromBytes(bytes);
    EXPECT_EQ(object->put_contentData(data.get()), S_OK);
    return object;
}

com::ComPtr<component::certificates::QNCertificate>
QpaTest::certificate(const testpki::Issued& who, bool withKey, const std::string& password) {
    stores::FolderStore::open(stores::StoreLocation::CurrentUser, "MY", false)
        ->add(who.certificate, withKey ? who.key.get() : nullptr, password);
    auto reread = stores::FolderStore::open(stores::StoreLocation::CurrentUser, "MY", true);
    auto cert = component::certificates::QNCertificate::create();
    for (const auto& stored : reread->entries()) {
        if (stored.certificate->sameAs(*who.certificate)) {
            cert->setPlatformObject(
                std::make_shared<platform::certificates::CertificateObject>(stored.certificate));
        }
    }
    return cert;
}

SignOutcome QpaTest::sign(const std::string& pdf, const SignRequest& request) {
    com::ComPtr<pdf::IQPASigner> signer = qpa();
    return sign(*signer, pdf, request);
}

SignOutcome QpaTest::sign(pdf::IQPASigner& qpa, const std::string& pdf,
                          const SignRequest& request) {
    com::ComPtr<content::IQNContent> document = newContent(pdf);
    com::ComPtr<content::IQNContent> image = newContent(request.image.value_or(""));
    com::BStr name = com::BStr::fromUtf8(request.name);
    com::BStr font = com::BStr::fromUtf8(request.font);
    IDispatch* certificate = request.certificate;
    if (certificate == nullptr) {
        certificate =
            static_cast<component::certificates::IQNCertificate*>(signerCertificate.get());
    }
    com::ComPtr<IDispatch> result;
    SignOutcome out;
    out.hr = qpa.sign(name.get(), request.page, request.x1, request.y1, request.x2, request.y2,
                      font.get(), request.fontSize, image.get(), document.get(), certificate, 1,
                      request.add, result.out());
    if (FAILED(out.hr)) {
        out.description = errorDescription();
        EXPECT_FALSE(result) << "a failed sign returns no content";
    }
    if (result) {
        out.document = bytesOf(result.get());
    }
    out.content = bytesOf(document.get());
    return out;
}

std::string bytesOf(IUnknown* object) {
    com::ComPtr<content::IQNContent> content;
    if (object == nullptr ||
        FAILED(object->QueryInterface(content::IQNContent::iid, content.outVoid()))) {
        ADD_FAILURE() << "not a content";
        return {};
    }
    com::BStr data;
    EXPECT_EQ(content->get_contentData(data.out()), S_OK);
    return data.bytes();
}

std::string errorDescription() {
    com::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) != S_OK || !info) {
        return {};
    }
    com::BStr text;
    info->GetDescription(text.out());
    return text.utf8();
}

std::vector<std::string> logLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        // "MM/DD/YY HH:MM:SS " before the level tag.
        if (line.size() > 18 && line[2] == '/' && line[5] == '/' && line[11] == ':') {
            lines.push_back(line.substr(18));
        }
    }
    return lines;
}

ByteRange lastByteRange(const std::string& pdf) {
    ByteRange r;
    size_t at = pdf.rfind("/ByteRange [");
    if (at == std::string::npos) {
        ADD_FAILURE() << "no /ByteRange";
        return r;
    }
    std::istringstream in(pdf.substr(at + 12, 64));
    long zero = -1;
    in >> zero >> r.a >> r.b >> r.c;
    EXPECT_EQ(zero, 0);
    return r;
}

std::string signedBytes(const std::string& pdf) {
    ByteRange r = lastByteRange(pdf);
    return pdf.substr(0, static_cast<size_t>(r.a)) +
           pdf.substr(static_cast<size_t>(r.b), static_cast<size_t>(r.c));
}

std::string entry(const std::string& pdf, const std::string& key, size_t from) {
    size_t at = pdf.rfind(key);
    if (at == std::string::npos || at < from) {
        return {};
    }
    size_t start = at + key.size();
    while (start < pdf.size() && pdf[start] == ' ') {
        ++start;
    }
    size_t end = start;
    if (start < pdf.size() && pdf[start] == '[') {
        end = pdf.find(']', start);
        return end == std::string::npos ? std::string() : pdf.substr(start, end + 1 - start);
    }
    end = pdf.find_first_of("/>\r\n", start + 1);
    return pdf.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string onePagePdf(int rotation, int pages) {
    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    std::string content = "BT /F1 24 Tf 72 700 Td (Contrato de prueba) Tj ET";
    objects[3] = "<< /Length " + std::to_string(content.size()) + " >>\r\nstream\r\n" + content +
                 "\r\nendstream";
    objects[4] = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
    std::string kids;
    for (int i = 0; i < pages; ++i) {
        kids += std::to_string(5 + i) + " 0 R ";
        objects[5 + i] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 3 0 R "
                         "/Resources << /Font << /F1 4 0 R >> >>" +
                         (rotation != 0 ? " /Rotate " + std::to_string(rotation) : "") + " >>";
    }
    objects[2] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>";
    return pdftest::makePdf(objects, "/Root 1 0 R");
}

} // namespace qpatest
