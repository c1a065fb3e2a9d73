// The settings of the XML-DSig signer: the combinations it refuses with their messages and
// codes, and the options that shape its output.
#include <regex>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "XmlSignFixture.h"
#include "component/signing/SigningTimeObject.h"
#include "platform/stores/FolderStore.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlText.h"
#include "stream/Base64.h"

namespace dsig = platform::xml::dsig;
using platform::xml::attributeText;
using platform::xml::textOf;

namespace {

constexpr HRESULT kXmlDsig = static_cast<HRESULT>(0x80044663u);
constexpr HRESULT kOperation = static_cast<HRESULT>(0x8004465Bu);
constexpr HRESULT kHashAlgorithm = static_cast<HRESULT>(0x8004465Au);

const std::string kDocument = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<doc><a Id=\"p1\">uno</a><b Id=\"p2\">dos</b></doc>\n";

} // namespace

TEST_F(XmlSignTest, CombinationsAreRefusedWithTheirMessages) {
    const std::string url = "http://127.0.0.1:9/datos.xml";
    struct Case {
        const char* envelope;
        const char* element;
        const char* parent;
        bool detached;
        std::string message;
    };
    const Case cases[] = {
        {"ENVELOPED", "", "", true,
         "Se ha especificado realizar una firma de la URL: " + url +
             ", esto no es compatible con haber especificado que dicha firma sea enveloped, una "
             "firma detached externa no puede ser nunca enveloped (no puedes incrustar la firma "
             "en los datos xml porque no tienes datos xml, solo tienes una URL), la firma no ha "
             "sido realizada"},
        {"enveloped", "#p1", "/doc", true,
         "Se ha especificado realizar una firma del elemento con Id: #p1, esto no es compatible "
         "con haber especificado una URL a firmar: " +
             url + ", la firma no ha sido realizada"},
        {"Enveloping", "#p1", "", true,
         "Se ha especificado realizar una firma del elemento con Id: #p1, esto no es compatible "
         "con haber especificado una URL a firmar: " +
             url + ", la firma no ha sido realizada"},
        {"ENVELOPED", "#p1", "", false,
         "No se ha especificado el elemento donde debe almacenarse la firma generada (parámetro "
         "'Parent' en el JavaScript), este parámetro es obligatorio siempre que se desea "
         "realizar la firma de un nodo concreto especificando su Id"},
        {"ENVELOPING", "#p1", "", false,
         "Se ha especificado realizar una firma del elemento de Id: #p1, esto no es compatible "
         "con haber especificado que dicha firma sea enveloping, ya que una firma enveloping "
         "debe envolver todo el xml, pero si un nodo se firma y otros no estos que no se firman "
         "estarán fuera de la firma, es decir, sería una firma enveloped respecto a los nodos "
         "no firmados y enveloping respecto al nodo firmado, esta combinación no es pausible, "
         "la firma no ha sido realizada"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.envelope) + " " + c.element);
        set("EnvelopeType", c.envelope);
        set("ElementToSign", c.element);
        set("ParentElement", c.parent);
        Result result = sign(c.detached ? url : kDocument, c.detached);
        EXPECT_EQ(result.hr, kXmlDsig);
        EXPECT_EQ(result.description, c.message);
    }
    // The checks come before anything else: nothing was fetched from that URL.
    EXPECT_NE(log.text().find("Entro a firmar un CQNSignData_Internal_XMLDSig"), std::string::npos);
    EXPECT_EQ(log.text().find("en signOne"), std::string::npos);
}

TEST_F(XmlSignTest, EnvelopeTypesOutsideTheThreeAreRefused) {
    for (const char* type : {"DETACHED", "", "enveloped "}) {
        set("EnvelopeType", type);
        Result result = sign(kDocument);
        EXPECT_EQ(result.hr, kOperation) << type;
        EXPECT_EQ(result.description, "Tipo de \"envelope\" inválido.") << type;
    }
    // DETACHEDINTERNA is an enveloped signature of the document itself, even when detached is
    // asked for.
    set("EnvelopeType", "detachedInterna");
    Result internal = sign(kDocument, true);
    ASSERT_EQ(internal.hr, S_OK) << internal.description;
    auto document = parseXml(internal.bytes);
    EXPECT_EQ(platform::xml::toUtf8(document->getDocumentElement()->getLocalName()), "doc");
    std::string output;
    EXPECT_TRUE(xmlsecVerify(internal.bytes, &output, "", false)) << output;
}

