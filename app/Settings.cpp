#include "app/Settings.h"

#include "app/Snapping.h"
#include "app/ini.h"
#include "platform/system/Files.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <filesystem>

int8_t FittingThresholdFromIni(int value)
{
    return ValidFittingThreshold(static_cast<int8_t>(static_cast<uint8_t>(value & 0xFF)));
}

TSettingsValues ReadSettings(const std::string& path)
{
    TSettingsValues v;
    v.FittingThreshold = FittingThresholdFromIni(IniReadInteger(path, "Set", "FittingThreshold"));
    v.FormRect.Left = IniReadInteger(path, "Form", "Left");
    v.FormRect.Top = IniReadInteger(path, "Form", "Top");
    v.FormRect.Right = IniReadInteger(path, "Form", "Right");
    v.FormRect.Bottom = IniReadInteger(path, "Form", "Bottom");
    v.Maximized = IniReadBool(path, "Form", "maximized");
    v.HiddenFunctionFlag = IniReadBool(path, "Option", "UseHiddenFunction");
    v.LogFlag = IniReadBool(path, "Option", "OutputLogFile");
    v.StdLogPath = IniReadString(path, "Option", "StdLogPath");
    v.ErrLogPath = v.StdLogPath;
    const std::pair<const char*, TOptimiserSettings*> optimisers[] = {
        {"OptiPNG", &v.OptiPNG}, {"PNGOut", &v.PNGOut}, {"PNGRewrite", &v.PNGRewrite}};
    for (const auto& [section, settings] : optimisers) {
        settings->Flag = IniReadBool(path, section, "Use");
        settings->Path = IniReadString(path, section, "Path");
        settings->Param = IniReadString(path, section, "Param");
    }
    return v;
}

void WriteWindowSettings(const std::string& path, int threshold, const TRect& rect, bool maximized)
{
    IniWriteInteger(path, "Set", "FittingThreshold", threshold);
    IniWriteInteger(path, "Form", "Top", rect.Top);
    IniWriteInteger(path, "Form", "Left", rect.Left);
    IniWriteInteger(path, "Form", "Right", rect.Right);
    IniWriteInteger(path, "Form", "Bottom", rect.Bottom);
    IniWriteBool(path, "Form", "maximized", maximized);
}

std::string SettingsDirectory(const std::string& executableDirectory)
{
    if (DirectoryWritable(executableDirectory))
        return executableDirectory;
    return UserConfigDirectory();
}

std::string MigrateSettings(const std::string& directory)
{
    const std::string path = directory + "Farovinter.ini";
    const std::string old = directory + "Form.ini";
    // A name that cannot even be examined is left where it is.
    std::error_code unknown;
    if (std::filesystem::exists(old, unknown))
        RenameNoReplace(old, path);
    return path;
}

namespace {

int ClampToInt(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

TRect WithMinimumSize(const TRect& rect, int width, int height)
{
    const int64_t right = std::max(int64_t{rect.Right}, int64_t{rect.Left} + width);
    const int64_t bottom = std::max(int64_t{rect.Bottom}, int64_t{rect.Top} + height);
    return TRect{rect.Left, rect.Top, ClampToInt(right), ClampToInt(bottom)};
}

TRect WithMaximumSize(const TRect& rect, int width, int height)
{
    const int64_t right = std::min(int64_t{rect.Right}, int64_t{rect.Left} + width);
    const int64_t bottom = std::min(int64_t{rect.Bottom}, int64_t{rect.Top} + height);
    return TRect{rect.Left, rect.Top, ClampToInt(right), ClampToInt(bottom)};
}

TRect FitRectToMonitor(TRect rect, const TRect& monitor)
{
    // Worked in 64 bits: the file may hold any integers.
    int64_t left = rect.Left, top = rect.Top, right = rect.Right, bottom = rect.Bottom;
    const int64_t width = right - left;
    const int64_t height = bottom - top;
    if (right > monitor.Right) {
        right = monitor.Right;
        left = right - width;
    }
    if (left < monitor.Left) {
        left = monitor.Left;
        right = left + width;
    }
    if (bottom > monitor.Bottom) {
        bottom = monitor.Bottom;
        top = bottom - height;
    }
    if (top < monitor.Top) {
        top = monitor.Top;
        bottom = top + height;
    }
    return TRect{ClampToInt(left), ClampToInt(top), ClampToInt(right), ClampToInt(bottom)};
}
