// The real velumbra binary against a loopback socket standing in for the
// console: configuration, keep-alive, keyboard and signals.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "mixer/osc_codec.h"
#include "platform/udp.h"
#include "support/loopback_source.h"
#include "support/process.h"

namespace {

namespace fs = std::filesystem;

class BridgeBinary : public ::testing::Test {
protected:
    void SetUp() override
    {
        profile = fs::temp_directory_path() /
                  ("velumbra-e2e-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(profile);
        fs::create_directories(profile / "Documents");
        ASSERT_TRUE(console.open());
        ASSERT_TRUE(console.bind(0x7F000001, 0));
        savedProfile = std::getenv("USERPROFILE") ? std::getenv("USERPROFILE") : "";
        ::setenv("USERPROFILE", profile.c_str(), 1);
    }
    void TearDown() override
    {
        stopProcess(bridge, 2000);
        if (savedProfile.empty()) {
            ::unsetenv("USERPROFILE");
        } else {
            ::setenv("USERPROFILE", savedProfile.c_str(), 1);
        }
        fs::remove_all(profile);
    }
    fs::path configPath() const { return profile / "Documents" / "Velumbra.cfg"; }
    void writeConfig(const std::string& text) { std::ofstream(configPath(), std::ios::binary) << text; }
    std::string readConfig() const
    {
        std::ifstream in(configPath(), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    std::string mixerArgument() const { return "127.0.0.1:" + std::to_string(console.localPort()); }
    bool start(std::vector<std::string> extra)
    {
        return startProcess(bridge, VELUMBRA_BINARY, extra);
    }
    bool startAgainstStandIn(std::vector<std::string> first = {})
    {
        std::vector<std::string> args = first;
        for (const char* a : {"--surface", "127.0.0.1:9", "--listen-port", "0", "--no-editor",
                              "--mixer"}) {
            args.push_back(a);
        }
        args.push_back(mixerArgument());
        return start(args);
    }
    // Datagrams the stand-in receives within timeoutMs.
    std::vector<std::vector<uint8_t>> receiveFor(int timeoutMs, size_t enough)
    {
        std::vector<std::vector<uint8_t>> got;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < enough && std::chrono::steady_clock::now() < deadline) {
            uint8_t buffer[1024];
            int length = 0;
            UdpEndpoint from;
            if (console.receive(buffer, sizeof buffer, length, from, 100) == ReceiveStatus::Received) {
                got.emplace_back(buffer, buffer + length);
            }
        }
        return got;
    }
    int exitCode() { return WIFEXITED(bridge.exitStatus) ? WEXITSTATUS(bridge.exitStatus) : -1; }

    fs::path profile;
    std::string savedProfile;
    UdpSocket console;
    ChildProcess bridge;
};

std::vector<uint8_t> oscBytes(const char* address)
{
    std::vector<uint8_t> v(((std::strlen(address) + 4) & ~size_t(3)) + 4, 0);
    std::memcpy(v.data(), address, std::strlen(address));
    v[v.size() - 4] = ',';
    return v;
}

TEST_F(BridgeBinary, NamesTheAddressesInUseSendsKeepAliveAndStopsOnQ)
{
    writeConfig("127.0.0.5|127.0.0.6|");
    ASSERT_TRUE(startAgainstStandIn({"--mixr"}));
    std::string line;
    ASSERT_TRUE(waitForLine(bridge, "Ignoring the argument \"--mixr\"", 5000, line));
    // The file's addresses are overridden, so they are not echoed as if used.
    ASSERT_TRUE(waitForLine(bridge, "Using mixer ", 5000, line));
    EXPECT_EQ(line, "Using mixer " + mixerArgument() + " from --mixer, X-Touch 127.0.0.1:9 from --surface");
    const std::vector<std::string> early = outputLines(bridge);
    EXPECT_EQ(std::count(early.begin(), early.end(), "X32[127.0.0.5]"), 0);
    // Start-up queries run on their own thread and may come first; of the
    // keep-alive, "/xremote" goes before "/renew".
    std::vector<std::vector<uint8_t>> keepAlive;
    for (const auto& datagram : receiveFor(3000, 12)) {
        if (datagram == oscBytes("/xremote") || datagram == oscBytes("/renew")) keepAlive.push_back(datagram);
    }
    ASSERT_GE(keepAlive.size(), 2u);
    EXPECT_EQ(keepAlive[0], oscBytes("/xremote"));
    EXPECT_EQ(keepAlive[0].size(), 16u);
    EXPECT_EQ(keepAlive[1], oscBytes("/renew"));
    EXPECT_EQ(keepAlive[1].size(), 12u);
    // The stand-in never answers, so start-up keeps asking; the status
    // block says what for, and "q" still stops.
    ASSERT_TRUE(waitForLine(bridge, "No answer from the mixer at " + mixerArgument(), 5000, line));
    ASSERT_TRUE(writeToProcess(bridge, "i\n"));
    ASSERT_TRUE(waitForLine(bridge, "start-up: ", 3000, line));
    EXPECT_EQ(line.rfind("start-up: reading the automix settings, waiting for the answer to "
                         "/config/amixenable/X (sent ", 0), 0u) << line;
    EXPECT_NE(line.find("nothing from the mixer yet"), std::string::npos) << line;
    ASSERT_TRUE(writeToProcess(bridge, "q\n"));
    ASSERT_TRUE(waitForExit(bridge, 3000));
    EXPECT_EQ(exitCode(), 0);
    EXPECT_TRUE(waitForLine(bridge, "Cleaning up and stopping...", 100, line));
}

// A typed surface address that points back at the bridge is refused before
// anything is saved; the file may hold ports, as the prompts may.
TEST_F(BridgeBinary, ForcedPromptChecksBeforeItRewritesTheFile)
{
    UdpSocket probe;
    ASSERT_TRUE(probe.open() && probe.bind(0x7F000001, 0));
    const std::string port = std::to_string(probe.localPort());
    probe.close();
    const std::string before = "127.0.0.5:10023|127.0.0.6:10111|";
    writeConfig(before);
    ASSERT_TRUE(start({"-C", "--no-editor", "--listen-port", port}));
    std::string line;
    ASSERT_TRUE(waitForLine(bridge, "X32[127.0.0.5:10023]", 5000, line));
    ASSERT_TRUE(waitForLine(bridge, "Please enter the ip address of the X32 mixer:", 5000, line));
    ASSERT_TRUE(writeToProcess(bridge, "127.0.0.1:+4\n"));  // not an address: asked again
    ASSERT_TRUE(waitForLine(bridge, "\"127.0.0.1:+4\" is not an address: ", 5000, line));
    ASSERT_TRUE(writeToProcess(bridge, mixerArgument() + "\n127.0.0.1:" + port + "\n"));
    ASSERT_TRUE(waitForLine(bridge, "The X-Touch address 127.0.0.1:" + port + " is this computer's own",
                            5000, line));
    EXPECT_EQ(readConfig(), before);
    ASSERT_TRUE(waitForLine(bridge, "Please enter the ip address of the X32 mixer:", 5000, line));
    ASSERT_TRUE(writeToProcess(bridge, mixerArgument() + "\n10.1.2.4\n"));
    ASSERT_TRUE(waitForLine(bridge, "Using mixer ", 5000, line));
    EXPECT_EQ(line, "Using mixer " + mixerArgument() + " from the prompt, X-Touch 10.1.2.4:10111 from the prompt");
    ASSERT_TRUE(waitForLine(bridge, "Ready for the messages...", 5000, line));
    EXPECT_EQ(readConfig(), mixerArgument() + "|10.1.2.4|");
    ASSERT_TRUE(writeToProcess(bridge, "q\n"));
    ASSERT_TRUE(waitForExit(bridge, 3000));
    EXPECT_EQ(exitCode(), 0);
}

// User plus system CPU time the process has used, in clock ticks.
long cpuTicks(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t end = text.rfind(')');  // the program name may hold spaces
    if (end == std::string::npos) return -1;
    std::istringstream fields(text.substr(end + 2));
    std::string skip;
    for (int i = 3; i < 14; ++i) fields >> skip;  // state .. cmajflt
    long user = 0, system = 0;
    if (!(fields >> user >> system)) return -1;
    return user + system;
}

// As a service: no keyboard (standard input at its end), the status block on
// SIGUSR1, and no CPU spent waiting.
TEST_F(BridgeBinary, KeepsRunningIdleAtEndOfInputAndAnswersSigusr1)
{
    writeConfig("127.0.0.5|127.0.0.6|");
    ASSERT_TRUE(startAgainstStandIn());
    std::string line;
    ASSERT_TRUE(waitForLine(bridge, "Ready for the messages...", 5000, line));
    closeProcessInput(bridge);
    EXPECT_FALSE(waitForExit(bridge, 500));
    const long before = cpuTicks(bridge.pid);
    ASSERT_GE(before, 0);
    EXPECT_FALSE(waitForExit(bridge, 1000));
    EXPECT_LT(cpuTicks(bridge.pid) - before, ::sysconf(_SC_CLK_TCK) / 4);  // < 25 % of a core
    ::kill(bridge.pid, SIGUSR1);
    ASSERT_TRUE(waitForLine(bridge, "---- status ----", 3000, line));
    EXPECT_TRUE(waitForLine(bridge, "mixer   " + mixerArgument() + " (command line)  answered in the last 10 s: never",
                            1000, line));
    EXPECT_TRUE(waitForLine(bridge, "surface 1 queue: depth ", 1000, line));
    EXPECT_FALSE(waitForExit(bridge, 200));
    ::kill(bridge.pid, SIGINT);
    ASSERT_TRUE(waitForExit(bridge, 1000 * SANITIZER_SLOWDOWN));
    EXPECT_EQ(exitCode(), 0);
}

TEST_F(BridgeBinary, PromptAtEndOfInputFailsClearly)
{
    ASSERT_TRUE(start({"--no-editor", "--listen-port", "0"}));  // no file, no overrides
    closeProcessInput(bridge);
    ASSERT_TRUE(waitForExit(bridge, 3000));
    EXPECT_EQ(exitCode(), 2);  // a service does not restart on this code
    std::string line;
    EXPECT_TRUE(waitForLine(bridge, "Cannot ask for the addresses: standard input is closed", 3000, line));
    EXPECT_FALSE(fs::exists(configPath()));
}

// A broken file is named with what is wrong, in printable text, and nothing
// of it is echoed as if it were an address.
TEST_F(BridgeBinary, BrokenConfigurationFileIsNamedInPrintableText)
{
    writeConfig("gar\x1b[2Jbage\x07|10.0.0.3|");
    // Standard input at its end from the first instant, as under a service:
    // closed only after the start, the bridge might still see a keyboard.
    ASSERT_TRUE(startProcess(bridge, "/bin/sh",
                             {"-c", "exec \"$0\" \"$@\" </dev/null", VELUMBRA_BINARY, "--no-editor", "--listen-port", "0"}));
    ASSERT_TRUE(waitForExit(bridge, 3000 * SANITIZER_SLOWDOWN));
    EXPECT_EQ(exitCode(), 2);
    std::string line;
    EXPECT_TRUE(waitForLine(bridge,
                            "The configuration file " + configPath().string() +
                                " cannot be used: its mixer address \"gar\\x1b[2Jbage\\x07\" is not an address: ",
                            3000, line));
    for (const std::string& l : outputLines(bridge)) {
        EXPECT_TRUE(std::all_of(l.begin(), l.end(), [](char c) { return c >= 0x20 && c < 0x7F; })) << l;
        EXPECT_NE(l.rfind("X32[", 0), 0u) << l;
        EXPECT_NE(l.rfind("Please enter", 0), 0u) << l;  // nobody could answer it
    }
}

// Whatever its length, a text is printed whole: the help alone, and after a
// refused address. Every reader refuses the same texts with the same words.
TEST_F(BridgeBinary, PrintsTheWholeHelpAndRefusesBadAddressesWithExitCode2)
{
    const std::string lastLine = "twice).";
    ChildProcess help;
    ASSERT_TRUE(startProcess(help, VELUMBRA_BINARY, {"--help"}));
    ASSERT_TRUE(waitForExit(help, 3000));
    EXPECT_TRUE(WIFEXITED(help.exitStatus) && WEXITSTATUS(help.exitStatus) == 0);
    ASSERT_FALSE(outputLines(help).empty());
    EXPECT_EQ(outputLines(help).back(), lastLine);
    for (const char* bad : {"127.0.0.1:+4", "127.0.0.1: 4", "0127.0.0.1", "127.00.0.1", "127.0.0.1:010023",
                            "127.0.0.1:80x"}) {
        SCOPED_TRACE(bad);
        ChildProcess refused;
        ASSERT_TRUE(startProcess(refused, VELUMBRA_BINARY, {"--no-editor", "--mixer", bad, "--surface", "auto"}));
        ASSERT_TRUE(waitForExit(refused, 3000 * SANITIZER_SLOWDOWN));
        EXPECT_TRUE(WIFEXITED(refused.exitStatus) && WEXITSTATUS(refused.exitStatus) == 2);
        const std::vector<std::string> lines = outputLines(refused);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), std::string("velumbra: --mixer (IP[:PORT] or auto): \"") + bad +
                                     "\" is not an address: write IP or IP:PORT in digits, without signs, "
                                     "blanks or leading zeros, as 192.168.1.20 or 192.168.1.20:10023");
        EXPECT_EQ(lines.back(), lastLine);
    }
    // A surface listed twice, or one the editor cannot follow, is nothing to run with.
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--surface", "127.0.0.1:9,127.0.0.1:9"},
          std::vector<std::string>{"--surface", "127.0.0.1:9", "--editor-follows", "2"}}) {
        ChildProcess refused;
        std::vector<std::string> all = {"--no-editor", "--mixer", "127.0.0.1:9", "--listen-port", "0"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        ASSERT_TRUE(startProcess(refused, VELUMBRA_BINARY, all));
        closeProcessInput(refused);
        ASSERT_TRUE(waitForExit(refused, 3000 * SANITIZER_SLOWDOWN)) << arguments.back();
        EXPECT_TRUE(WIFEXITED(refused.exitStatus) && WEXITSTATUS(refused.exitStatus) == 2) << arguments.back();
    }
}

