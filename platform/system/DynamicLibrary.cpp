#include "platform/system/DynamicLibrary.h"

#include <dlfcn.h>
#include <link.h>

#include <filesystem>

HMODULE LoadLibrary(const std::string& fileName)
{
    const std::string path = fileName.find('/') == std::string::npos ? "./" + fileName : fileName;
    return static_cast<HMODULE>(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
}

void* GetProcAddress(HMODULE module, const char* name)
{
    return module != nullptr ? ::dlsym(module, name) : nullptr;
}

bool FreeLibrary(HMODULE module)
{
    return module != nullptr && ::dlclose(module) == 0;
}

std::string GetModuleFileName(HMODULE module)
{
    link_map* map = nullptr;
    if (module == nullptr || ::dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr ||
        map->l_name == nullptr || *map->l_name == '\0')
        return {};
    // The full path as the library was opened: links are not resolved, so a
    // library installed under a link keeps the link's name.
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(map->l_name, error);
    return error ? std::string(map->l_name) : full.lexically_normal().string();
}
