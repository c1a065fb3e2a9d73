// A loadable module that uses the process-wide log, as the component does: the test loads it,
// logs through it and unloads it, and the footer must be written at unload.
#include "stream/Log.h"
#include "stream/LogLevel.h"

extern "C" void stream_log_fixture_open(const char* path) {
    stream::Log::instance().open(path, "/nowhere/libfixture.so", stream::LOG_ALL);
    stream::Log::instance().log(stream::LOG_INFO, "inside the module");
}