TEST_F(BridgeBinary, SetupKeyWorksDuringStartUp)
{
    writeConfig("127.0.0.5|127.0.0.6|");
    ASSERT_TRUE(startAgainstStandIn());
    std::string line;
    ASSERT_TRUE(waitForLine(bridge, "No answer from the mixer at", 5000, line));
    ASSERT_TRUE(writeToProcess(bridge, "s\n"));
    ASSERT_TRUE(waitForLine(bridge, "Please enter the ip address of the X32 mixer:", 5000, line));
    ASSERT_TRUE(writeToProcess(bridge, "10.1.2.3\n10.1.2.4\n"));
    ASSERT_TRUE(waitForExit(bridge, 3000));
    EXPECT_EQ(exitCode(), 0);
    EXPECT_EQ(readConfig(), "10.1.2.3|10.1.2.4|");
    EXPECT_TRUE(waitForLine(bridge, "The program will now stop.", 100, line));
    // The abandoned step says nothing more: no "done" once the console is asked.
    bool asking = false;
    for (const std::string& l : outputLines(bridge)) {
        asking = asking || l.rfind("requesting ", 0) == 0;
        if (asking) {
            EXPECT_NE(l.rfind("done", 0), 0u) << l;
        }
    }
    EXPECT_TRUE(asking) << "the console was never asked";
}

