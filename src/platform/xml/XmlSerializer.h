#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMNode.hpp>

#include "platform/xml/XercesHandles.h"

namespace platform::xml {

// Xerces' DOM writer (DOMLSSerializer, with its defaults) into memory, in one output
// encoding. Each write() appends the text of a node to the bytes written so far; a document
// node brings its XML declaration. A failure of the writer (an unknown encoding, a name the
// encoding cannot hold) raises StreamException kXmlFailureCode with the writer's message.
class XmlSerializer {
public:
    // An empty encoding is UTF-8.
    explicit XmlSerializer(std::string_view encoding);
    ~XmlSerializer();
    XmlSerializer(const XmlSerializer&) = delete;
    XmlSerializer& operator=(const XmlSerializer&) = delete;

    void write(const xercesc::DOMNode& node);
    const std::string& bytes() const noexcept;
    std::string take() noexcept;

    // The document in `encoding`, or, when it is empty, in the encoding its XML declaration
    // names (UTF-8 when it names none).
    static std::string serialize(const xercesc::DOMDocument& document,
                                 std::string_view encoding = {});
    // The encoding named by the document's XML declaration; "" when there is none.
    static std::string declaredEncoding(const xercesc::DOMDocument& document);

private:
    struct Target;
    std::unique_ptr<Target> target_;
    SerializerPtr serializer_;
    OutputPtr output_;
};

} // namespace platform::xml
