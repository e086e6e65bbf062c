#include <gtest/gtest.h>

#include <cstdio>
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
                      OptionCase{{"--discover-address"}, false}));

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
    EXPECT_EQ(o.surfaceAddress, 0x7F000002u);
    EXPECT_EQ(o.surfacePort, 10111);
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
    bool known;
    const char* echoed;
};
void PrintTo(const FileCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(std::string(c.content)) << (c.known ? " known" : " not known");
}

class ConfigFileCases : public ConfigFile, public ::testing::WithParamInterface<FileCase> {};

TEST_P(ConfigFileCases, ReadsBothFieldsOrCountsAsMissing)
{
    write(GetParam().content);
    AddressPair a;
    EXPECT_EQ(readConfigFile(path, a), GetParam().known);
    EXPECT_EQ(output, GetParam().echoed);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConfigFileCases,
    ::testing::Values(
        FileCase{"10.0.0.2|10.0.0.3|", true, "X32[10.0.0.2]\nX-Touch[10.0.0.3]\n"},
        FileCase{"10.0.0.2|10.0.0.3", true, "X32[10.0.0.2]\nX-Touch[10.0.0.3]\n"},
        FileCase{"10.0.0.2|10.0.0.3|\r\n", true, "X32[10.0.0.2]\nX-Touch[10.0.0.3]\n"},
        FileCase{"10.0.0.2|", false, "X32[10.0.0.2]\n"},
        FileCase{"", false, ""},
        FileCase{"mixer|10.0.0.3|", false, "X32[mixer]\nX-Touch[10.0.0.3]\n"},
        FileCase{"10.0.0.2|10.0.0.300|", false, "X32[10.0.0.2]\nX-Touch[10.0.0.300]\n"},
        FileCase{"auto|auto|", true, "X32[auto]\nX-Touch[auto]\n"},
        FileCase{"10.0.0.2|AUTO|", true, "X32[10.0.0.2]\nX-Touch[AUTO]\n"},
        FileCase{"automatic|10.0.0.3|", false, "X32[automatic]\nX-Touch[10.0.0.3]\n"},
        FileCase{"10.0.0.2:10024|10.0.0.3:10112|", true, "X32[10.0.0.2:10024]\nX-Touch[10.0.0.3:10112]\n"},
        FileCase{"255.255.255.255:65535|10.0.0.3|", true, "X32[255.255.255.255:65535]\nX-Touch[10.0.0.3]\n"},
        FileCase{"10.0.0.2:0|10.0.0.3|", false, "X32[10.0.0.2:0]\nX-Touch[10.0.0.3]\n"},
        FileCase{"10.0.0.2:|10.0.0.3|", false, "X32[10.0.0.2:]\nX-Touch[10.0.0.3]\n"},
        FileCase{"10.0.0.2|10.0.0.3:70000|", false, "X32[10.0.0.2]\nX-Touch[10.0.0.3:70000]\n"},
        FileCase{"10.0.0.2|10.0.0.3:+4|", false, "X32[10.0.0.2]\nX-Touch[10.0.0.3:+4]\n"}));

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
