#include "platform/exe_path.h"

#include <unistd.h>

#include <vector>

bool executableFolder(std::string& folder)
{
    // readlink does not terminate the text and cuts it silently: a result
    // that fills the buffer may be cut, so grow and try again.
    for (size_t size = 256; size <= 65536; size *= 2) {
        std::vector<char> buffer(size);
        ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return false;
        if (static_cast<size_t>(length) >= buffer.size()) continue;
        std::string path(buffer.data(), static_cast<size_t>(length));
        size_t slash = path.find_last_of('/');
        if (slash == std::string::npos) return false;
        folder = path.substr(0, slash == 0 ? 1 : slash);
        return true;
    }
    return false;
}
