#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/xml/XercesHandles.h"

namespace platform::xml {

// The names given to in-memory inputs (the system id of the buffer, which parse messages and
// relative references see).
inline constexpr const char* kSignerInput = "ID_FAKE";    // documents to sign, settings
inline constexpr const char* kVerifierInput = "XSECMem";  // messages to verify
inline constexpr const char* kResolverInput = "ID_FAKE1"; // bodies fetched over HTTP

// The one parser configuration of the system: a Xerces DOM parser with namespaces (or, for
// a setting's text, without), no validation, no schema processing or loading, no external
// DTD, no external entity ever opened (file or network), entity references expanded in
// place, and no entity declarations at all: a document type that declares an entity (the
// way to "billion laughs" and quadratic blow-ups) is refused at the first declaration, and
// Xerces' entity expansion limit stands behind that. Elements nested deeper than kMaxDepth
// are refused too (Xerces takes quadratic time over deep nesting, and recursive walks of the
// XML libraries would exhaust the stack).
//
// Two error behaviours:
// - Raise: the first error ends the parse with a xercesc::SAXParseException carrying the
//   parser's message.
// - Collect: errors are counted and the last message kept; nothing is raised and the
//   document built so far is returned (an empty document when nothing was built).
class XmlParser {
public:
    enum class Errors { Raise, Collect };
    enum class Namespaces { On, Off };

    struct Result {
        DocumentPtr document;
        size_t errorCount = 0;
        std::string lastError; // UTF-8; empty when there was no error
    };

    static Result parse(std::string_view bytes, const char* inputName, Errors errors,
                        Namespaces namespaces = Namespaces::On);

    // parse() with Errors::Raise: the document, never null.
    static DocumentPtr parseOrRaise(std::string_view bytes, const char* inputName,
                                    Namespaces namespaces = Namespaces::On);

    // The bound on entity expansions handed to Xerces' SecurityManager.
    static constexpr unsigned kEntityExpansionLimit = 10000;
    // The deepest element nesting accepted.
    static constexpr size_t kMaxDepth = 1000;
};

} // namespace platform::xml
