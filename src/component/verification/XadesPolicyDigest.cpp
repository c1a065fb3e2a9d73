#include "component/verification/XadesPolicyDigest.h"

#include <vector>

#include <xsec/dsig/DSIGConstants.hpp>
#include <xsec/dsig/DSIGReference.hpp>
#include <xsec/framework/XSECProvider.hpp>

#include "component/verification/XmlReferenceResolver.h"
#include "platform/xml/XmlFailure.h"
#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlText.h"
#include "platform/xml/XsecHandles.h"
#include "stream/Base64.h"

namespace component::verification {

std::string xadesPolicyDigest(const std::string& uri, bool canonical) {
    constexpr unsigned kSha1Size = 20;
    platform::xml::DocumentPtr scratch =
        platform::xml::XmlParser::parseOrRaise("<tag></tag>", platform::xml::kVerifierInput);
    XSECProvider provider;
    std::unique_ptr<XSECURIResolver> resolver = newXmlReferenceResolver();
    platform::xml::SignaturePtr signature = platform::xml::newSignature(provider);
    signature->setURIResolver(resolver.get());
    signature->createBlankSignature(scratch.get(), DSIGConstants::s_unicodeStrURIC14N_NOC,
                                    DSIGConstants::s_unicodeStrURIRSA_SHA1);
    DSIGReference* reference = signature->createReference(platform::xml::XmlString(uri),
                                                          DSIGConstants::s_unicodeStrURISHA1);
    if (canonical) {
        reference->appendCanonicalizationTransform(DSIGConstants::s_unicodeStrURIC14N_NOC);
    }
    std::vector<unsigned char> digest(kSha1Size);
    if (reference->calculateHash(digest.data(), kSha1Size) != kSha1Size) {
        platform::xml::raiseXmlFailure("The digest of the signature policy could not be computed");
    }
    return stream::Base64::encodeLines(digest.data(), digest.size(), "\r\n");
}

} // namespace component::verification
