// Elements chosen by an XPath expression for an enveloped signature's place.
#include <string>

#include <gtest/gtest.h>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "XmlTestSupport.h"
#include "platform/xml/XPathSelection.h"
#include "platform/xml/XmlFailure.h"
#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlText.h"
#include "stream/exceptions/StreamException.h"

using platform::xml::XPathSelection;

namespace {

const char kDocument[] = "<doc xmlns=\"urn:d\"><a:list xmlns:a=\"urn:a\">"
                         "<a:item n=\"1\"/><a:item n=\"2\">two</a:item></a:list>"
                         "<b:other xmlns:b=\"urn:b\"/></doc>";

std::string names(const std::vector<xercesc::DOMElement*>& elements) {
    std::string out;
    for (const xercesc::DOMElement* element : elements) {
        out += platform::xml::toUtf8(element->getNodeName());
        std::string n = platform::xml::toUtf8(element->getAttribute(u"n"));
        out += n.empty() ? " " : "#" + n + " ";
    }
    return out;
}

void expectNoValidNode(xercesc::DOMDocument& document, const char* expression) {
    try {
        XPathSelection::elements(document, expression);
        ADD_FAILURE() << "no exception for " << expression;
    } catch (const stream::exceptions::StreamException& e) {
        EXPECT_EQ(e.code(), static_cast<int32_t>(0x8004465Bu));
        EXPECT_EQ(e.message(), "No se encontro un nodo de tipo válido");
    }
}

} // namespace

TEST(XPathSelection, PrefixesComeFromTheWholeDocument) {
    auto document = xmltest::parse(kDocument);
    // a and b are declared below the document element, where the expression starts.
    EXPECT_EQ(names(XPathSelection::elements(*document, "a:list/a:item")), "a:item#1 a:item#2 ");
    EXPECT_EQ(names(XPathSelection::elements(*document, "//a:item[@n='2']")), "a:item#2 ");
    EXPECT_EQ(names(XPathSelection::elements(*document, "//b:other")), "b:other ");
    EXPECT_EQ(names(XPathSelection::elements(*document, ".")), "doc ");
}

TEST(XPathSelection, TheDocumentNodeStandsForItsElement) {
    auto document = xmltest::parse(kDocument);
    EXPECT_EQ(names(XPathSelection::elements(*document, "/")), "doc ");
    EXPECT_EQ(names(XPathSelection::elements(*document, "//b:other | /")), "doc b:other ");
}

TEST(XPathSelection, OtherKindsOfNodesAreRefused) {
    auto document = xmltest::parse(kDocument);
    expectNoValidNode(*document, "//a:item/@n");
    expectNoValidNode(*document, "//a:item/text()");
    expectNoValidNode(*document, "//a:item | //a:item/@n");
}

TEST(XPathSelection, WhatCannotBeEvaluatedSelectsNothing) {
    auto document = xmltest::parse(kDocument);
    EXPECT_TRUE(XPathSelection::elements(*document, "//x:unbound").empty());
    EXPECT_TRUE(XPathSelection::elements(*document, "//a:item[").empty());
    EXPECT_TRUE(XPathSelection::elements(*document, "count(//a:item)").empty());
    EXPECT_TRUE(XPathSelection::elements(*document, "//nothing").empty());
    auto empty = platform::xml::XmlParser::parse("", platform::xml::kSignerInput,
                                                 platform::xml::XmlParser::Errors::Collect);
    EXPECT_TRUE(XPathSelection::elements(*empty.document, "/").empty());
}
