// A scratch folder per test and the built test plug-ins.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

inline std::string TestPlugin(const std::string& name)
{
    return std::string(FV_TEST_PLUGIN_DIR) + "/" + name + ".spi";
}

class ScratchFolder {
public:
    ScratchFolder()
    {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        FPath = std::filesystem::temp_directory_path() /
                ("fv_susie_" + std::string(test->name()) + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(FPath);
        std::filesystem::create_directories(FPath);
    }
    ~ScratchFolder() { std::filesystem::remove_all(FPath); }

    std::string Path(const std::string& name = {}) const { return (FPath / name).string(); }
    // Copies the test plug-in name into the folder as fileName.
    std::string AddPlugin(const std::string& name, const std::string& fileName) const
    {
        std::filesystem::copy_file(TestPlugin(name), FPath / fileName);
        return Path(fileName);
    }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(FPath / name, std::ios::binary) << bytes;
        return Path(name);
    }

private:
    std::filesystem::path FPath;
};