// A surface address of this machine with the port the bridge listens on
// would have the bridge take its own motor-fader messages for fader moves.
TEST_F(BridgeBinary, RefusesASurfaceAddressThatLoopsBackToItself)
{
    UdpSocket probe;
    ASSERT_TRUE(probe.open() && probe.bind(0x7F000001, 0));
    const std::string port = std::to_string(probe.localPort());
    probe.close();
    for (const char* host : {"127.0.0.1", "127.0.0.2"}) {
        SCOPED_TRACE(host);
        ChildProcess child;
        ASSERT_TRUE(startProcess(child, VELUMBRA_BINARY,
                                 {"--no-editor", "--mixer", mixerArgument(), "--surface",
                                  std::string(host) + ":" + port, "--listen-port", port}));
        ASSERT_TRUE(waitForExit(child, 3000));
        EXPECT_TRUE(WIFEXITED(child.exitStatus) && WEXITSTATUS(child.exitStatus) == 2);
        std::string line;
        EXPECT_TRUE(waitForLine(child, std::string("The X-Touch address ") + host + ":" + port +
                                           " is this computer's own (127.0.0.1",
                                100, line));
        EXPECT_FALSE(waitForLine(child, "Ready for the messages...", 0, line));
    }
}

TEST_F(BridgeBinary, ABusyListeningPortIsNamedWithTheWayOut)
{
    UdpSocket holder;
    ASSERT_TRUE(holder.open() && holder.bind(0, 0));
    const std::string port = std::to_string(holder.localPort());
    ASSERT_TRUE(start({"--no-editor", "--mixer", mixerArgument(), "--surface", "127.0.0.1:9",
                       "--listen-port", port}));
    ASSERT_TRUE(waitForExit(bridge, 3000));
    EXPECT_EQ(exitCode(), 1);
    std::string line;
    EXPECT_TRUE(waitForLine(bridge, "bind: ", 100, line));
    ASSERT_TRUE(waitForLine(bridge, "Cannot listen for the X-Touch on port " + port + ".", 100, line));
    EXPECT_NE(line.find("--listen-port"), std::string::npos);
}

