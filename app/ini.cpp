#include "app/ini.h"

#include "platform/core/Streams.h"
#include "platform/system/PrivateProfile.h"

#include <cctype>

std::string DefaultIniText(bool HiddenFunction)
{
    std::string text = "[Set]\r\n"
                       "FittingThreshold =10\r\n"
                       "\r\n"
                       "[Form]\r\n"
                       "Top =0\r\n"
                       "Left =0\r\n"
                       "Right =200\r\n"
                       "Bottom =200\r\n"
                       "Maximized =No\r\n"
                       "\r\n"
                       "[Size]\r\n"
                       "Mode = 9\r\n"
                       "\r\n";
    if (HiddenFunction)
        text += "[Option]\r\n"
                "UseHiddenFunction =Yes\r\n"
                "\r\n"
                "[OptiPNG]\r\n"
                "Use =No\r\n"
                "Path =\r\n"
                "Param =\r\n"
                "\r\n"
                "[PNGOut]\r\n"
                "Use =No\r\n"
                "Path =\r\n"
                "Param =\r\n"
                "\r\n"
                "[PNGRewrite]\r\n"
                "Use =No\r\n"
                "Path =\r\n"
                "Param =";
    return text + "\r\n";
}

void CreateDefaultIni(const std::string& Path, bool HiddenFunction)
{
    const std::string text = DefaultIniText(HiddenFunction);
    TFileStream file(Path, fmCreate);
    file.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

std::string IniReadString(const std::string& Path, const std::string& Section, const std::string& Key)
{
    return GetPrivateProfileString(Section, Key, "", Path);
}

int IniReadInteger(const std::string& Path, const std::string& Section, const std::string& Key)
{
    return GetPrivateProfileInt(Section, Key, 0, Path);
}

bool IniReadBool(const std::string& Path, const std::string& Section, const std::string& Key)
{
    std::string value = IniReadString(Path, Section, Key);
    const size_t first = value.find_first_not_of(" \t");
    value = first == std::string::npos ? "" : value.substr(first, value.find_last_not_of(" \t") - first + 1);
    for (char& c : value)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return value == "1" || value == "Y" || value == "YES" || value == "ON";
}

void IniWriteInteger(const std::string& Path, const std::string& Section, const std::string& Key, int Value)
{
    WritePrivateProfileString(Section, Key, std::to_string(Value), Path);
}

void IniWriteBool(const std::string& Path, const std::string& Section, const std::string& Key, bool Value)
{
    WritePrivateProfileString(Section, Key, Value ? "Yes" : "No", Path);
}
