#include "component/signing/StreamedDocument.h"

#include <xercesc/sax/SAXParseException.hpp>

#include "platform/crypt/Digest.h"
#include "platform/xml/StreamCanonicalizer.h"

namespace component::signing {

std::optional<StreamedDocument> StreamedDocument::open(std::string_view document) {
    platform::crypt::Digest digest(platform::crypt::HashAlgorithm::SHA1);
    platform::xml::StreamCanonicalizer canonicalizer(
        {}, [&digest](const unsigned char* data, size_t size) { digest.update(data, size); });
    std::optional<platform::xml::DocumentOutline> outline;
    try {
        outline = platform::xml::DocumentScan::scan(document, &canonicalizer);
    } catch (const xercesc::SAXParseException&) {
        return std::nullopt;
    }
    if (!outline) {
        return std::nullopt;
    }
    StreamedDocument streamed;
    streamed.digest_ = digest.finish();
    streamed.skeleton_ = platform::xml::DocumentScan::skeleton(document, *outline);
    streamed.outline_ = std::move(*outline);
    return streamed;
}

std::string StreamedDocument::encoding() const {
    return outline_.encoding.empty() ? "UTF-8" : outline_.encoding;
}

stream::ByteBuffer StreamedDocument::withSignature(std::string_view document,
                                                   std::string_view signature) const {
    const size_t at = outline_.rootEndTagBegin;
    stream::ByteBuffer out;
    out.reserveExact(document.size() + signature.size());
    out.append(document.substr(0, at));
    out.append(signature);
    out.append(document.substr(at));
    return out;
}

} // namespace component::signing
