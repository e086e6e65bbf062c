#include "platform/profile.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

bool userProfileFolder(std::string& folder)
{
    const char* value = std::getenv("USERPROFILE");
#ifndef _WIN32
    if (!value || !*value) value = std::getenv("HOME");
#endif
    if (!value || !*value) return false;
    folder = value;
    return true;
}

std::string profilePath(const std::string& folder, const char* backslashedPath)
{
    std::string path = folder;
    for (const char* p = backslashedPath; p && *p; ++p) {
        char c = *p;
        if (c == '\\' || c == '/') {
            c = static_cast<char>(std::filesystem::path::preferred_separator);
        }
        path.push_back(c);
    }
    return path;
}

bool ensureParentFolder(const std::string& path)
{
    std::error_code error;
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty()) return true;
    std::filesystem::create_directories(parent, error);
    return !error && std::filesystem::is_directory(parent, error);
}