std::vector<uint8_t> xinfoAnswer(const char* name, const char* model, const char* firmware)
{
    uint8_t buffer[200];
    const int n = encodeOscMessage(buffer, sizeof buffer, "/xinfo", "ssss", "127.0.0.1", name, model, firmware);
    return std::vector<uint8_t>(buffer, buffer + n);
}

bool receiveFrom(UdpSocket& socket, const std::vector<uint8_t>& wanted, int timeoutMs, UdpEndpoint* sender = nullptr)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        uint8_t buffer[1024];
        int length = 0;
        UdpEndpoint from;
        if (socket.receive(buffer, sizeof buffer, length, from, 100) != ReceiveStatus::Received) continue;
        if (std::vector<uint8_t>(buffer, buffer + length) != wanted) continue;
        if (sender) *sender = from;
        return true;
    }
    return false;
}

// "--mixer auto": the console emulator answers "/xinfo"; the bridge names it
// and works with the endpoint the answer came from.
TEST_F(BridgeBinary, FindsTheOneConsoleThatAnswersXinfo)
{
    ChildProcess emulator;
    ASSERT_TRUE(startProcess(emulator, VELUMBRA_TOOLS_DIR "/velumbra-console-sim", {"--port", "0", "--name", "FOH"}));
    const int port = waitForListeningPort(emulator, 5000);
    ASSERT_GT(port, 0);
    const std::string at = "127.0.0.1:" + std::to_string(port);
    ASSERT_TRUE(start({"--no-editor", "--listen-port", "0", "--surface", "127.0.0.1:9", "--mixer", "auto",
                       "--discover-address", at}));
    std::string line;
    ASSERT_TRUE(waitForLine(bridge, "Found mixer ", 5000, line));
    EXPECT_EQ(line, "Found mixer FOH (X32 4.06) at " + at);
    ASSERT_TRUE(waitForLine(bridge, "Listening to messages...", 30000 * SANITIZER_SLOWDOWN, line));
    ASSERT_TRUE(writeToProcess(bridge, "i\n"));
    ASSERT_TRUE(waitForLine(bridge, "mixer   ", 3000, line));
    EXPECT_EQ(line, "mixer   " + at + " (found)  answered in the last 10 s: yes");
    ASSERT_TRUE(waitForLine(bridge, "surface ", 1000, line));
    EXPECT_EQ(line.rfind("surface 1 127.0.0.1:9 (command line)  ", 0), 0u) << line;
    ASSERT_TRUE(writeToProcess(bridge, "q\n"));
    ASSERT_TRUE(waitForExit(bridge, 3000 * SANITIZER_SLOWDOWN));
    EXPECT_EQ(exitCode(), 0);
}

