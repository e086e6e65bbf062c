// The configuration file with the mixer and surface addresses, whatever it holds.
//
// Input: the whole file.
#include <cstdint>
#include <cstring>

#include "app/config.h"
#include "app/options.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096) return -1;
    const std::string& path = fuzzsupport::writeScratchFile(data, size);
    AddressPair addresses;
    std::string problem;
    bool known = readConfigFile(path, addresses, false, &problem);

    FUZZ_CHECK(std::memchr(addresses.mixer, 0, ADDRESS_TEXT_SIZE) != nullptr);
    FUZZ_CHECK(std::memchr(addresses.surface, 0, SURFACES_TEXT_SIZE) != nullptr);
    // The problem is printed as it is: nothing unprintable may reach the terminal.
    for (char c : problem) FUZZ_CHECK(c >= 0x20 && c < 0x7F);
    FUZZ_CHECK(known == problem.empty());
    if (known) {
        // Accepted addresses are what the endpoints are built from, and a
        // file written from them reads back the same.
        uint32_t address;
        uint16_t port = 0;
        FUZZ_CHECK(isAutoAddress(addresses.mixer) || parseHostPort(addresses.mixer, address, port));
        SurfaceList surfaces;
        std::string why;
        FUZZ_CHECK(isAutoAddress(addresses.surface) || parseSurfaceList(addresses.surface, surfaces, why));
        FUZZ_CHECK(writeConfigFile(path, addresses));
        AddressPair again;
        FUZZ_CHECK(readConfigFile(path, again, false));
        FUZZ_CHECK(std::strcmp(again.mixer, addresses.mixer) == 0);
        FUZZ_CHECK(std::strcmp(again.surface, addresses.surface) == 0);
    }
    fuzzsupport::forgetConsoleOutput();
    return 0;
}