TEST_F(XmlSignTest, OnlySha1IsAccepted) {
    set("EnvelopeType", "ENVELOPED");
    for (const char* algorithm : {"2.16.840.1.101.3.4.2.1", "", "1.3.14.3.2.26 "}) {
        set("HashAlgorithm", algorithm);
        Result result = sign(kDocument);
        EXPECT_EQ(result.hr, kHashAlgorithm) << algorithm;
        EXPECT_EQ(result.description, "El algoritmo de hash indicado no está disponible para "
                                      "XMLDig. Únicamente válido el RSA+SHA1.");
    }
}

TEST_F(XmlSignTest, ParentElementMustSelectAnElement) {
    set("EnvelopeType", "ENVELOPED");
    set("ElementToSign", "#p1");
    for (const char* expression : {"/doc/a/@Id", "//a/text()", "/doc | //a/@Id"}) {
        set("ParentElement", expression);
        Result result = sign(kDocument);
        EXPECT_EQ(result.hr, kOperation) << expression;
        EXPECT_EQ(result.description, "No se encontro un nodo de tipo válido") << expression;
    }
    // Nothing selected (or no node set at all) is refused too.
    for (const char* expression : {"//missing", "count(//a)", "//["}) {
        set("ParentElement", expression);
        Result none = sign(kDocument);
        EXPECT_EQ(none.hr, kOperation);
        EXPECT_EQ(none.description,
                  std::string("No se encontro el elemento indicado en ParentElement: ") +
                      expression);
    }
    // "/" stands for the document element.
    set("ParentElement", "/");
    std::string out = signOk(kDocument);
    auto document = parseXml(out);
    EXPECT_EQ(platform::xml::toUtf8(
                  document->getDocumentElement()->getLastElementChild()->getLocalName()),
              "Signature");
}

TEST_F(XmlSignTest, UntrustedDocumentsFailCleanly) {
    set("EnvelopeType", "ENVELOPED");
    Result broken = sign("<doc><a></doc>");
    EXPECT_EQ(broken.hr, kOperation);
    EXPECT_NE(broken.description.find("expected end of tag"), std::string::npos)
        << broken.description;
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\">";
    for (int i = 1; i < 10; ++i) {
        std::string e = "e" + std::to_string(i);
        std::string previous = i == 1 ? "a" : "e" + std::to_string(i - 1);
        laughs += "<!ENTITY " + e + " \"";
        for (int k = 0; k < 10; ++k) {
            laughs += "&" + previous + ";";
        }
        laughs += "\">";
    }
    laughs += "]><l>&e9;</l>";
    Result bomb = sign(laughs);
    EXPECT_EQ(bomb.hr, kOperation);
    EXPECT_NE(bomb.description.find("entity declaration"), std::string::npos) << bomb.description;
}

