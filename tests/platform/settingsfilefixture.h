#pragma once
// A settings file of the test's own in a temporary folder, written and read back as bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

class TSettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path()
              / ("inifile-" + std::to_string(::getpid()) + "-" + test->test_suite_name() + "-" + test->name());
        std::filesystem::create_directories(dir);
        path = (dir / "settings.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void put(const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    std::string bytes() const
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::filesystem::path dir;
    std::string path;
};
