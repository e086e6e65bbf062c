#include "app/config.h"

#include <cstdio>
#include <cstring>

#include "app/options.h"
#include "platform/console_input.h"
#include "platform/console_output.h"
#include "platform/profile.h"
#include "platform/udp.h"

namespace {

// Reads up to the next '|' or the end of the file; false when nothing was read.
bool readField(std::FILE* file, char* field, int capacity, bool& tooLong)
{
    int length = 0;
    int c;
    bool any = false;
    tooLong = false;
    while ((c = std::fgetc(file)) != EOF && c != '|') {
        any = true;
        if (length < capacity - 1) {
            field[length++] = static_cast<char>(c);
        } else {
            tooLong = true;
        }
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
    if (isAutoAddress(text)) return true;
    uint32_t address;
    uint16_t port = 0;
    return parseAddressField(text, address, port);
}

PromptResult askOne(const char* prompt, char* target)
{
    for (;;) {
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
        if (!truncated && std::strlen(line) < ADDRESS_TEXT_SIZE && isValidAddress(line)) {
            std::strcpy(target, line);
            return PromptResult::Done;
        }
        consolePrint("\"%s\" is not an IPv4 address like 192.168.1.10 (or 192.168.1.10:10023); "
                     "please try again.\n",
                     line);
    }
}

} // namespace

bool parseAddressField(const char* text, uint32_t& address, uint16_t& port)
{
    // A port is digits only: no sign or blank, which the number reader
    // would let through, so what is saved reads back as typed.
    const char* colon = std::strchr(text, ':');
    if (colon && (colon[1] == '\0' || std::strspn(colon + 1, "0123456789") != std::strlen(colon + 1))) {
        return false;
    }
    return parseHostPort(text, address, port);
}

std::string configFilePath(const std::string& profileFolder)
{
    return profilePath(profileFolder, "\\Documents\\Velumbra.cfg");
}

bool readConfigFile(const std::string& path, AddressPair& addresses, bool echo)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char field[ADDRESS_TEXT_SIZE];
    bool tooLong = false;
    bool known = false;
    if (readField(file, field, sizeof field, tooLong)) {
        std::strcpy(addresses.mixer, field);
        if (echo) consolePrint("X32[%s]\n", addresses.mixer);
        bool mixerValid = !tooLong && isValidAddress(field);
        if (readField(file, field, sizeof field, tooLong)) {
            std::strcpy(addresses.surface, field);
            if (echo) consolePrint("X-Touch[%s]\n", addresses.surface);
            known = mixerValid && !tooLong && isValidAddress(field);
        }
    }
    std::fclose(file);
    return known;
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
