#include "component/signing/XmlTarget.h"

#include <string_view>

#include "component/module/ErrorCodes.h"
#include "platform/http/FetchURL.h"
#include "platform/http/PageAccess.h"
#include "platform/xml/XmlParser.h"
#include "stream/HexDigits.h"
#include "stream/WholeFile.h"
#include "stream/exceptions/StreamException.h"

namespace component::signing {

namespace {

using stream::exceptions::StreamException;

bool parsesAsXml(std::string_view bytes) {
    return platform::xml::XmlParser::parse(bytes, platform::xml::kSignerInput,
                                           platform::xml::XmlParser::Errors::Collect)
               .errorCount == 0;
}

} // namespace

std::string filePathOf(const std::string& uri) {
    std::string_view rest = std::string_view(uri).substr(std::string_view("file://").size());
    std::string path;
    path.reserve(rest.size());
    for (size_t i = 0; i < rest.size(); ++i) {
        int high = i + 2 < rest.size() ? stream::hex::digitValue(rest[i + 1]) : -1;
        int low = i + 2 < rest.size() ? stream::hex::digitValue(rest[i + 2]) : -1;
        if (rest[i] == '%' && high >= 0 && low >= 0) {
            path.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else {
            path.push_back(rest[i]);
        }
    }
    return path;
}

bool isXmlTarget(const std::string& uri) {
    platform::http::PageAccess::require(uri);
    if (uri.empty() || uri.starts_with("#")) {
        return true;
    }
    if (uri.starts_with("file:///")) {
        stream::ByteBuffer bytes;
        try {
            bytes = stream::readWholeFile(filePathOf(uri));
        } catch (const StreamException&) {
            throw StreamException("File not found", module::QN_E_READ);
        }
        return parsesAsXml(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    stream::ByteBuffer body = platform::http::fetchURL(uri, module::QN_E_READ);
    if (body.size() == 0) {
        throw StreamException("El fichero no debe ser nulo.", module::QN_E_READ);
    }
    return parsesAsXml(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
}

} // namespace component::signing
