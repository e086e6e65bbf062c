// The configuration file with the two addresses, whatever it holds.
//
// Input: the whole file.
#include <cstdint>
#include <cstring>

#include "app/config.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096) return -1;
    const std::string& path = fuzzsupport::writeScratchFile(data, size);
    AddressPair addresses;
    bool known = readConfigFile(path, addresses);

    FUZZ_CHECK(std::memchr(addresses.mixer, 0, ADDRESS_TEXT_SIZE) != nullptr);
    FUZZ_CHECK(std::memchr(addresses.surface, 0, ADDRESS_TEXT_SIZE) != nullptr);
    if (known) {
        // Accepted addresses are what the endpoints are built from, and a
        // file written from them reads back the same.
        uint32_t address;
        uint16_t port = 0;
        FUZZ_CHECK(parseAddressField(addresses.mixer, address, port));
        FUZZ_CHECK(parseAddressField(addresses.surface, address, port));
        FUZZ_CHECK(writeConfigFile(path, addresses));
        AddressPair again;
        FUZZ_CHECK(readConfigFile(path, again));
        FUZZ_CHECK(std::strcmp(again.mixer, addresses.mixer) == 0);
        FUZZ_CHECK(std::strcmp(again.surface, addresses.surface) == 0);
    }
    fuzzsupport::forgetConsoleOutput();
    return 0;
}
