// The DOM writer into memory: encodings, node writes, failures; xmllint reads what it writes.
#include <string>

#include <gtest/gtest.h>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "TestPki.h"
#include "XmlTestSupport.h"
#include "platform/xml/XmlFailure.h"
#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlSerializer.h"
#include "stream/exceptions/StreamException.h"

using platform::xml::XmlSerializer;

namespace {

const char kLatin1Document[] = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"\xF1\">ma\xF1"
                               "ana &amp; &lt;t&gt;</r>";

// xmllint's reading of the bytes, in its own output encoding (UTF-8).
std::string readByXmllint(const std::string& bytes) {
    testpki::TempHome home;
    std::string path = home.path() + "/written.xml";
    testpki::writeFile(path, bytes);
    std::string output;
    int status = testpki::run("xmllint --encode UTF-8 " + path, &output);
    EXPECT_EQ(status, 0) << output;
    return output;
}

} // namespace

TEST(XmlSerializer, WritesInTheDeclaredEncodingByDefault) {
    auto document = xmltest::parse(kLatin1Document);
    EXPECT_EQ(XmlSerializer::declaredEncoding(*document), "ISO-8859-1");
    std::string bytes = XmlSerializer::serialize(*document);
    EXPECT_NE(bytes.find("encoding=\"ISO-8859-1\""), std::string::npos);
    EXPECT_NE(bytes.find("ma\xF1"
                         "ana &amp; &lt;t&gt;"),
              std::string::npos);
    EXPECT_NE(readByXmllint(bytes).find("<r a=\"ñ\">mañana &amp; &lt;t&gt;</r>"),
              std::string::npos);
}

TEST(XmlSerializer, AnExplicitEncodingWins) {
    auto document = xmltest::parse(kLatin1Document);
    std::string bytes = XmlSerializer::serialize(*document, "UTF-8");
    EXPECT_NE(bytes.find("encoding=\"UTF-8\""), std::string::npos);
    EXPECT_NE(bytes.find("mañana"), std::string::npos);

    // A character the encoding cannot hold becomes a character reference.
    auto euro = xmltest::parse("<r>€</r>");
    std::string latin = XmlSerializer::serialize(*euro, "ISO-8859-1");
    EXPECT_NE(latin.find("<r>&#x20AC;</r>"), std::string::npos) << latin;
    EXPECT_NE(readByXmllint(latin).find("<r>€</r>"), std::string::npos);
}

TEST(XmlSerializer, WithoutADeclarationTheDocumentIsWrittenInUtf8) {
    auto document = xmltest::parse("<r>ñ</r>");
    EXPECT_EQ(XmlSerializer::declaredEncoding(*document), "");
    std::string bytes = XmlSerializer::serialize(*document);
    EXPECT_NE(bytes.find("encoding=\"UTF-8\""), std::string::npos);
    EXPECT_NE(bytes.find("<r>ñ</r>"), std::string::npos);
}

TEST(XmlSerializer, NodesFollowOneAnotherWithoutADeclarationOfTheirOwn) {
    auto content = xmltest::parse("<c:x xmlns:c=\"urn:c\"><c:y>1</c:y></c:x>");
    XmlSerializer writer("UTF-8");
    writer.write(*content->getDocumentElement());
    EXPECT_EQ(writer.bytes(), "<c:x xmlns:c=\"urn:c\"><c:y>1</c:y></c:x>");
    writer.write(*content->getDocumentElement()->getFirstChild());
    // A node written alone carries the declarations it needs.
    EXPECT_EQ(writer.take(),
              "<c:x xmlns:c=\"urn:c\"><c:y>1</c:y></c:x><c:y xmlns:c=\"urn:c\">1</c:y>");
    EXPECT_EQ(writer.bytes(), "");
}

TEST(XmlSerializer, AnUnknownEncodingFailsWithTheWritersMessage) {
    auto document = xmltest::parse("<r/>");
    try {
        XmlSerializer::serialize(*document, "NO-SUCH-ENCODING");
        FAIL() << "no exception";
    } catch (const stream::exceptions::StreamException& e) {
        EXPECT_EQ(e.code(), platform::xml::kXmlFailureCode);
        EXPECT_FALSE(e.message().empty());
    }
}
