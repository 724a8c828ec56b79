// A fresh, empty working directory per test: the program reads and writes
// its settings and log files by bare name in the current directory.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class test_dir {
public:
    test_dir();
    ~test_dir();
    test_dir(const test_dir&) = delete;
    test_dir& operator=(const test_dir&) = delete;
    const std::filesystem::path& path() const { return dir_; }

private:
    std::filesystem::path old_;
    std::filesystem::path dir_;
};

// Fixture that runs each test inside its own test_dir.
class in_test_dir : public ::testing::Test {
protected:
    test_dir dir_;
};

std::string read_file_bytes(const std::filesystem::path& p);
void write_file_bytes(const std::filesystem::path& p, const std::string& bytes);
