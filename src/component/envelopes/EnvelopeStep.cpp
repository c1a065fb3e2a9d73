#include "component/envelopes/EnvelopeStep.h"

#include "stream/Log.h"
#include "stream/LogLevel.h"

namespace component::envelopes {

void logWarning(std::string_view message) {
    stream::Log::instance().log(stream::LOG_WARNING, message);
}

} // namespace component::envelopes
