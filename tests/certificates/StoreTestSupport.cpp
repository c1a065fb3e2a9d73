#include "StoreTestSupport.h"

#include <atomic>
#include <cstdlib>

#include "stream/Log.h"
#include "stream/LogLevel.h"

TestLog::TestLog(const testpki::TempHome& home) : path_(home.path() + "/test.log") {
    stream::Log::instance().open(path_, "", stream::LOG_ALL, 1);
}

TestLog::~TestLog() {
    stream::Log::instance().setMask(0);
}

std::string TestLog::text() const {
    stream::Log::instance().flush();
    return testpki::readFile(path_);
}

void scriptAnswers(const testpki::TempHome& home, const std::string& lines) {
    static std::atomic<int> counter{0};
    std::string path = home.path() + "/answers" + std::to_string(++counter) + ".txt";
    testpki::writeFile(path, lines);
    setenv("QUILLION_UI_ANSWERS", path.c_str(), 1);
}
