// The URI resolvers of the XML layer against files and a loopback HTTP server.
#include <memory>

#include <gtest/gtest.h>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/BinInputStream.hpp>
#include <xsec/framework/XSECException.hpp>

#include "TestPki.h"
#include "TestServer.h"
#include "component/signing/ExternalReferenceDigest.h"
#include "platform/xml/CompositeURIResolver.h"
#include "platform/xml/HttpURIResolver.h"
#include "platform/xml/LocalURIResolver.h"
#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlSerializer.h"
#include "platform/xml/XmlText.h"

using platform::xml::CompositeURIResolver;
using platform::xml::HttpURIResolver;
using platform::xml::LocalURIResolver;
using platform::xml::XmlString;

namespace {

std::string readAll(XSECURIResolver& resolver, const std::string& uri) {
    std::unique_ptr<xercesc::BinInputStream> input(resolver.resolveURI(XmlString(uri)));
    if (!input) {
        throw std::runtime_error("no stream");
    }
    std::string out;
    XMLByte chunk[1000];
    for (XMLSize_t n; (n = input->readBytes(chunk, sizeof chunk)) != 0;) {
        out.append(reinterpret_cast<const char*>(chunk), n);
    }
    return out;
}

std::string messageOf(const XSECException& e) {
    return platform::xml::toUtf8(e.getMsg());
}

class Resolvers : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("http_proxy");
        unsetenv("HTTP_PROXY");
        unsetenv("all_proxy");
        testpki::run("mkdir -p " + files_);
        testpki::writeFile(files_ + "/doc.xml", kXml);
        testpki::writeFile(files_ + "/bin.dat", std::string("\x00<a>\xff\r\n", 7));
    }
    static constexpr const char* kXml =
        "<?xml version='1.0' encoding='ISO-8859-1'?>\n<r  b = \"2\" a='1'>a\xF1o<e></e></r>";

    testpki::TempHome home_;
    std::string files_ = home_.path() + "/files";
};

} // namespace

TEST_F(Resolvers, WhichUrisEachAccepts) {
    EXPECT_TRUE(LocalURIResolver::accepts(""));
    EXPECT_TRUE(LocalURIResolver::accepts("#id"));
    EXPECT_TRUE(LocalURIResolver::accepts("file:///tmp/x"));
    EXPECT_FALSE(LocalURIResolver::accepts("http://x/"));
    EXPECT_FALSE(LocalURIResolver::accepts("FILE:///tmp/x"));
    EXPECT_TRUE(HttpURIResolver::accepts("http://x/"));
    EXPECT_TRUE(HttpURIResolver::accepts("https://x/"));
    EXPECT_FALSE(HttpURIResolver::accepts("ftp://x/"));
    EXPECT_FALSE(HttpURIResolver::accepts("file:///x"));
    EXPECT_TRUE(CompositeURIResolver::accepts("https://x/"));
    EXPECT_FALSE(CompositeURIResolver::accepts("urn:oid:1.2.3"));
}

TEST_F(Resolvers, LocalFilesByteForByte) {
    LocalURIResolver local;
    EXPECT_EQ(readAll(local, "file://" + files_ + "/doc.xml"), kXml);
    EXPECT_EQ(readAll(local, "file://" + files_ + "/bin.dat"), std::string("\x00<a>\xff\r\n", 7));
    EXPECT_THROW(readAll(local, "file://" + files_ + "/missing"), XSECException);
    EXPECT_EQ(local.resolveURI(nullptr), nullptr);
    local.setBaseURI(XmlString("file://" + files_ + "/"));
    std::unique_ptr<XSECURIResolver> copy(local.clone());
    EXPECT_EQ(static_cast<LocalURIResolver*>(copy.get())->baseURI(),
              XmlString("file://" + files_ + "/").get());
}

