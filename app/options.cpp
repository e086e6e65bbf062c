#include "app/options.h"

#include <cstdlib>
#include <cstring>

#include "platform/udp.h"

namespace {

bool parseNumber(const char* text, long low, long high, long& value)
{
    if (!text || !*text) return false;
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (*end != '\0' || v < low || v > high) return false;
    value = v;
    return true;
}

// "--name=value" or "--name value"; advances i when the value is separate.
const char* optionValue(int argc, const char* const* argv, int& i, const char* name)
{
    const char* arg = argv[i];
    size_t n = std::strlen(name);
    if (std::strncmp(arg, name, n) != 0) return nullptr;
    if (arg[n] == '=') return arg + n + 1;
    if (arg[n] != '\0') return nullptr;
    if (i + 1 >= argc) return "";
    return argv[++i];
}

} // namespace

bool parseHostPort(const char* text, uint32_t& address, uint16_t& port)
{
    if (!text) return false;
    char host[16];
    const char* colon = std::strchr(text, ':');
    size_t hostLength = colon ? static_cast<size_t>(colon - text) : std::strlen(text);
    if (hostLength == 0 || hostLength >= sizeof host) return false;
    std::memcpy(host, text, hostLength);
    host[hostLength] = '\0';
    uint32_t a;
    if (!parseIpv4(host, a)) return false;
    long p = port;
    if (colon) {
        // Digits only, and no leading zero: what is accepted reads back as
        // written, and "+4" or " 4" is not taken for port 4.
        const char* digits = colon + 1;
        const size_t count = std::strspn(digits, "0123456789");
        if (count == 0 || count > 5 || digits[count] != '\0' || digits[0] == '0') return false;
        if (!parseNumber(digits, 1, 65535, p)) return false;
    }
    address = a;
    port = static_cast<uint16_t>(p);
    return true;
}

std::string printableText(const char* text, size_t limit)
{
    std::string out;
    if (!text) return out;
    static const char hex[] = "0123456789abcdef";
    size_t i = 0;
    for (; text[i] != '\0' && i < limit; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    if (text[i] != '\0') out += "...";
    return out;
}

std::string addressRefusal(const char* text)
{
    std::string refusal = "\"";
    refusal += printableText(text, 40);
    refusal += "\" is not an address: write IP or IP:PORT in digits, without signs, blanks or "
               "leading zeros, as 192.168.1.20 or 192.168.1.20:10023";
    return refusal;
}

bool isAutoAddress(const char* text)
{
    if (!text) return false;
    const char* word = "auto";
    for (int i = 0; i < 4; ++i) {
        if ((text[i] | 0x20) != word[i]) return false;
    }
    return text[4] == '\0';
}

bool parseSurfaceList(const char* text, SurfaceList& list, std::string& why)
{
    if (!text) return false;
    SurfaceList read;
    const char* item = text;
    for (;;) {
        const char* comma = std::strchr(item, ',');
        const std::string one = comma ? std::string(item, static_cast<size_t>(comma - item)) : std::string(item);
        if (read.count == MAX_SURFACES) {
            why = "\"" + printableText(text, 60) + "\" names more than " + std::to_string(MAX_SURFACES) +
                  " X-Touches";
            return false;
        }
        UdpEndpoint endpoint;
        endpoint.port = 10111;
        if (!parseHostPort(one.c_str(), endpoint.address, endpoint.port)) {
            why = addressRefusal(one.c_str());
            return false;
        }
        for (int k = 0; k < read.count; ++k) {
            if (read.endpoints[k].address == endpoint.address && read.endpoints[k].port == endpoint.port) {
                why = "\"" + printableText(text, 60) + "\" names the X-Touch " + formatEndpoint(endpoint) + " twice";
                return false;
            }
        }
        read.endpoints[read.count++] = endpoint;
        if (!comma) break;
        item = comma + 1;
    }
    list = read;
    return true;
}

namespace {

// "--mixer": IP[:PORT] or "auto".
bool parseDeviceAddress(const char* value, uint32_t& address, uint16_t& port, bool& automatic)
{
    if (isAutoAddress(value)) {
        automatic = true;
        return true;
    }
    if (!parseHostPort(value, address, port)) return false;
    automatic = false;
    return true;
}

} // namespace

bool parseOptions(int argc, const char* const* argv, BridgeOptions& options, std::string& error)
{
    if (argc > 1 && (std::strcmp(argv[1], "-c") == 0 || std::strcmp(argv[1], "-C") == 0)) {
        options.forcePrompt = true;
    }
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = nullptr;
        long number = 0;
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            options.showHelp = true;
        } else if (std::strcmp(arg, "--version") == 0) {
            options.showVersion = true;
        } else if (std::strcmp(arg, "--no-editor") == 0) {
            options.noEditor = true;
        } else if (std::strcmp(arg, "--verbose") == 0) {
            options.verbose = 1;
        } else if (std::strcmp(arg, "--verbose=all") == 0) {
            options.verbose = 2;
        } else if ((value = optionValue(argc, argv, i, "--mixer"))) {
            if (!parseDeviceAddress(value, options.mixerAddress, options.mixerPort, options.mixerAuto)) {
                error = "--mixer (IP[:PORT] or auto): " + addressRefusal(value);
                return false;
            }
            options.haveMixer = true;
        } else if ((value = optionValue(argc, argv, i, "--surface"))) {
            std::string why;
            options.surfaceAuto = isAutoAddress(value);
            if (!options.surfaceAuto && !parseSurfaceList(value, options.surfaces, why)) {
                error = "--surface (IP[:PORT],... or auto): " + why;
                return false;
            }
            options.haveSurface = true;
        } else if ((value = optionValue(argc, argv, i, "--editor-follows"))) {
            if (!parseNumber(value, 1, MAX_SURFACES, number)) {
                error = std::string("--editor-follows needs a surface 1..") + std::to_string(MAX_SURFACES) +
                        ", got \"" + printableText(value, 40) + "\"";
                return false;
            }
            options.editorFollows = static_cast<int>(number);
        } else if ((value = optionValue(argc, argv, i, "--discover-address"))) {
            if (!parseHostPort(value, options.discoverAddress, options.discoverPort)) {
                error = "--discover-address (IP[:PORT]): " + addressRefusal(value);
                return false;
            }
            options.haveDiscoverAddress = true;
        } else if ((value = optionValue(argc, argv, i, "--listen-port"))) {
            if (!parseNumber(value, 0, 65535, number)) {
                error = std::string("--listen-port needs a port 0..65535, got \"") + value + "\"";
                return false;
            }
            options.listenPort = static_cast<uint16_t>(number);
        } else if ((value = optionValue(argc, argv, i, "--prefs"))) {
            if (!*value) {
                error = "--prefs needs a file name";
                return false;
            }
            options.prefsFile = value;
        } else if ((value = optionValue(argc, argv, i, "--query-timeout"))) {
            if (!parseNumber(value, 1, 60000, number)) {
                error = std::string("--query-timeout needs milliseconds 1..60000, got \"") + value + "\"";
                return false;
            }
            options.queryTimeoutMs = static_cast<int>(number);
        } else if ((value = optionValue(argc, argv, i, "--sweep-window"))) {
            if (!parseNumber(value, 1, 256, number)) {
                error = std::string("--sweep-window needs a number 1..256, got \"") + value + "\"";
                return false;
            }
            options.sweepWindow = static_cast<int>(number);
        } else if ((value = optionValue(argc, argv, i, "--silence-ms"))) {
            if (!parseNumber(value, 50, 600000, number)) {
                error = std::string("--silence-ms needs milliseconds 50..600000, got \"") + value + "\"";
                return false;
            }
            options.silenceMs = static_cast<int>(number);
        } else if (!(i == 1 && options.forcePrompt)) {
            // Not ours: ignored, but named, so that a typo does not pass
            // for an option that took effect.
            options.ignoredArguments.push_back(arg);
        }
    }
    return true;
}