// While the console is still looked for, the status block says only what is
// known: the surface to be learned is not known yet, a given one is named,
// and with --no-editor there is no editor line.
TEST_F(BridgeBinary, StatusWhileLookingForTheConsoleStatesOnlyWhatIsKnown)
{
    for (const char* surface : {"auto", "127.0.0.1:9"}) {
        SCOPED_TRACE(surface);
        ChildProcess child;
        ASSERT_TRUE(startProcess(child, VELUMBRA_BINARY,
                                 {"--no-editor", "--listen-port", "0", "--surface", surface, "--mixer", "auto",
                                  "--discover-address", mixerArgument()}));
        ASSERT_TRUE(receiveFrom(console, oscBytes("/xinfo"), 5000));  // never answered
        ASSERT_TRUE(writeToProcess(child, "i\n"));
        std::string line;
        ASSERT_TRUE(waitForLine(child, "mixer   not found yet (asking for /xinfo)", 3000, line));
        ASSERT_TRUE(waitForLine(child, "surface ", 1000, line));
        EXPECT_EQ(line.rfind(std::string(surface) == "auto" ? "surface 1 not known yet (waiting for its probe)  "
                                                            : "surface 1 127.0.0.1:9 (command line)  ",
                             0),
                  0u)
            << line;
        ASSERT_TRUE(waitForLine(child, "----------------", 1000, line));
        const std::vector<std::string> all = outputLines(child);
        EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const std::string& l) { return l.rfind("editor", 0) == 0; }),
                  0);
        ASSERT_TRUE(writeToProcess(child, "q\n"));
        ASSERT_TRUE(waitForExit(child, 3000 * SANITIZER_SLOWDOWN));
    }
}

