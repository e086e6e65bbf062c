#include "app/config.h"

#include <cstdio>
#include <cstring>

#include "app/options.h"
#include "platform/console_input.h"
#include "platform/console_output.h"
#include "platform/profile.h"
#include "platform/udp.h"

namespace {

// Longer than any address, so that a long field is shown as far as it goes.
constexpr int FIELD_TEXT_SIZE = 128;

// Reads up to the next '|' or the end of the file; false when nothing was read.
bool readField(std::FILE* file, char* field, int capacity)
{
    int length = 0;
    int c;
    bool any = false;
    while ((c = std::fgetc(file)) != EOF && c != '|') {
        any = true;
        if (length < capacity - 1) field[length++] = static_cast<char>(c);
    }
    // Line breaks or blanks an editor may have added do not belong to the address.
    while (length > 0 && (field[length - 1] == '\n' || field[length - 1] == '\r' ||
                          field[length - 1] == ' ' || field[length - 1] == '\t')) {
        --length;
    }
    field[length] = '\0';
    return any && length > 0;
}

// The mixer's field: one address or auto. Empty why when it is usable.
std::string mixerRefusal(const char* text)
{
    if (isAutoAddress(text)) return "";
    uint32_t address;
    uint16_t port = 0;
    if (std::strlen(text) < static_cast<size_t>(ADDRESS_TEXT_SIZE) && parseHostPort(text, address, port)) return "";
    return addressRefusal(text);
}

// The surfaces' field: auto, or one to four addresses separated by commas.
std::string surfacesRefusal(const char* text)
{
    if (isAutoAddress(text)) return "";
    SurfaceList list;
    std::string why;
    if (std::strlen(text) >= static_cast<size_t>(SURFACES_TEXT_SIZE)) return "\"" + printableText(text, 40) + "\" is too long";
    if (parseSurfaceList(text, list, why)) return "";
    return why;
}

using Refusal = std::string (*)(const char*);

// One field of the file into target; false with the reason in problem.
bool takeField(std::FILE* file, const char* name, Refusal refusal, char* target, std::string& problem)
{
    char field[FIELD_TEXT_SIZE];
    if (!readField(file, field, sizeof field)) {
        problem = std::string("it holds no ") + name + " address";
        return false;
    }
    const std::string why = refusal(field);
    if (!why.empty()) {
        problem = std::string("its ") + name + " address " + why + ", or auto";
        return false;
    }
    std::strcpy(target, field);
    return true;
}

PromptResult askOne(const char* prompt, Refusal refusal, char* target)
{
    for (;;) {
        // Without a keyboard nobody would answer the question.
        if (consoleInputEnded()) return PromptResult::EndOfInput;
        consolePrint("%s", prompt);
        consolePrint("(Enter alone: find it on the network)\n");
        char line[256];
        bool truncated = false;
        KeyStatus status = readConsoleLine(line, sizeof line, &truncated);
        if (status == KeyStatus::Stopped) return PromptResult::Stopped;
        if (status == KeyStatus::EndOfInput) return PromptResult::EndOfInput;
        if (line[0] == '\0') {
            std::strcpy(target, "auto");
            return PromptResult::Done;
        }
        const std::string why = truncated ? addressRefusal(line) : refusal(line);
        if (why.empty()) {
            std::strcpy(target, line);
            return PromptResult::Done;
        }
        consolePrint("%s; please try again.\n", why.c_str());
    }
}

} // namespace

std::string configFilePath(const std::string& profileFolder)
{
    return profilePath(profileFolder, "\\Documents\\Velumbra.cfg");
}

bool readConfigFile(const std::string& path, AddressPair& addresses, bool echo, std::string* problem)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::string why;
    AddressPair read;
    const bool known = takeField(file, "mixer", mixerRefusal, read.mixer, why) &&
                       takeField(file, "X-Touch", surfacesRefusal, read.surface, why);
    std::fclose(file);
    if (!known) {
        if (problem) *problem = why;
        return false;
    }
    addresses = read;
    if (echo) consolePrint("X32[%s]\nX-Touch[%s]\n", addresses.mixer, addresses.surface);
    return true;
}

bool writeConfigFile(const std::string& path, const AddressPair& addresses)
{
    ensureParentFolder(path);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fprintf(file, "%s|%s|", addresses.mixer, addresses.surface) > 0;
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

PromptResult promptAddresses(AddressPair& addresses)
{
    PromptResult r = askOne("Please enter the ip address of the X32 mixer:\n", mixerRefusal, addresses.mixer);
    if (r != PromptResult::Done) return r;
    return askOne("Please enter the ip address of the X-Touch controller (several: separate them with commas):\n",
                  surfacesRefusal, addresses.surface);
}

PromptResult promptAndSaveAddresses(const std::string& path, AddressPair& addresses)
{
    PromptResult r = promptAddresses(addresses);
    if (r != PromptResult::Done) return r;
    if (!writeConfigFile(path, addresses)) {
        consolePrint("Warning: could not write the configuration file %s\n", path.c_str());
    }
    return PromptResult::Done;
}
