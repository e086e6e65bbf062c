// The effects descriptions shipped with the bridge: a user profile that has
// no description file yet gets a copy of the shipped one, so that a fresh
// installation shows the console's effects from the first start. A file
// beside the program wins over the one compiled in, so an installation can
// ship its own.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "fxdefs/fx_builtin.h"
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

// A half-written copy is removed, so the next start tries again.
bool writeBuiltinCopy(const FxBuiltinFile& builtin, const std::string& target)
{
    std::FILE* file = std::fopen(target.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(builtin.bytes, 1, builtin.size, file) == builtin.size;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) std::remove(target.c_str());
    return ok;
}

void installOne(const std::string& programFolder, const std::string& profileFolder, const char* name)
{
    std::string target = profilePath(profileFolder, (std::string("\\AppData\\Roaming\\Velumbra\\") + name).c_str());
    std::error_code error;
    // Anything already there (a file, even a folder) is the user's.
    if (fs::exists(fs::path(target), error) || error) return;
    fs::path shipped;
    if (!programFolder.empty() && findShippedFile(programFolder, name, shipped)) {
        // copy_options::none refuses to replace a file that appeared meanwhile.
        if (!ensureParentFolder(target) || !fs::copy_file(shipped, fs::path(target), fs::copy_options::none, error)) {
            consolePrint("could not copy the shipped %s to %s\n", name, target.c_str());
            return;
        }
        consolePrint("%s was missing: copied the shipped one to %s\n", name, target.c_str());
        return;
    }
    const FxBuiltinFile* builtin = findBuiltinFxFile(name);
    if (!builtin) {
        consolePrint("no shipped %s found beside the program\n", name);
        return;
    }
    if (!ensureParentFolder(target) || !writeBuiltinCopy(*builtin, target)) {
        consolePrint("could not write the built-in %s to %s\n", name, target.c_str());
        return;
    }
    consolePrint("%s was missing: wrote the built-in one to %s\n", name, target.c_str());
}

}  // namespace

const FxBuiltinFile* findBuiltinFxFile(const char* name)
{
    for (int i = 0; i < fxBuiltinFileCount; ++i) {
        if (std::strcmp(fxBuiltinFiles[i].name, name) == 0) return &fxBuiltinFiles[i];
    }
    return nullptr;
}

void installShippedFxFiles()
{
    std::string profileFolder;
    std::string programFolder;
    // Without a profile the readers report it; without a program folder
    // only the built-in copies are left.
    if (!userProfileFolder(profileFolder)) return;
    if (!executableFolder(programFolder)) programFolder.clear();
    for (const char* name : {"fx1_4.prm", "fx5_8.prm"}) installOne(programFolder, profileFolder, name);
}
