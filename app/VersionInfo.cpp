#include "app/VersionInfo.h"

std::string ReadVersionValue(const TVersionStrings& Data, const std::string& Key)
{
    return VerQueryValue(Data, Key).value_or("");
}

void ReadVersionInfo(const std::string& FileName, TVersionInfo& Info)
{
    const auto data = GetFileVersionStrings(FileName);
    if (!data)
        return;
    Info.CompanyName = ReadVersionValue(*data, "CompanyName");
    Info.FileDescription = ReadVersionValue(*data, "FileDescription");
    Info.FileVersion = ReadVersionValue(*data, "FileVersion");
    Info.InternalName = ReadVersionValue(*data, "InternalName");
    Info.LegalCopyright = ReadVersionValue(*data, "LegalCopyright");
    Info.LegalTradeMarks = ReadVersionValue(*data, "LegalTradeMarks");
    Info.OriginalFilename = ReadVersionValue(*data, "OriginalFilename");
    Info.ProductName = ReadVersionValue(*data, "ProductName");
    Info.ProductVersion = ReadVersionValue(*data, "ProductVersion");
    Info.Comments = ReadVersionValue(*data, "Comments");
}
