#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xml/DocumentScan.h"
#include "stream/ByteBuffer.h"

namespace component::signing {

// A document that gets an enveloped signature of the whole of it (reference URI "" with the
// enveloped-signature, signature-dropping XPath and C14N transforms), read in one streaming
// pass instead of as a DOM: the reference's digest is taken while the document is parsed,
// the signer builds its signature in the document's skeleton (declaration, document element
// and the signatures under it, all in the same namespace context as in the document), and
// the new signature's text is put into the caller's bytes just before the document
// element's end tag, leaving every other byte of the document as it was.
class StreamedDocument {
public:
    // nullopt when the document cannot take this road (see DocumentScan; also a document
    // that is not well-formed, which the DOM road reports); the caller then builds a DOM.
    static std::optional<StreamedDocument> open(std::string_view document);

    // SHA-1 of the canonical form (C14N 1.0 without comments) of the document less its
    // signatures.
    const std::vector<unsigned char>& digest() const noexcept { return digest_; }
    // The text the signer parses in place of the document.
    const std::string& skeleton() const noexcept { return skeleton_; }
    // The values of the document's Id attributes (the skeleton lacks most of them).
    const std::vector<std::string>& ids() const noexcept { return outline_.ids; }
    // The encoding the document is written in ("UTF-8" when its declaration names none).
    std::string encoding() const;

    // The document with signature (text in the document's encoding) put in as the last child
    // of its document element.
    stream::ByteBuffer withSignature(std::string_view document, std::string_view signature) const;

private:
    platform::xml::DocumentOutline outline_;
    std::vector<unsigned char> digest_;
    std::string skeleton_;
};

} // namespace component::signing
