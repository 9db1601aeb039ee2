#include "app/VersionInfo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

TEST(VersionInfo, TheProgramCarriesItsVersionStrings)
{
    TVersionInfo info;
    ReadVersionInfo(FV_PROGRAM, info);
    EXPECT_EQ(info.CompanyName, "Corvanta");
    EXPECT_EQ(info.FileVersion, "1.1.4.15");
    EXPECT_EQ(info.InternalName, "FVR");
    // Stored as "LegalTrademarks": look-ups ignore case.
    EXPECT_EQ(info.LegalTradeMarks, "Farovinter ぽるてぃか");
    EXPECT_EQ(info.OriginalFilename, "Farovinter.exe");
    EXPECT_EQ(info.ProductName, "Farovinter ぽるてぃか");
    EXPECT_EQ(info.ProductVersion, "1.1.4.0");
    EXPECT_EQ(info.Comments, "");
    EXPECT_FALSE(info.FileDescription.empty());
    EXPECT_FALSE(info.LegalCopyright.empty());
}

TEST(VersionInfo, FilesWithoutVersionDataLeaveTheRecordAlone)
{
    const auto dir = std::filesystem::temp_directory_path() / ("fv_version_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ifstream program(FV_PROGRAM, std::ios::binary);
    std::string head(4096, '\0');
    program.read(head.data(), static_cast<std::streamsize>(head.size()));
    // An ELF header whose section table lies past the end of the file.
    std::ofstream(dir / "cut", std::ios::binary) << head;
    std::ofstream(dir / "text", std::ios::binary) << "FileVersion=9";
    for (const char* name : {"cut", "text", "missing"}) {
        TVersionInfo info;
        info.FileVersion = "kept";
        ReadVersionInfo((dir / name).string(), info);
        EXPECT_EQ(info.FileVersion, "kept") << name;
    }
    std::filesystem::remove_all(dir);
}

} // namespace