// Two consoles answer (front of house and monitors): at a keyboard the
// operator picks one by its number; without one the bridge names both and
// ends with exit code 2.
TEST_F(BridgeBinary, SeveralConsolesAreChosenAtTheKeyboardOrNamedWithoutOne)
{
    UdpSocket monitors;
    ASSERT_TRUE(monitors.open() && monitors.bind(0x7F000001, 0));
    const std::string foh = mixerArgument();
    const std::string mon = "127.0.0.1:" + std::to_string(monitors.localPort());
    const std::vector<std::string> named = {"  1. FOH (X32 4.06) at " + foh, "  2. MON (M32 4.11) at " + mon};
    for (bool keyboard : {false, true}) {
        SCOPED_TRACE(keyboard ? "keyboard" : "no keyboard");
        ChildProcess child;
        ASSERT_TRUE(startProcess(child, VELUMBRA_BINARY,
                                 {"--no-editor", "--listen-port", "0", "--surface", "127.0.0.1:9", "--mixer",
                                  "auto", "--discover-address", foh}));
        if (!keyboard) closeProcessInput(child);
        UdpEndpoint asker;
        ASSERT_TRUE(receiveFrom(console, oscBytes("/xinfo"), 5000, &asker));
        const std::vector<uint8_t> fromFoh = xinfoAnswer("FOH", "X32", "4.06");
        const std::vector<uint8_t> fromMon = xinfoAnswer("MON", "M32", "4.11");
        ASSERT_EQ(console.sendTo(fromFoh.data(), static_cast<int>(fromFoh.size()), asker), int(fromFoh.size()));
        ASSERT_EQ(monitors.sendTo(fromMon.data(), static_cast<int>(fromMon.size()), asker), int(fromMon.size()));
        std::string line;
        if (!keyboard) {
            ASSERT_TRUE(waitForExit(child, 5000 * SANITIZER_SLOWDOWN));
            EXPECT_TRUE(WIFEXITED(child.exitStatus) && WEXITSTATUS(child.exitStatus) == 2);
            // Listed once, then the line that ends it; no question nobody can answer.
            const std::vector<std::string> all = outputLines(child);
            const auto first = std::find(all.begin(), all.end(), "2 mixers answered:");
            ASSERT_NE(first, all.end());
            ASSERT_GE(all.end() - first, 4);
            EXPECT_EQ(std::vector<std::string>(first + 1, first + 3), named);
            EXPECT_EQ(first[3].rfind("Several mixers answered and there is no keyboard to choose one. Start "
                                     "with --mixer IP (for example --mixer 127.0.0.1)",
                                     0),
                      0u)
                << first[3];
            EXPECT_EQ(std::count_if(all.begin(), all.end(),
                                    [](const std::string& l) { return l.rfind("Which mixer", 0) == 0; }),
                      0);
            EXPECT_FALSE(waitForLine(child, "Ready for the messages...", 0, line));
            continue;
        }
        for (const std::string& mixer : named) EXPECT_TRUE(waitForLine(child, mixer, 5000, line)) << mixer;
        ASSERT_TRUE(waitForLine(child, "Which mixer should the bridge use? Enter 1 to 2:", 3000, line));
        ASSERT_TRUE(writeToProcess(child, "3\n2\n"));  // 3 is no choice: asked again
        ASSERT_TRUE(waitForLine(child, "Using mixer MON (M32 4.11) at " + mon, 3000, line));
        EXPECT_TRUE(receiveFrom(monitors, oscBytes("/xremote"), 5000));
        EXPECT_FALSE(receiveFrom(console, oscBytes("/xremote"), 300));
        ASSERT_TRUE(writeToProcess(child, "q\n"));
        ASSERT_TRUE(waitForExit(child, 3000 * SANITIZER_SLOWDOWN));
    }
}