TEST_F(XmlSignTest, KeysFromTheStoreAndTheirPasswords) {
    set("EnvelopeType", "ENVELOPED");
    // A certificate without its key.
    {
        auto store = platform::stores::FolderStore::open(
            platform::stores::StoreLocation::CurrentUser, "MY", false);
        store->add(pki().second.certificate, nullptr, "");
    }
    com::ComPtr<component::certificates::QNCertificate> keyless =
        component::certificates::QNCertificate::create();
    keyless->setPlatformObject(
        std::make_shared<platform::certificates::CertificateObject>(pki().second.certificate));
    Result noKey = sign(kDocument, false, false, keyless.get());
    EXPECT_EQ(noKey.hr, static_cast<HRESULT>(0x80044656u));
    EXPECT_EQ(noKey.description, "Falta la clave privada del certificado");

    auto locked = certificate(pki().second, "clave secreta");
    scriptAnswers(home, "password=otra\n");
    Result wrong = sign(kDocument, false, false, locked.get());
    EXPECT_EQ(wrong.hr, static_cast<HRESULT>(0x80044662u));
    EXPECT_EQ(wrong.description, "Ha introducido una contraseña erronea");
    locked = certificate(pki().second, "clave secreta");
    scriptAnswers(home, "password=cancel\n");
    Result cancelled = sign(kDocument, false, false, locked.get());
    EXPECT_EQ(cancelled.hr, static_cast<HRESULT>(0x80044661u));
    EXPECT_EQ(cancelled.description, "El usuario ha cancelado la operacion");
    locked = certificate(pki().second, "clave secreta");
    scriptAnswers(home, "password=clave secreta\n");
    Result right = sign(kDocument, false, false, locked.get());
    EXPECT_EQ(right.hr, S_OK) << right.description;
}

TEST_F(XmlSignTest, SigningTimePropertiesAndTheirReference) {
    set("EnvelopeType", "ENVELOPED");
    std::string out = signOk(kDocument, false, true);
    auto document = parseXml(out);
    auto references = elementsNamed(*document, "Reference");
    ASSERT_EQ(references.size(), 2u);
    EXPECT_EQ(attributeText(*references[1], "URI"), "#Signature1-TimeStamp1");
    const xercesc::DOMElement* property = elementsNamed(*document, "SignatureProperty").at(0);
    EXPECT_EQ(platform::xml::toUtf8(property->getNamespaceURI()), "");
    EXPECT_EQ(attributeText(*property, "Id"), "Signature1-TimeStamp1");
    EXPECT_EQ(attributeText(*property, "Target"), "#Signature1");
    EXPECT_TRUE(std::regex_match(textOf(*elementsNamed(*property, "date").at(0)),
                                 std::regex("20[0-9]{2}[01][0-9][0-3][0-9]")));
    EXPECT_TRUE(
        std::regex_match(textOf(*elementsNamed(*property, "time").at(0)),
                         std::regex("[0-2][0-9]:[0-5][0-9]:[0-6][0-9][+-][0-9]{2}:[0-5][0-9]")));
    EXPECT_EQ(idsOf(*document, "Object"), std::vector<std::string>{"Signature1-Object1"});
    std::string output;
    EXPECT_TRUE(xmlsecVerify(out, &output, "--id-attr:Id SignatureProperty", false)) << output;

    // In a document with a default namespace the properties stay in no namespace.
    std::string namespaced = signOk("<doc xmlns=\"urn:d\"><a>x</a></doc>", false, true);
    EXPECT_NE(namespaced.find("<SignatureProperties xmlns=\"\">"), std::string::npos) << namespaced;
    EXPECT_TRUE(xmlsecVerify(namespaced, &output, "--id-attr:Id SignatureProperty", false))
        << output;
}

