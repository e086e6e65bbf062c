#include "platform/exe_path.h"

#include <windows.h>

#include <vector>

bool executableFolder(std::string& folder)
{
    // GetModuleFileNameW fills the buffer and reports its size when the
    // path does not fit, so grow until the result is shorter.
    for (DWORD size = 260; size <= 32768; size *= 2) {
        std::vector<wchar_t> wide(size);
        DWORD length = GetModuleFileNameW(nullptr, wide.data(), size);
        if (length == 0) return false;
        if (length >= size) continue;
        // The rest of the bridge opens files with narrow paths (the ANSI
        // code page), so the folder is given in the same form.
        int narrowLength = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(length), nullptr, 0,
                                               nullptr, nullptr);
        if (narrowLength <= 0) return false;
        std::string path(static_cast<size_t>(narrowLength), '\0');
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(length), path.data(), narrowLength,
                            nullptr, nullptr);
        size_t slash = path.find_last_of("\\/");
        if (slash == std::string::npos) return false;
        folder = path.substr(0, slash);
        return true;
    }
    return false;
}
