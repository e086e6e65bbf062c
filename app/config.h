// The configuration file ("mixer|surface|") and the address prompts. Either
// address may be "auto" (found on the network); an empty answer to a prompt
// means "auto".
// Runs on the entry thread.
#pragma once

#include <cstdint>
#include <string>

// Dotted IPv4 with an optional ":PORT": at most 21 characters.
constexpr int ADDRESS_TEXT_SIZE = 22;

struct AddressPair {
    char mixer[ADDRESS_TEXT_SIZE] = {};
    char surface[ADDRESS_TEXT_SIZE] = {};
};

// One address of the file or a prompt: "IP" or "IP:PORT". The port keeps
// the value it has when the text names none. False for anything else.
bool parseAddressField(const char* text, uint32_t& address, uint16_t& port);

// The configuration file's path under the profile folder.
std::string configFilePath(const std::string& profileFolder);

// Reads both fields, echoing each one read unless echo is false. True only
// when the file opened and both fields hold valid addresses (either form of
// parseAddressField).
bool readConfigFile(const std::string& path, AddressPair& addresses, bool echo = true);

// Writes "mixer|surface|". False when the file cannot be written.
bool writeConfigFile(const std::string& path, const AddressPair& addresses);

enum class PromptResult { Done, EndOfInput, Stopped };

// Asks for both addresses, again and again until each is valid dotted IPv4
// or empty ("auto").
PromptResult promptAddresses(AddressPair& addresses);

// Prompts, then rewrites the file (creating its folder); warns once when the
// file cannot be written.
PromptResult promptAndSaveAddresses(const std::string& path, AddressPair& addresses);