TEST_F(XmlSignTest, SigningTimeTextsInUtcWithTheLocalOffset) {
    const char* saved = getenv("TZ");
    std::string keep = saved != nullptr ? saved : "";
    const std::time_t when = 1167609599; // 2006-12-31T23:59:59Z
    setenv("TZ", "UTC0", 1);
    tzset();
    auto utc = component::signing::SigningTimeObject::texts(when);
    setenv("TZ", "CET-1", 1);
    tzset();
    auto ahead = component::signing::SigningTimeObject::texts(when);
    setenv("TZ", "XST+5:30", 1);
    tzset();
    auto behind = component::signing::SigningTimeObject::texts(when);
    if (saved != nullptr) {
        setenv("TZ", keep.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
    EXPECT_EQ(utc.date, "20061231");
    EXPECT_EQ(utc.time, "23:59:59-00:00");
    EXPECT_EQ(ahead.date, "20061231");
    EXPECT_EQ(ahead.time, "23:59:59+01:00");
    EXPECT_EQ(behind.time, "23:59:59-05:30");
}

TEST_F(XmlSignTest, CertificateInKeyInfo) {
    set("EnvelopeType", "ENVELOPING");
    set("IncludeSigningCertificate", "TRUE");
    std::string out = signOk(kDocument);
    auto document = parseXml(out);
    std::string text = textOf(*elementsNamed(*document, "X509Certificate").at(0));
    size_t lines = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find("\r\n", at);
        std::string line = text.substr(at, end == std::string::npos ? end : end - at);
        EXPECT_LE(line.size(), 64u);
        if (end != std::string::npos) {
            EXPECT_EQ(line.size(), 64u);
        }
        ++lines;
        at = end == std::string::npos ? text.size() : end + 2;
    }
    const auto& der = pki().signer.certificate->der();
    const size_t base64Size = (der.size() + 2) / 3 * 4;
    EXPECT_EQ(lines, (base64Size + 63) / 64);
    EXPECT_EQ(stream::Base64::decode(text), std::string(der.begin(), der.end()));
    // Anything but "TRUE" leaves it out.
    set("IncludeSigningCertificate", "true");
    EXPECT_TRUE(elementsNamed(*parseXml(signOk(kDocument)), "X509Certificate").empty());
}

TEST_F(XmlSignTest, CustomPrefixForTheSignatureElements) {
    set("EnvelopeType", "ENVELOPED");
    set("XMLSigNameSpaceID", "x");
    set("IncludeSigningCertificate", "TRUE");
    std::string out = signOk(kDocument, false, true);
    EXPECT_NE(out.find("<x:Signature xmlns:x=\"http://www.w3.org/2000/09/xmldsig#\""),
              std::string::npos);
    EXPECT_EQ(out.find("<ds:"), std::string::npos);
    auto document = parseXml(out);
    // The new signature's elements get their Ids whatever the prefix.
    EXPECT_EQ(idsOf(*document, "SignedInfo"), std::vector<std::string>{"Signature1-SignedInfo1"});
    EXPECT_EQ(idsOf(*document, "Reference"),
              (std::vector<std::string>{"Signature1-Reference1", "Signature1-Reference2"}));
    std::string output;
    EXPECT_TRUE(xmlsecVerify(out, &output, "--id-attr:Id SignatureProperty")) << output;
}

TEST_F(XmlSignTest, OutputEncoding) {
    set("EnvelopeType", "ENVELOPED");
    const std::string latin = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<doc>a\xF1o</doc>";
    // The document's own encoding by default.
    std::string kept = signOk(latin);
    EXPECT_EQ(kept.find("<?xml version=\"1.0\" encoding=\"ISO-8859-1\""), 0u) << kept;
    EXPECT_NE(kept.find("a\xF1o"), std::string::npos);
    std::string output;
    EXPECT_TRUE(xmlsecVerify(kept, &output, "", false)) << output;
    // XMLEncoding chooses another.
    set("XMLEncoding", "UTF-8");
    std::string utf8 = signOk(latin);
    EXPECT_EQ(utf8.find("<?xml version=\"1.0\" encoding=\"UTF-8\""), 0u) << utf8;
    EXPECT_NE(utf8.find("a\xC3\xB1o"), std::string::npos);
    EXPECT_TRUE(xmlsecVerify(utf8, &output, "", false)) << output;
    set("XMLEncoding", "ISO-8859-1");
    set("EnvelopeType", "ENVELOPING");
    std::string enveloping = signOk("<doc>a\xC3\xB1o</doc>");
    EXPECT_EQ(enveloping.find("<?xml version=\"1.0\" encoding=\"ISO-8859-1\""), 0u);
    EXPECT_NE(enveloping.find("a\xF1o"), std::string::npos);
    EXPECT_TRUE(xmlsecVerify(enveloping, &output, "", false)) << output;
    // An encoding the writer does not know is a clear failure.
    set("XMLEncoding", "NO-SUCH-ENCODING");
    Result unknown = sign(latin);
    EXPECT_EQ(unknown.hr, kOperation);
    EXPECT_FALSE(unknown.description.empty());
}
