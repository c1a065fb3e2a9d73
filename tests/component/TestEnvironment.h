#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

// A fresh temporary directory per test, used as TMPDIR and QUILLION_HOME, removed after.
class TestEnvironment : public ::testing::Test {
protected:
    void SetUp() override {
        const char* previous = std::getenv("TMPDIR");
        previousTmp_ = previous == nullptr ? "" : previous;
        std::string pattern =
            (std::filesystem::temp_directory_path() / "q2component.XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        setenv("TMPDIR", dir_.c_str(), 1);
        setenv("QUILLION_HOME", (dir_ / "home").c_str(), 1);
        unsetenv("QUILLION_UI_ANSWERS");
        std::filesystem::create_directories(dir_ / "home");
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        // The next test of this process makes its folder where the first one did.
        if (previousTmp_.empty()) {
            unsetenv("TMPDIR");
        } else {
            setenv("TMPDIR", previousTmp_.c_str(), 1);
        }
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(path(name), std::ios::binary);
        out << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path dir_;
    std::string previousTmp_;
};
