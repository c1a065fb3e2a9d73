#include "component/signing/ExternalReferenceDigest.h"

#include <memory>

#include <xercesc/util/BinInputStream.hpp>
#include <xsec/framework/XSECException.hpp>

#include "platform/crypt/Digest.h"
#include "platform/http/PageAccess.h"
#include "platform/xml/CompositeURIResolver.h"
#include "platform/xml/NodeSet.h"
#include "platform/xml/NodeSetCanonicalizer.h"
#include "platform/xml/NodeSetDocument.h"
#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlText.h"

namespace component::signing {

std::vector<unsigned char> externalReferenceDigest(const std::string& uri, bool canonical) {
    // Refused here already so that the signer reports the refusal with its own code.
    platform::http::PageAccess::require(uri);
    platform::xml::CompositeURIResolver resolver;
    std::unique_ptr<xercesc::BinInputStream> input(
        resolver.resolveURI(platform::xml::XmlString(uri).get()));
    if (!input) {
        throw XSECException(
            XSECException::ErrorOpeningURI,
            platform::xml::XmlString("Nothing to read for the URI \"" + uri + "\"").get());
    }
    platform::crypt::Digest digest(platform::crypt::HashAlgorithm::SHA1);
    std::string document;
    XMLByte chunk[16384];
    for (XMLSize_t n; (n = input->readBytes(chunk, sizeof chunk)) != 0;) {
        if (canonical) {
            document.append(reinterpret_cast<const char*>(chunk), n);
        } else {
            digest.update(chunk, n);
        }
    }
    if (canonical) {
        platform::xml::DocumentPtr parsed =
            platform::xml::XmlParser::parseOrRaise(document, platform::xml::kResolverInput);
        document.clear();
        platform::xml::NodeSetDocument nodes(*parsed);
        platform::xml::NodeSetCanonicalizer::canonicalize(
            nodes, platform::xml::NodeSet::subtree(*parsed, false), {},
            [&digest](const unsigned char* bytes, size_t size) { digest.update(bytes, size); });
    }
    return digest.finish();
}

} // namespace component::signing
