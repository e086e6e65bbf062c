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

// The configuration file's path under the profile folder.
std::string configFilePath(const std::string& profileFolder);

// Reads both fields; true only when the file opened and both are addresses
// (IP, IP:PORT or auto, as parseHostPort reads them). Then, unless echo is
// false, it prints them as "X32[mixer]" and "X-Touch[surface]". Otherwise
// addresses is left alone and, when the file exists, problem says in
// printable text which field is wrong and why.
bool readConfigFile(const std::string& path, AddressPair& addresses, bool echo = true,
                    std::string* problem = nullptr);

// Writes "mixer|surface|". False when the file cannot be written.
bool writeConfigFile(const std::string& path, const AddressPair& addresses);

enum class PromptResult { Done, EndOfInput, Stopped };

// Asks for both addresses, again and again until each is valid dotted IPv4
// or empty ("auto").
PromptResult promptAddresses(AddressPair& addresses);

// Prompts, then rewrites the file (creating its folder); warns once when the
// file cannot be written.
PromptResult promptAndSaveAddresses(const std::string& path, AddressPair& addresses);
