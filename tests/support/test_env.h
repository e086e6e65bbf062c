// Environment variables for tests, the same way on POSIX and Windows.
#pragma once

#include <cstdlib>
#include <list>
#include <string>

// putenv is in both the POSIX and the Windows C library; its strings must
// outlive their place in the environment, so they are kept for the process.
inline void setTestEnvironment(const char* name, const std::string& value)
{
    static std::list<std::string> entries;
    entries.push_back(std::string(name) + "=" + value);
    putenv(entries.back().data());
}

inline std::string testEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}