// "--surface auto": each probe from a new address names a surface, which
// gets the keep-alive at once; what is not a probe names nobody.
TEST_F(BridgeBinary, LearnsEachSurfaceFromItsProbe)
{
    if (!loopbackSourceHolds(0x7F000002) || !loopbackSourceHolds(0x7F000003)) {
        GTEST_SKIP() << "127.0.0.2 and 127.0.0.3 cannot be told apart from 127.0.0.1 here";
    }
    ASSERT_TRUE(start({"--no-editor", "--listen-port", "0", "--surface", "auto", "--mixer", mixerArgument()}));
    std::string line;
    ASSERT_TRUE(waitForLine(bridge, "surface port ", 5000, line));
    const UdpEndpoint listening{0x7F000001, static_cast<uint16_t>(std::stoi(line.substr(13)))};
    ASSERT_TRUE(waitForLine(bridge, "Ready for the messages...", 5000, line));
    ASSERT_TRUE(writeToProcess(bridge, "i\n"));
    ASSERT_TRUE(waitForLine(bridge, "surface 1 not known yet (waiting for its probe)", 3000, line));
    UdpSocket first, second;
    ASSERT_TRUE(first.open() && first.bind(0x7F000002, 0));
    ASSERT_TRUE(second.open() && second.bind(0x7F000003, 0));
    const std::vector<uint8_t> probe = {0xF0, 0x00, 0x20, 0x32, 0x58, 0x54, 0x00, 0xF7};
    const std::vector<uint8_t> keepAlive = {0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7};
    // Something other than the probe names nobody.
    const uint8_t press[3] = {0x90, 0x2C, 0x7F};
    ASSERT_EQ(second.sendTo(press, 3, listening), 3);
    ASSERT_EQ(first.sendTo(probe.data(), 8, listening), 8);
    const std::string firstAt = "127.0.0.2:" + std::to_string(first.localPort());
    ASSERT_TRUE(waitForLine(bridge, "Found X-Touch at ", 3000, line));
    EXPECT_EQ(line, "Found X-Touch at " + firstAt + " (surface 1)");
    EXPECT_TRUE(receiveFrom(first, keepAlive, 2000));
    for (int i = 0; i < 2; ++i) ASSERT_EQ(second.sendTo(probe.data(), 8, listening), 8);
    const std::string secondAt = "127.0.0.3:" + std::to_string(second.localPort());
    ASSERT_TRUE(waitForLine(bridge, "Found X-Touch at ", 3000, line));
    EXPECT_EQ(line, "Found X-Touch at " + secondAt + " (surface 2)");
    EXPECT_TRUE(receiveFrom(second, keepAlive, 2000));
    ASSERT_TRUE(writeToProcess(bridge, "i\n"));
    ASSERT_TRUE(waitForLine(bridge, "surface 1 " + firstAt + " (learned)  ", 3000, line));
    ASSERT_TRUE(waitForLine(bridge, "surface 2 " + secondAt + " (learned)  ", 3000, line));
    const std::vector<std::string> all = outputLines(bridge);
    EXPECT_EQ(std::count_if(all.begin(), all.end(),
                            [](const std::string& l) { return l.rfind("Found X-Touch", 0) == 0; }),
              2);
    ASSERT_TRUE(writeToProcess(bridge, "q\n"));
    ASSERT_TRUE(waitForExit(bridge, 3000 * SANITIZER_SLOWDOWN));
    EXPECT_EQ(exitCode(), 0);
}

} // namespace
