// The configuration file ("mixer|surface|") and the address prompts. Either
// address may be "auto" (found on the network); an empty answer to a prompt
// means "auto".
// Runs on the entry thread.
#pragma once

#include <cstdint>
#include <string>

// Dotted IPv4 with an optional ":PORT": at most 21 characters.
constexpr int ADDRESS_TEXT_SIZE = 22;
// Up to four of them, separated by commas.
constexpr int SURFACES_TEXT_SIZE = 4 * ADDRESS_TEXT_SIZE;

struct AddressPair {
    char mixer[ADDRESS_TEXT_SIZE] = {};
    char surface[SURFACES_TEXT_SIZE] = {};   // one or more X-Touches, or auto
};

// The configuration file's path under the profile folder.
std::string configFilePath(const std::string& profileFolder);

// Reads both fields; true only when the file opened and both are addresses
// (the mixer IP, IP:PORT or auto, as parseHostPort reads it; the surfaces
// auto or a list as parseSurfaceList reads it). Then, unless echo is
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
