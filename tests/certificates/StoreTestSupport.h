#pragma once

#include <string>

#include "TestPki.h"
#include "platform/stores/StorePaths.h"

// Writes a certificate (PEM or DER) and optionally its key into a store folder.
inline std::string storeDir(const testpki::TempHome& home, const std::string& name,
                            const std::string& location = "CurrentUser") {
    return home.home() + "/stores/" + location + "/" + name;
}

// The log of the test, opened in the test's own folder; read back with logText().
class TestLog {
public:
    explicit TestLog(const testpki::TempHome& home);
    ~TestLog();
    std::string text() const;

private:
    std::string path_;
};

// An answers file for the scripted user interaction (a fresh name per call).
void scriptAnswers(const testpki::TempHome& home, const std::string& lines);
