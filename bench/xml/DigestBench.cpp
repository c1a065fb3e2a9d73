// The reference digester on one document: the time and the growth of the peak resident
// memory of parsing it, and of digesting each ds:Reference of its first signature.
// Usage: xml_digest_bench FILE
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <xercesc/dom/DOMDocument.hpp>

#include "platform/xml/DomLookup.h"
#include "platform/xml/ReferenceDigester.h"
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

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    std::string bytes;
    {
        std::ifstream in(argv[1], std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        bytes = content.str();
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
