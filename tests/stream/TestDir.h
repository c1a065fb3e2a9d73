#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

// A fresh temporary directory per test, also exported as TMPDIR and QUILLION_HOME so that
// tests can run in parallel. Removed at the end of the test.
class TestDir {
public:
    TestDir() {
        std::string base = std::filesystem::temp_directory_path().string();
        std::string pattern = base + "/stream_test_XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "mkdtemp failed";
        }
        path_ = pattern;
        const char* previous = std::getenv("TMPDIR");
        if (previous) {
            previousTmp_ = previous;
            hadTmp_ = true;
        }
        setenv("TMPDIR", path_.c_str(), 1);
        setenv("QUILLION_HOME", (path_ + "/home").c_str(), 1);
    }
    ~TestDir() {
        if (hadTmp_) {
            setenv("TMPDIR", previousTmp_.c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void write(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::string path_;
    std::string previousTmp_;
    bool hadTmp_ = false;
};
