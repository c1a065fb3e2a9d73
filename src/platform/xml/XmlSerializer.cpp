#include "platform/xml/XmlSerializer.h"

#include <xercesc/dom/DOMConfiguration.hpp>
#include <xercesc/dom/DOMError.hpp>
#include <xercesc/dom/DOMErrorHandler.hpp>
#include <xercesc/dom/DOMImplementation.hpp>
#include <xercesc/dom/DOMImplementationRegistry.hpp>
#include <xercesc/framework/XMLFormatter.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "platform/xml/XmlFailure.h"
#include "platform/xml/XmlLibraries.h"
#include "platform/xml/XmlText.h"

namespace platform::xml {

// The memory target the writer writes into, and the writer's error reports.
struct XmlSerializer::Target : public xercesc::XMLFormatTarget, public xercesc::DOMErrorHandler {
    std::string bytes;
    std::string error;

    void writeChars(const XMLByte* const toWrite, const XMLSize_t count,
                    xercesc::XMLFormatter* const) override {
        bytes.append(reinterpret_cast<const char*>(toWrite), count);
    }
    void flush() override {}

    bool handleError(const xercesc::DOMError& failure) override {
        if (failure.getSeverity() != xercesc::DOMError::DOM_SEVERITY_WARNING && error.empty()) {
            error = toUtf8(failure.getMessage());
        }
        // Warnings let the writer go on; errors end the write.
        return failure.getSeverity() == xercesc::DOMError::DOM_SEVERITY_WARNING;
    }
};

XmlSerializer::XmlSerializer(std::string_view encoding) : target_(std::make_unique<Target>()) {
    XmlLibraries::require();
    static const XMLCh ls[] = {u'L', u'S', 0};
    xercesc::DOMImplementation* implementation =
        xercesc::DOMImplementationRegistry::getDOMImplementation(ls);
    serializer_.reset(implementation->createLSSerializer());
    output_.reset(implementation->createLSOutput());
    output_->setByteStream(target_.get());
    XmlString name(encoding.empty() ? std::string_view("UTF-8") : encoding);
    output_->setEncoding(name);
    xercesc::DOMConfiguration* config = serializer_->getDomConfig();
    config->setParameter(xercesc::XMLUni::fgDOMErrorHandler,
                         static_cast<xercesc::DOMErrorHandler*>(target_.get()));
}

XmlSerializer::~XmlSerializer() = default;

void XmlSerializer::write(const xercesc::DOMNode& node) {
    target_->error.clear();
    bool written = serializer_->write(&node, output_.get());
    if (!written) {
        raiseXmlFailure(target_->error.empty() ? std::string("The XML writer failed")
                                               : target_->error);
    }
}

const std::string& XmlSerializer::bytes() const noexcept {
    return target_->bytes;
}

std::string XmlSerializer::take() noexcept {
    std::string out = std::move(target_->bytes);
    target_->bytes.clear();
    return out;
}

std::string XmlSerializer::serialize(const xercesc::DOMDocument& document,
                                     std::string_view encoding) {
    std::string chosen = encoding.empty() ? declaredEncoding(document) : std::string(encoding);
    XmlSerializer serializer(chosen);
    serializer.write(document);
    return serializer.take();
}

std::string XmlSerializer::declaredEncoding(const xercesc::DOMDocument& document) {
    return toUtf8(document.getXmlEncoding());
}

} // namespace platform::xml
