#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/config.h"
#include "app/options.h"
#include "platform/console_output.h"
#include "platform/profile.h"

namespace {

struct OptionCase {
    std::vector<const char*> args;
    bool ok;
};
void PrintTo(const OptionCase& c, std::ostream* os)
{
    *os << "velumbra";
    for (const char* a : c.args) *os << ' ' << a;
    *os << (c.ok ? " accepted" : " refused");
}

class OptionParsing : public ::testing::TestWithParam<OptionCase> {};

TEST_P(OptionParsing, AcceptsOrRejects)
{
    std::vector<const char*> argv = {"velumbra"};
    argv.insert(argv.end(), GetParam().args.begin(), GetParam().args.end());
    BridgeOptions options;
    std::string error;
    EXPECT_EQ(parseOptions(static_cast<int>(argv.size()), argv.data(), options, error), GetParam().ok)
        << error;
    if (!GetParam().ok) {
        EXPECT_FALSE(error.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, OptionParsing,
    ::testing::Values(OptionCase{{}, true}, OptionCase{{"-c"}, true}, OptionCase{{"whatever"}, true},
                      OptionCase{{"--mixer", "10.0.0.2"}, true},
                      OptionCase{{"--mixer=10.0.0.2:9000"}, true},
                      OptionCase{{"--mixer", "10.0.0.256"}, false},
                      OptionCase{{"--mixer", "10.0.0.2:0"}, false},
                      OptionCase{{"--mixer", "10.0.0.2:70000"}, false},
                      OptionCase{{"--mixer"}, false}, OptionCase{{"--surface", "host"}, false},
                      OptionCase{{"--listen-port", "0"}, true},
                      OptionCase{{"--listen-port", "-1"}, false},
                      OptionCase{{"--sweep-window", "0"}, false},
                      OptionCase{{"--query-timeout", "12x"}, false},
                      OptionCase{{"--frobnicate"}, true}, OptionCase{{"--mixr", "10.0.0.2"}, true},
                      OptionCase{{"--mixer", "auto"}, true}, OptionCase{{"--surface=AUTO"}, true},
                      OptionCase{{"--mixer", "autox"}, false},
                      OptionCase{{"--discover-address", "10.0.0.255:10023"}, true},
                      OptionCase{{"--discover-address", "auto"}, false},
                      OptionCase{{"--discover-address"}, false},
                      OptionCase{{"--surface", "10.0.0.3,10.0.0.4:9000,10.0.0.5,10.0.0.6"}, true},
                      OptionCase{{"--surface", "10.0.0.3,10.0.0.4,10.0.0.5,10.0.0.6,10.0.0.7"}, false},
                      OptionCase{{"--surface", "10.0.0.3,10.0.0.3:10111"}, false},
                      OptionCase{{"--surface", "10.0.0.3,"}, false}, OptionCase{{"--surface", "10.0.0.3, 10.0.0.4"}, false},
                      OptionCase{{"--surface", "10.0.0.3,auto"}, false},
                      OptionCase{{"--editor-follows", "4"}, true}, OptionCase{{"--editor-follows", "5"}, false},
                      OptionCase{{"--editor-follows", "0"}, false}));

// Unknown arguments do not stop the bridge; each is kept to be named.
TEST(OptionParsing, UnknownArgumentsAreKeptInOrderAndTheFirstDashCIsNot)
{
    const char* argv[] = {"velumbra", "-c", "--mixr", "10.0.0.2", "--no-editor", "-c", "--surface=10.0.0.3"};
    BridgeOptions o;
    std::string error;
    ASSERT_TRUE(parseOptions(7, argv, o, error)) << error;
    EXPECT_TRUE(o.forcePrompt);
    EXPECT_TRUE(o.noEditor);
    EXPECT_TRUE(o.haveSurface);
    EXPECT_EQ(o.ignoredArguments, (std::vector<std::string>{"--mixr", "10.0.0.2", "-c"}));
}

TEST(OptionParsing, ValuesLandInTheirFields)
{
    const char* argv[] = {"velumbra", "-C", "--mixer", "127.0.0.1:12000", "--surface=127.0.0.2",
                          "--listen-port", "0", "--no-editor", "--verbose=all", "--sweep-window", "16"};
    BridgeOptions o;
    std::string error;
    ASSERT_TRUE(parseOptions(11, argv, o, error)) << error;
    EXPECT_TRUE(o.forcePrompt);
    EXPECT_EQ(o.mixerAddress, 0x7F000001u);
    EXPECT_EQ(o.mixerPort, 12000);
    ASSERT_EQ(o.surfaces.count, 1);
    EXPECT_EQ(o.surfaces.endpoints[0].address, 0x7F000002u);
    EXPECT_EQ(o.surfaces.endpoints[0].port, 10111);
    EXPECT_EQ(o.listenPort, 0);
    EXPECT_TRUE(o.noEditor);
    EXPECT_EQ(o.verbose, 2);
    EXPECT_EQ(o.sweepWindow, 16);
    EXPECT_FALSE(o.mixerAuto || o.surfaceAuto || o.haveDiscoverAddress);
    const char* automatic[] = {"velumbra", "--mixer", "Auto", "--surface=auto", "--discover-address",
                               "127.0.0.1:5000"};
    BridgeOptions a;
    ASSERT_TRUE(parseOptions(6, automatic, a, error)) << error;
    EXPECT_TRUE(a.haveMixer && a.mixerAuto && a.haveSurface && a.surfaceAuto);
    EXPECT_TRUE(a.haveDiscoverAddress);
    EXPECT_EQ(a.discoverAddress, 0x7F000001u);
    EXPECT_EQ(a.discoverPort, 5000);
    // A list keeps its order: the first one is surface 1.
    const char* pair[] = {"velumbra", "--surface", "127.0.0.3:7000,127.0.0.2", "--editor-follows=2"};
    BridgeOptions p;
    ASSERT_TRUE(parseOptions(4, pair, p, error)) << error;
    ASSERT_EQ(p.surfaces.count, 2);
    EXPECT_EQ(p.surfaces.endpoints[0].address, 0x7F000003u);
    EXPECT_EQ(p.surfaces.endpoints[0].port, 7000);
    EXPECT_EQ(p.surfaces.endpoints[1].address, 0x7F000002u);
    EXPECT_EQ(p.surfaces.endpoints[1].port, 10111);
    EXPECT_EQ(p.editorFollows, 2);
}

class ConfigFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("velumbra-config-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        path = configFilePath(dir.string());
        setConsoleCapture(&output);
    }
    void TearDown() override
    {
        setConsoleCapture(nullptr);
        std::filesystem::remove_all(dir);
    }
    void write(const std::string& content)
    {
        ensureParentFolder(path);
        std::ofstream(path, std::ios::binary) << content;
    }
    std::filesystem::path dir;
    std::string path;
    std::string output;
};

struct FileCase {
    const char* content;
    const char* echoed;   // for a usable file
    const char* problem;  // for a broken one
};
void PrintTo(const FileCase& c, std::ostream* os) { *os << ::testing::PrintToString(std::string(c.content)); }

class ConfigFileCases : public ConfigFile, public ::testing::WithParamInterface<FileCase> {};

// A usable file is echoed; a broken one is not, and the problem names the
// field and what is wrong with it.
TEST_P(ConfigFileCases, ReadsBothFieldsOrSaysWhatIsWrong)
{
    write(GetParam().content);
    AddressPair a;
    std::string problem;
    const bool usable = GetParam().problem == nullptr;
    EXPECT_EQ(readConfigFile(path, a, true, &problem), usable);
    EXPECT_EQ(output, usable ? GetParam().echoed : "");
    if (!usable) {
        EXPECT_EQ(problem.rfind(GetParam().problem, 0), 0u) << problem;
        EXPECT_STREQ(a.mixer, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConfigFileCases,
    ::testing::Values(
        FileCase{"10.0.0.2|10.0.0.3|", "X32[10.0.0.2]\nX-Touch[10.0.0.3]\n", nullptr},
        FileCase{"10.0.0.2|10.0.0.3", "X32[10.0.0.2]\nX-Touch[10.0.0.3]\n", nullptr},
        FileCase{"10.0.0.2|10.0.0.3|\r\n", "X32[10.0.0.2]\nX-Touch[10.0.0.3]\n", nullptr},
        FileCase{"auto|auto|", "X32[auto]\nX-Touch[auto]\n", nullptr},
        FileCase{"10.0.0.2|AUTO|", "X32[10.0.0.2]\nX-Touch[AUTO]\n", nullptr},
        FileCase{"10.0.0.2:10024|10.0.0.3:10112|", "X32[10.0.0.2:10024]\nX-Touch[10.0.0.3:10112]\n", nullptr},
        FileCase{"255.255.255.255:65535|10.0.0.3|", "X32[255.255.255.255:65535]\nX-Touch[10.0.0.3]\n", nullptr},
        FileCase{"auto|10.0.0.3,10.0.0.4:10112|", "X32[auto]\nX-Touch[10.0.0.3,10.0.0.4:10112]\n", nullptr},
        FileCase{"auto|10.0.0.3,10.0.0.3|", nullptr, "its X-Touch address \"10.0.0.3,10.0.0.3\" names the X-Touch 10.0.0.3:10111 twice"},
        FileCase{"auto|10.0.0.3,auto|", nullptr, "its X-Touch address \"auto\" is not"},
        FileCase{"10.0.0.2|", nullptr, "it holds no X-Touch address"},
        FileCase{"", nullptr, "it holds no mixer address"},
        FileCase{"mixer|10.0.0.3|", nullptr, "its mixer address \"mixer\" is not an address"},
        FileCase{"10.0.0.2|10.0.0.300|", nullptr, "its X-Touch address \"10.0.0.300\" is not"},
        FileCase{"automatic|10.0.0.3|", nullptr, "its mixer address \"automatic\" is not"},
        FileCase{"10.0.0.2:0|10.0.0.3|", nullptr, "its mixer address \"10.0.0.2:0\" is not"},
        FileCase{"10.0.0.2:|10.0.0.3|", nullptr, "its mixer address \"10.0.0.2:\" is not"},
        FileCase{"10.0.0.2|10.0.0.3:70000|", nullptr, "its X-Touch address \"10.0.0.3:70000\" is not"},
        FileCase{"10.0.0.2|10.0.0.3:+4|", nullptr, "its X-Touch address \"10.0.0.3:+4\" is not"},
        FileCase{"\x1b[2J\x01|auto|", nullptr, "its mixer address \"\\x1b[2J\\x01\" is not"},
        FileCase{"1111111111111111111111111111111111111111111111111111111111111111|auto|", nullptr,
                 "its mixer address \"1111111111111111111111111111111111111111...\" is not"}));

// One reader for every way in: the command line and the file refuse the same
// texts with the same words (the prompt uses the file's check).
TEST_F(ConfigFile, CommandLineAndFileRefuseTheSameAddresses)
{
    for (const char* bad : {"1.2.3.4:+4", "1.2.3.4: 4", "1.2.3.4:-4", "01.2.3.4", "1.2.3.04", "1.2.3.4:010023",
                            "1.2.3.4:4x", "1.2.3.4 ", " 1.2.3.4", "1.2.3.4:"}) {
        SCOPED_TRACE(bad);
        const char* argv[] = {"velumbra", "--mixer", bad};
        BridgeOptions options;
        std::string error;
        EXPECT_FALSE(parseOptions(3, argv, options, error));
        EXPECT_EQ(error, "--mixer (IP[:PORT] or auto): " + addressRefusal(bad));
        // A trailing blank is what a text editor leaves: the file forgives it.
        if (bad[std::strlen(bad) - 1] == ' ') continue;
        write(std::string(bad) + "|auto|");
        AddressPair a;
        std::string problem;
        EXPECT_FALSE(readConfigFile(path, a, true, &problem));
        EXPECT_EQ(problem, "its mixer address " + addressRefusal(bad) + ", or auto");
    }
    for (const char* good : {"1.2.3.4:4", "10.0.0.1:65535", "0.0.0.0"}) {
        uint32_t address = 0;
        uint16_t port = 0;
        EXPECT_TRUE(parseHostPort(good, address, port)) << good;
    }
}

TEST_F(ConfigFile, MissingFileIsNotKnownAndPrintsNothing)
{
    AddressPair a;
    EXPECT_FALSE(readConfigFile(path, a));
    EXPECT_EQ(output, "");
}

TEST_F(ConfigFile, WriteCreatesTheFolderAndTheExactFormat)
{
    AddressPair a;
    std::snprintf(a.mixer, sizeof a.mixer, "192.168.1.20");
    std::snprintf(a.surface, sizeof a.surface, "192.168.1.30");
    ASSERT_TRUE(writeConfigFile(path, a));
    std::ifstream in(path, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "192.168.1.20|192.168.1.30|");
    AddressPair back;
    EXPECT_TRUE(readConfigFile(path, back));
    EXPECT_STREQ(back.mixer, "192.168.1.20");
    EXPECT_STREQ(back.surface, "192.168.1.30");
}

TEST(ProfilePath, BackslashesBecomeNativeSeparators)
{
    std::string p = profilePath("/home/x", "\\AppData\\Roaming\\Velumbra\\fx1_4.prm");
    EXPECT_EQ(std::filesystem::path(p), std::filesystem::path("/home/x") / "AppData" / "Roaming" /
                                            "Velumbra" / "fx1_4.prm");
}

} // namespace
