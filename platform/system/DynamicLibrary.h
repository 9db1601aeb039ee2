// Libraries loaded at run time, in the shape of the platform's module
// handles: a library opened twice is one module with a reference count.
#pragma once

#include <string>

struct DynamicModule;
using HMODULE = DynamicModule*;

// Opens the library at fileName (a name without '/' is taken from the
// current directory, never from the library search path); null when it
// cannot be loaded.
HMODULE LoadLibrary(const std::string& fileName);
// The address of the export name, or null.
void* GetProcAddress(HMODULE module, const char* name);
// Drops one reference; the last one unloads the library.
bool FreeLibrary(HMODULE module);
// The full path under which the library was opened; empty when it is unknown.
std::string GetModuleFileName(HMODULE module);
