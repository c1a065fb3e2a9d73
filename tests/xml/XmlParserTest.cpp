// The one parser configuration: refusals of entity tricks, no external fetches, and the two
// error behaviours.
#include <string>

#include <gtest/gtest.h>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/sax/SAXParseException.hpp>

#include "TestPki.h"
#include "XmlTestSupport.h"
#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlText.h"

using platform::xml::toUtf8;
using platform::xml::XmlParser;

namespace {

std::string billionLaughs() {
    std::string text = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol \"lol\">\n";
    for (int level = 1; level <= 9; ++level) {
        std::string previous = level == 1 ? "&lol;" : "&lol" + std::to_string(level - 1) + ";";
        text += "<!ENTITY lol" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i) {
            text += previous;
        }
        text += "\">\n";
    }
    return text + "]>\n<lolz>&lol9;</lolz>\n";
}

// One entity of 100,000 characters referenced 40,000 times: 4 * 10^9 characters from a
// document of 260 kB, with only 40,000 expansions.
std::string quadraticBlowup() {
    std::string text = "<!DOCTYPE r [<!ENTITY a \"" + std::string(100000, 'a') + "\">]><r>";
    for (int i = 0; i < 40000; ++i) {
        text += "&a;";
    }
    return text + "</r>";
}

// The message of the exception a raising parse gives, or "" when it raised nothing.
std::string raisedMessage(const std::string& text) {
    try {
        XmlParser::parseOrRaise(text, platform::xml::kSignerInput);
    } catch (const xercesc::SAXParseException& e) {
        return toUtf8(e.getMessage());
    }
    return "";
}

std::string documentText(const xercesc::DOMDocument& document) {
    const xercesc::DOMElement* root = document.getDocumentElement();
    return root != nullptr ? toUtf8(root->getTextContent()) : "";
}

} // namespace

TEST(XmlParser, EntityBombsAreRefusedAtTheFirstDeclaration) {
    for (const std::string& bomb : {billionLaughs(), quadraticBlowup()}) {
        std::string message = raisedMessage(bomb);
        EXPECT_NE(message.find("refused: documents may not declare entities"), std::string::npos)
            << message;

        XmlParser::Result collected =
            XmlParser::parse(bomb, platform::xml::kVerifierInput, XmlParser::Errors::Collect);
        EXPECT_EQ(collected.errorCount, 1u);
        EXPECT_EQ(collected.lastError, message);
        ASSERT_TRUE(collected.document);
        EXPECT_EQ(documentText(*collected.document).find("lol"), std::string::npos);
    }
}

TEST(XmlParser, ExternalEntitiesAndDtdsAreNeverRead) {
    testpki::TempHome home;
    std::string secret = home.path() + "/secret.txt";
    testpki::writeFile(secret, "TOP-SECRET-TEXT");
    std::string dtd = home.path() + "/defs.dtd";
    testpki::writeFile(dtd, "<!ENTITY x \"TOP-SECRET-TEXT\">");
    xmltest::LoopbackListener listener;
    std::string remote = "http://127.0.0.1:" + std::to_string(listener.port()) + "/defs.dtd";

    const std::string documents[] = {
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"file://" + secret + "\">]><r>a&x;b</r>",
        "<!DOCTYPE r [<!ENTITY % p SYSTEM \"file://" + secret + "\"> %p;]><r>a</r>",
        "<!DOCTYPE r SYSTEM \"file://" + dtd + "\"><r>a&x;b</r>",
        "<!DOCTYPE r SYSTEM \"" + remote + "\"><r>a</r>",
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + remote + "\">]><r>&x;</r>",
        "<r xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\"urn:x " +
            remote + "\">a</r>",
    };
    for (const std::string& text : documents) {
        XmlParser::Result result =
            XmlParser::parse(text, platform::xml::kVerifierInput, XmlParser::Errors::Collect);
        ASSERT_TRUE(result.document);
        EXPECT_EQ(documentText(*result.document).find("TOP-SECRET-TEXT"), std::string::npos)
            << text;
        EXPECT_FALSE(listener.connected()) << text;
    }
}

