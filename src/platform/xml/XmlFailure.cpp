#include "platform/xml/XmlFailure.h"

#include <utility>

#include "stream/exceptions/StreamException.h"

namespace platform::xml {

void raiseXmlFailure(std::string message) {
    throw stream::exceptions::StreamException(std::move(message), kXmlFailureCode);
}

} // namespace platform::xml
