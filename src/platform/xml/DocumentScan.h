#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xml/StreamCanonicalizer.h"

namespace platform::xml {

// What one streaming pass over a document learns of it, in byte offsets of its text: enough
// to sign or verify a whole-document enveloped signature without building a DOM of the
// document. Names and Id values are UTF-8.
struct DocumentOutline {
    std::string encoding;       // as declared ("" when the declaration names none)
    std::string rootName;       // qualified name of the document element
    size_t rootTagBegin = 0;    // its start tag, from "<"
    size_t rootTagEnd = 0;      // to just after ">"
    size_t rootEndTagBegin = 0; // where its end tag ("</") begins
    struct Signature {
        size_t begin = 0; // the ds:Signature element, from "<"
        size_t end = 0;   // to just after its end
        bool childOfRoot = false;
    };
    std::vector<Signature> signatures; // outermost ds:Signature elements, in document order
    std::vector<std::string> ids;      // values of every attribute named id, Id, ID or iD
    bool encryptedData = false;        // an element named EncryptedData (any namespace)
};

// One SAX pass over a document with the system's safe parser configuration (no DTD, no
// entity, no external resource, bounded nesting), giving its outline and, when a
// canonicaliser is given, the canonical octets of the document less its signatures.
//
// Only documents whose byte offsets can be used as they are stream: UTF-8 (with or without a
// byte order mark), US-ASCII, ISO-8859-1, ISO-8859-15 or Windows-1252, without a document
// type declaration, with a document element that has an end tag. Anything else gives nullopt
// (the caller takes the DOM road); a document that is not well-formed raises the parser's
// xercesc::SAXParseException.
class DocumentScan {
public:
    static std::optional<DocumentOutline> scan(std::string_view bytes,
                                               StreamCanonicalizer* canonicalizer = nullptr);
    // The encoding an XML declaration at the start of bytes names ("" without one), or
    // nullopt when bytes start with a UTF-16 or UTF-32 byte order mark.
    static std::optional<std::string> declaredEncoding(std::string_view bytes);
    // Whether byte offsets of a document in that encoding can be used as they are.
    static bool streamableEncoding(const std::string& encoding);
    // The document reduced to what signing and verifying read of it besides the digest of its
    // content: its XML declaration, its document element's start tag (names, namespaces,
    // attributes) and the signatures that are children of it, then the end tag. Parsed, the
    // signatures stand in the same namespace context as in the document, so their SignedInfo
    // and their properties canonicalise as they do there.
    static std::string skeleton(std::string_view bytes, const DocumentOutline& outline);
};

} // namespace platform::xml
