#include "platform/xml/HttpURIResolver.h"

#include <xercesc/util/BinMemInputStream.hpp>
#include <xsec/framework/XSECException.hpp>

#include "platform/http/FetchURL.h"
#include "platform/xml/XmlFailure.h"
#include "platform/xml/XmlLibraries.h"
#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlSerializer.h"
#include "platform/xml/XmlText.h"
#include "stream/exceptions/StreamException.h"

namespace platform::xml {

HttpURIResolver::HttpURIResolver(http::HttpSettings settings) : settings_(std::move(settings)) {}

bool HttpURIResolver::accepts(std::string_view uri) {
    return uri.starts_with("http://") || uri.starts_with("https://");
}

std::string HttpURIResolver::bodyBytes(std::string_view body) {
    XmlParser::Result parsed = XmlParser::parse(body, kResolverInput, XmlParser::Errors::Collect);
    if (parsed.errorCount != 0) {
        return std::string(body);
    }
    return XmlSerializer::serialize(*parsed.document);
}

xercesc::BinInputStream* HttpURIResolver::resolveURI(const XMLCh* uri) {
    if (uri == nullptr) {
        return nullptr;
    }
    XmlLibraries::require();
    std::string url = toUtf8(uri);
    if (baseURI_.empty()) {
        baseURI_ = url;
    }
    std::string bytes;
    try {
        stream::ByteBuffer body = http::fetchURL(url, kXmlFailureCode, settings_);
        bytes =
            bodyBytes(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
    } catch (const stream::exceptions::StreamException& e) {
        throw XSECException(XSECException::HTTPURIInputStreamError, XmlString(e.message()).get());
    }
    return new xercesc::BinMemInputStream(reinterpret_cast<const XMLByte*>(bytes.data()),
                                          bytes.size(), xercesc::BinMemInputStream::BufOpt_Copy);
}

void HttpURIResolver::setBaseURI(const XMLCh* uri) {
    baseURI_ = toUtf8(uri);
}

XSECURIResolver* HttpURIResolver::clone() {
    auto* copy = new HttpURIResolver(settings_);
    copy->baseURI_ = baseURI_;
    return copy;
}

} // namespace platform::xml
