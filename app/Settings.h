// What the main window keeps in the settings file: the values read at start
// and the window keys written back at exit, without any window code.
#pragma once

#include "platform/graphics/Types.h"

#include <cstdint>
#include <string>

struct TOptimiserSettings {
    bool Flag = false;
    std::string Path;
    std::string Param;
};

struct TSettingsValues {
    int8_t FittingThreshold = 10;
    TRect FormRect;
    bool Maximized = false;
    bool HiddenFunctionFlag = false;
    bool LogFlag = false;
    std::string StdLogPath;
    // Both optimiser outputs go to the one file named by StdLogPath.
    std::string ErrLogPath;
    TOptimiserSettings OptiPNG;
    TOptimiserSettings PNGOut;
    TOptimiserSettings PNGRewrite;
};

// The stored distance: the low 8 bits as a signed byte, and outside 0..20 the default 10.
int8_t FittingThresholdFromIni(int value);

// Reads every key that the start reads, in the order the start reads them.
TSettingsValues ReadSettings(const std::string& path);

// Writes the keys of the exit, in this order: the snapping distance, the
// window's restored rectangle, and whether it is maximised.
void WriteWindowSettings(const std::string& path, int threshold, const TRect& rect, bool maximized);

// The folder of the settings file: the executable's folder when it is
// writable (with its trailing '/'), else ${XDG_CONFIG_HOME:-$HOME/.config}/Farovinter/,
// created when missing.
std::string SettingsDirectory(const std::string& executableDirectory);

// Moves an old "Form.ini" in directory to "Farovinter.ini", never replacing
// an existing "Farovinter.ini"; answers the settings file's path.
std::string MigrateSettings(const std::string& directory);

// rect with its right and bottom edges moved out where needed to make it at
// least width x height; a backwards rectangle gets exactly that size.
TRect WithMinimumSize(const TRect& rect, int width, int height);
// rect with its right and bottom edges moved in where needed to make it at
// most width x height.
TRect WithMaximumSize(const TRect& rect, int width, int height);

// rect moved onto monitor keeping its size: first the right edge in, then the
// left edge, then the bottom, then the top, so a rectangle larger than the
// monitor keeps its left and top on the monitor's.
TRect FitRectToMonitor(TRect rect, const TRect& monitor);
