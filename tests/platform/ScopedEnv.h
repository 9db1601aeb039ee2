// Test support: an environment variable set for a scope.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

// Sets an environment variable (unsets it for an empty value) until the object ends.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : FName(name)
    {
        if (const char* old = ::getenv(name))
            FSaved = old;
        if (value.empty())
            ::unsetenv(name);
        else
            ::setenv(name, value.c_str(), 1);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv()
    {
        if (FSaved)
            ::setenv(FName, FSaved->c_str(), 1);
        else
            ::unsetenv(FName);
    }

private:
    const char* FName;
    std::optional<std::string> FSaved;
};
