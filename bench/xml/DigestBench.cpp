// The reference digester on one document: the time and the growth of the peak resident
// memory of parsing it, and of digesting each ds:Reference of its first signature. With
// --stream, the streaming road instead: one SAX pass that canonicalises the document less its
// signatures (Canonical XML 1.0) into a SHA-1 digest.
// Usage: xml_digest_bench [--stream] FILE
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include <xercesc/dom/DOMDocument.hpp>

#include "platform/crypt/Digest.h"
#include "platform/xml/DocumentScan.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/ReferenceDigester.h"
#include "platform/xml/StreamCanonicalizer.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlParser.h"
#include "stream/Base64.h"

namespace {

// VmHWM of this process in KiB.
long peakKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

double since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int streamed(const std::string& bytes) {
    namespace xml = platform::xml;
    long before = peakKib();
    auto start = std::chrono::steady_clock::now();
    platform::crypt::Digest digest(platform::crypt::HashAlgorithm::SHA1);
    xml::StreamCanonicalizer canonicalizer(
        {}, [&digest](const unsigned char* data, size_t size) { digest.update(data, size); });
    std::optional<xml::DocumentOutline> outline = xml::DocumentScan::scan(bytes, &canonicalizer);
    std::vector<unsigned char> value = digest.finish();
    double streaming = since(start);
    std::string text = stream::Base64::encode(
        std::string_view(reinterpret_cast<const char*>(value.data()), value.size()));
    std::printf("document      %10zu bytes\n", bytes.size());
    std::printf("stream digest %s %8.3f s  peak +%ld KiB (%s)\n", text.c_str(), streaming,
                peakKib() - before, outline ? "streamed" : "cannot stream");
    return outline ? 0 : 1;
}

int main(int argc, char** argv) {
    bool stream = argc == 3 && std::string(argv[1]) == "--stream";
    if (argc != 2 && !stream) {
        std::fprintf(stderr, "usage: %s [--stream] FILE\n", argv[0]);
        return 2;
    }
    std::string bytes;
    {
        std::ifstream in(argv[argc - 1], std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        bytes = content.str();
    }
    if (stream) {
        return streamed(bytes);
    }
    namespace xml = platform::xml;
    long before = peakKib();
    auto start = std::chrono::steady_clock::now();
    xml::DocumentPtr document = xml::XmlParser::parseOrRaise(bytes, xml::kSignerInput);
    double parsing = since(start);
    long parsed = peakKib();
    std::printf("document      %10zu bytes\n", bytes.size());
    std::printf("parse         %8.3f s  peak +%ld KiB\n", parsing, parsed - before);
    auto references = xml::descendantElements(*document, xml::dsig::kNamespace, "Reference");
    for (const xercesc::DOMElement* reference : references) {
        auto* writable = const_cast<xercesc::DOMElement*>(reference);
        start = std::chrono::steady_clock::now();
        std::vector<unsigned char> digest = xml::ReferenceDigester::digest(*writable);
        double digesting = since(start);
        std::string text = stream::Base64::encode(
            std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
        std::printf("digest URI=\"%s\" %s %8.3f s  peak +%ld KiB over the parsed document\n",
                    xml::attributeText(*reference, "URI").c_str(), text.c_str(), digesting,
                    peakKib() - parsed);
    }
    return 0;
}