const char* usageText()
{
    return "Usage: velumbra [-c|-C] [options]\n"
           "Bridges up to four X-Touch surfaces (network mode) to an X32/M32 console.\n"
           "\n"
           "  -c, -C               ask for both addresses even when the configuration\n"
           "                       file has them (first argument only)\n"
           "  --mixer IP[:PORT]    console address (default port 10023); overrides the\n"
           "                       configuration file and is not written to it\n"
           "  --mixer auto         find the console: ask every network for \"/xinfo\"\n"
           "  --surface IP[:PORT][,IP[:PORT]...]\n"
           "                       the X-Touch addresses (default port 10111), up to\n"
           "                       four; the first is surface 1; likewise\n"
           "  --surface auto       serve every X-Touch that asks this computer for a\n"
           "                       host, up to four, numbered as they are found\n"
           "  --editor-follows N   the editor follows surface N's bank and page (1)\n"
           "  --discover-address IP[:PORT]\n"
           "                       with --mixer auto, ask only there (default port\n"
           "                       10023) instead of every network's broadcast address\n"
           "  --listen-port N      local port for the surface (default 10111)\n"
           "  --no-editor          do not look for X32-Edit / M32-Edit on the desktop\n"
           "  --prefs FILE         read the user banks from this editor preferences file\n"
           "  --query-timeout MS   start-up: resend an unanswered query after MS (250)\n"
           "  --sweep-window N     start-up: queries outstanding at once (1)\n"
           "  --silence-ms MS      report the mixer as not responding after MS without\n"
           "                       anything from it, and read it again when it is back\n"
           "                       (3000)\n"
           "  --verbose[=all]      log every message to and from both devices\n"
           "                       (=all includes meters and heartbeats)\n"
           "  --version            print the version and stop\n"
           "  -h, --help           print this text and stop\n"
           "\n"
           "Other arguments are ignored, each named in one line at the start.\n"
           "\n"
           "The addresses are kept in Documents/Velumbra.cfg under the profile folder\n"
           "(USERPROFILE, else HOME) as \"MIXER|SURFACES|\": the mixer IP, IP:PORT or\n"
           "auto; the surfaces a comma-separated list of IP or IP:PORT, or auto.\n"
           "\n"
           "Keys, also during start-up: q + Enter stops, s + Enter asks for new\n"
           "addresses and stops, i + Enter prints the link status.\n"
           "\n"
           "Exit status: 0 stopped; 1 a failure (no profile folder, a socket, the\n"
           "listening port taken); 2 nothing usable to run with (a bad option, no\n"
           "addresses and no keyboard to ask, several consoles found and no keyboard\n"
           "to choose one, a surface address that is this computer's own or listed\n"
           "twice).\n";
}