TEST_F(Resolvers, HttpBodiesXmlReserialisedOthersUnchanged) {
    TestServer server({"--files", files_});
    HttpURIResolver http;
    // XML comes back as the DOM writer writes the parsed document, in its own encoding.
    std::string xml = readAll(http, server.url("/files/doc.xml"));
    auto parsed = platform::xml::XmlParser::parseOrRaise(kXml, platform::xml::kResolverInput);
    EXPECT_EQ(xml, platform::xml::XmlSerializer::serialize(*parsed));
    EXPECT_NE(xml, kXml);
    EXPECT_NE(xml.find("a\xF1o"), std::string::npos);
    // The first URI became the base URI; a clone keeps it.
    EXPECT_EQ(http.baseURI(), server.url("/files/doc.xml"));
    std::unique_ptr<XSECURIResolver> copy(http.clone());
    EXPECT_EQ(static_cast<HttpURIResolver*>(copy.get())->baseURI(), http.baseURI());
    // Anything else byte for byte, also past the first 2048 bytes.
    EXPECT_EQ(readAll(http, server.url("/files/bin.dat")), std::string("\x00<a>\xff\r\n", 7));
    EXPECT_EQ(readAll(http, server.url("/large?size=70001")), largeBody(70001));
    EXPECT_EQ(readAll(http, server.url("/large?size=5000&chunked=1")), largeBody(5000));
    EXPECT_EQ(http.resolveURI(nullptr), nullptr);
}

TEST_F(Resolvers, AFailedFetchIsNeverAnEmptyBody) {
    TestServer server({"--files", files_});
    HttpURIResolver http;
    try {
        readAll(http, server.url("/files/missing.xml"));
        ADD_FAILURE() << "a 404 gave a stream";
    } catch (const XSECException& e) {
        EXPECT_EQ(e.getType(), XSECException::HTTPURIInputStreamError);
        EXPECT_NE(messageOf(e).find("HTTP status 404"), std::string::npos) << messageOf(e);
    }
    EXPECT_THROW(readAll(http, server.url("/status/204")), XSECException);
    // The signer's digests of such references fail the same way.
    EXPECT_THROW(component::signing::externalReferenceDigest(server.url("/status/500"), false),
                 XSECException);
    EXPECT_THROW(component::signing::externalReferenceDigest(server.url("/status/500"), true),
                 XSECException);
}

TEST_F(Resolvers, HostileBodiesAreNotExpanded) {
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY a \"";
    laughs += std::string(100000, 'a') + "\">]><l>";
    for (int i = 0; i < 10000; ++i) {
        laughs += "&a;";
    }
    laughs += "</l>";
    testpki::writeFile(files_ + "/laughs.xml", laughs);
    TestServer server({"--files", files_});
    HttpURIResolver http;
    // Not parsed into a document: handed on unchanged, not a gigabyte of expansion.
    EXPECT_EQ(readAll(http, server.url("/files/laughs.xml")), laughs);
    // Canonicalising it is refused by the safe parser.
    EXPECT_THROW(component::signing::externalReferenceDigest(server.url("/files/laughs.xml"), true),
                 xercesc::SAXParseException);
}

TEST_F(Resolvers, CompositeChoosesAndNamesWhatItCannotResolve) {
    TestServer server({"--files", files_});
    CompositeURIResolver composite;
    EXPECT_EQ(readAll(composite, "file://" + files_ + "/bin.dat"),
              std::string("\x00<a>\xff\r\n", 7));
    EXPECT_EQ(readAll(composite, server.url("/files/bin.dat")), std::string("\x00<a>\xff\r\n", 7));
    for (const char* uri : {"ftp://127.0.0.1/x", "urn:oid:2.16.724.1.3.1.1.2.1.8", "datos.xml"}) {
        try {
            readAll(composite, uri);
            ADD_FAILURE() << uri << " resolved";
        } catch (const XSECException& e) {
            EXPECT_EQ(e.getType(), XSECException::ErrorOpeningURI);
            EXPECT_NE(messageOf(e).find(std::string("\"") + uri + "\""), std::string::npos)
                << messageOf(e);
        }
    }
    EXPECT_EQ(composite.resolveURI(nullptr), nullptr);
    std::unique_ptr<XSECURIResolver> copy(composite.clone());
    EXPECT_EQ(readAll(*copy, server.url("/files/bin.dat")), std::string("\x00<a>\xff\r\n", 7));
}
