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
constexpr int FIELD_TEXT_SIZE = 64;

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

bool isValidAddress(const char* text)
{
    if (std::strlen(text) >= static_cast<size_t>(ADDRESS_TEXT_SIZE)) return false;
    if (isAutoAddress(text)) return true;
    uint32_t address;
    uint16_t port = 0;
    return parseHostPort(text, address, port);
}

// One field of the file into target; false with the reason in problem.
bool takeField(std::FILE* file, const char* name, char* target, std::string& problem)
{
    char field[FIELD_TEXT_SIZE];
    if (!readField(file, field, sizeof field)) {
        problem = std::string("it holds no ") + name + " address";
        return false;
    }
    if (!isValidAddress(field)) {
        problem = std::string("its ") + name + " address " + addressRefusal(field) + ", or auto";
        return false;
    }
    std::strcpy(target, field);
    return true;
}

PromptResult askOne(const char* prompt, char* target)
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
        if (!truncated && isValidAddress(line)) {
            std::strcpy(target, line);
            return PromptResult::Done;
        }
        consolePrint("%s; please try again.\n", addressRefusal(line).c_str());
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
    const bool known = takeField(file, "mixer", read.mixer, why) &&
                       takeField(file, "X-Touch", read.surface, why);
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
    PromptResult r = askOne("Please enter the ip address of the X32 mixer:\n", addresses.mixer);
    if (r != PromptResult::Done) return r;
    return askOne("Please enter the ip address of the X-Touch controller:\n", addresses.surface);
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
