#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

// A fresh directory per test, exported as TMPDIR and QUILLION_HOME (so the registry file is
// the test's own). Removed at the end of the test.
class TestHome {
public:
    TestHome() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/com_test_XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "mkdtemp failed";
        }
        path_ = pattern;
        setenv("QUILLION_HOME", (path_ + "/home").c_str(), 1);
    }
    ~TestHome() {
        unsetenv("QUILLION_HOME");
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    const std::string& path() const { return path_; }
    std::string home() const { return path_ + "/home"; }

private:
    std::string path_;
};
