// The effects descriptions shipped with the bridge: a user profile that has
// no description file yet gets a copy of the shipped one, so that a fresh
// installation shows the console's effects from the first start.
#include <filesystem>
#include <string>
#include <system_error>

#include "fxdefs/fx_files.h"
#include "platform/console_output.h"
#include "platform/exe_path.h"
#include "platform/profile.h"

namespace {

namespace fs = std::filesystem;

// Where a build keeps the files beside the program, then where an
// installation puts them (bin/ and share/velumbra/ side by side).
const char* const SHIPPED_FOLDERS[] = {"fxdata", "../share/velumbra"};

bool findShippedFile(const std::string& programFolder, const char* name, fs::path& found)
{
    for (const char* folder : SHIPPED_FOLDERS) {
        std::error_code error;
        fs::path candidate = fs::path(programFolder) / folder / name;
        if (fs::is_regular_file(candidate, error)) {
            found = candidate.lexically_normal();
            return true;
        }
    }
    return false;
}

void installOne(const std::string& programFolder, const std::string& profileFolder, const char* name)
{
    std::string target = profilePath(profileFolder, (std::string("\\AppData\\Roaming\\Velumbra\\") + name).c_str());
    std::error_code error;
    // Anything already there (a file, even a folder) is the user's.
    if (fs::exists(fs::path(target), error) || error) return;
    fs::path shipped;
    if (!findShippedFile(programFolder, name, shipped)) {
        consolePrint("no shipped %s found beside the program\n", name);
        return;
    }
    // copy_options::none refuses to replace a file that appeared meanwhile.
    if (!ensureParentFolder(target) || !fs::copy_file(shipped, fs::path(target), fs::copy_options::none, error)) {
        consolePrint("could not copy the shipped %s to %s\n", name, target.c_str());
        return;
    }
    consolePrint("%s was missing: copied the shipped one to %s\n", name, target.c_str());
}

}  // namespace

void installShippedFxFiles()
{
    std::string profileFolder;
    std::string programFolder;
    // Without a profile the readers report it; without a program folder
    // there is nothing to copy from.
    if (!userProfileFolder(profileFolder) || !executableFolder(programFolder)) return;
    for (const char* name : {"fx1_4.prm", "fx5_8.prm"}) installOne(programFolder, profileFolder, name);
}