TEST(XmlParser, DocumentTypesWithoutEntitiesAreAccepted) {
    auto document = xmltest::parse("<!DOCTYPE r [<!ATTLIST r id ID #IMPLIED>]><r id=\"x\">t</r>");
    EXPECT_EQ(documentText(*document), "t");
}

TEST(XmlParser, NestingIsBoundedAndSiblingsAreNot) {
    auto nested = [](size_t depth) {
        std::string text;
        for (size_t i = 0; i < depth; ++i) {
            text += "<a>";
        }
        for (size_t i = 0; i < depth; ++i) {
            text += "</a>";
        }
        return text;
    };
    EXPECT_EQ(raisedMessage(nested(XmlParser::kMaxDepth)), "");
    EXPECT_NE(raisedMessage(nested(XmlParser::kMaxDepth + 1)).find("nesting deeper than"),
              std::string::npos);
    // Deep enough to take Xerces minutes were it not refused.
    EXPECT_NE(raisedMessage(nested(200000)), "");

    std::string siblings = "<r>";
    for (size_t i = 0; i < 3 * XmlParser::kMaxDepth; ++i) {
        siblings += "<e/><f></f>";
    }
    EXPECT_EQ(raisedMessage(siblings + "</r>"), "");
}

TEST(XmlParser, RaisingGivesTheParsersMessageAndInputName) {
    try {
        XmlParser::parseOrRaise("<r><a>text</r>", platform::xml::kSignerInput);
        FAIL() << "no exception";
    } catch (const xercesc::SAXParseException& e) {
        EXPECT_EQ(toUtf8(e.getMessage()), "expected end of tag 'a'");
        EXPECT_EQ(toUtf8(e.getSystemId()), "ID_FAKE");
        EXPECT_EQ(e.getLineNumber(), 1u);
    }
}

TEST(XmlParser, CollectingKeepsTheLastMessageAndTheDocumentSoFar) {
    XmlParser::Result result = XmlParser::parse(
        "<r><a>text</a><b>more</r>", platform::xml::kVerifierInput, XmlParser::Errors::Collect);
    EXPECT_EQ(result.errorCount, 1u);
    EXPECT_EQ(result.lastError, "expected end of tag 'b'");
    ASSERT_TRUE(result.document);
    ASSERT_NE(result.document->getDocumentElement(), nullptr);
    EXPECT_EQ(documentText(*result.document), "textmore");

    XmlParser::Result notXml = XmlParser::parse("not xml at all", platform::xml::kVerifierInput,
                                                XmlParser::Errors::Collect);
    EXPECT_GE(notXml.errorCount, 1u);
    EXPECT_FALSE(notXml.lastError.empty());
    ASSERT_TRUE(notXml.document);
    EXPECT_EQ(notXml.document->getDocumentElement(), nullptr);

    XmlParser::Result empty =
        XmlParser::parse("", platform::xml::kVerifierInput, XmlParser::Errors::Collect);
    ASSERT_TRUE(empty.document);
    EXPECT_EQ(empty.document->getDocumentElement(), nullptr);
}

TEST(XmlParser, NamespacesCanBeLeftOut) {
    const std::string text = "<p:a q:b=\"1\"><p:c/></p:a>";
    EXPECT_NE(raisedMessage(text), ""); // unbound prefixes
    auto document =
        XmlParser::parseOrRaise(text, platform::xml::kSignerInput, XmlParser::Namespaces::Off);
    const xercesc::DOMElement* root = document->getDocumentElement();
    EXPECT_EQ(toUtf8(root->getNodeName()), "p:a");
    EXPECT_EQ(root->getNamespaceURI(), nullptr);

    auto aware = xmltest::parse("<p:a xmlns:p=\"urn:p\"/>");
    EXPECT_EQ(toUtf8(aware->getDocumentElement()->getNamespaceURI()), "urn:p");
    EXPECT_EQ(toUtf8(aware->getDocumentElement()->getLocalName()), "a");
}
