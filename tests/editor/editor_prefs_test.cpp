// Reading the user banks from the editor's preferences file, malformed
// files, the default banks and where the file is looked for.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/reset_state.h"
#include "editor/editor_prefs.h"
#include "editor/editor_window.h"
#include "model/console_model.h"
#include "platform/console_output.h"
#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

// Two header lines, then whatever the test gives.
Lines withHeader(const Lines& body)
{
    Lines lines = {"-guiprefs/version 4", "-guiprefs/window 0 0 1188 751"};
    lines.insert(lines.end(), body.begin(), body.end());
    return lines;
}

std::vector<int> bankEntries(int bank)
{
    return std::vector<int>(bankTable[bank], bankTable[bank] + bankCount[bank]);
}

bool restIsBlank(int bank)
{
    for (int i = bankCount[bank]; i < BANK_SLOTS; ++i) {
        if (bankTable[bank][i] != BLANK_STRIP) return false;
    }
    return true;
}

class EditorPrefsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetAllState();
        savedProfile = testEnvironment("USERPROFILE");
        savedHome = testEnvironment("HOME");
        std::random_device random;
        folder = fs::temp_directory_path() / ("velumbra-prefs-" + std::to_string(random()));
        fs::create_directories(folder);
        setTestEnvironment("USERPROFILE", folder.string());
        setConsoleCapture(&output);
    }
    void TearDown() override
    {
        setConsoleCapture(nullptr);
        setTestEnvironment("USERPROFILE", savedProfile);
        setTestEnvironment("HOME", savedHome);
        std::error_code error;
        fs::remove_all(folder, error);
        resetAllState();
    }

    std::string writeFile(const fs::path& path, const Lines& lines, const char* end = "\n")
    {
        fs::create_directories(path.parent_path());
        std::ofstream file(path, std::ios::binary);
        for (const std::string& l : lines) file << l << end;
        return path.string();
    }
    std::string x32File() const { return (folder / "AppData" / "Roaming" / "X32-Edit" / "X32Edit.prefs").string(); }
    std::string m32File() const { return (folder / "AppData" / "Roaming" / "M32-Edit" / "M32Edit.prefs").string(); }

    // Reads body (after the header) through the explicit file.
    void readBody(const Lines& body, const char* end = "\n")
    {
        setPreferencesFileOverride(writeFile(folder / "explicit.prefs", withHeader(body), end).c_str());
        readEditorPreferences();
    }

    std::string output;
    fs::path folder;
    std::string savedProfile;
    std::string savedHome;
};

TEST_F(EditorPrefsTest, CountAndChannelsLineFillTheBank)
{
    readBody({"-guiprefs/bank1 3", "-guiprefs/bank1/channels 5 6 70"});
    EXPECT_EQ(bankCount[0], 3);
    EXPECT_EQ(bankEntries(0), (std::vector<int>{5, 6, 70}));
    EXPECT_TRUE(restIsBlank(0));
    for (int b = 1; b < 8; ++b) EXPECT_EQ(bankCount[b], 0) << "bank " << b;
}

TEST_F(EditorPrefsTest, LinesOutOfPlaceMatchNoBank)
{
    readBody({"", "-guiprefs/bank1 3", "-guiprefs/bank1/channels 5 6 70"});
    EXPECT_EQ(bankCount[0], 0);
    EXPECT_EQ(bankCount[1], 0);
    EXPECT_TRUE(restIsBlank(0));
    EXPECT_TRUE(restIsBlank(1));
}

TEST_F(EditorPrefsTest, LineOutOfPlaceDisablesOnlyItsOwnBank)
{
    readBody({"-guiprefs/bank1 2", "-guiprefs/bank2/channels 1 2",
              "-guiprefs/bank2 2", "-guiprefs/bank2/channels 40 41"});
    EXPECT_EQ(bankCount[0], 0);
    EXPECT_EQ(bankEntries(1), (std::vector<int>{40, 41}));
}

TEST_F(EditorPrefsTest, AllNineBanksAtTheirPlaces)
{
    Lines body;
    for (int k = 1; k <= 9; ++k) {
        body.push_back("-guiprefs/bank" + std::to_string(k) + " 2");
        body.push_back("-guiprefs/bank" + std::to_string(k) + "/channels " + std::to_string(k) +
                       " " + std::to_string(70 + k));
    }
    readBody(body);
    for (int b = 0; b < 9; ++b)
        EXPECT_EQ(bankEntries(b), (std::vector<int>{b + 1, 71 + b})) << "bank " << b;
    EXPECT_EQ(output, "found 2 channels in bank 2\nfound 2 channels in bank 3\n");
    // Bank 9 starts at strip 9: no DCA, so the DCA spill starts at group 1.
    EXPECT_EQ(currentDcaGroup, 0);
}

struct MalformedCase {
    const char* name;
    Lines body;
    std::vector<int> bank0;
};

std::vector<int> counting(int first, int count)
{
    std::vector<int> v;
    for (int i = 0; i < count; ++i) v.push_back((first + i) % 80);
    return v;
}

std::string numbers(int first, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) text += " " + std::to_string((first + i) % 80);
    return text;
}

class MalformedPrefsTest : public EditorPrefsTest,
                           public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(MalformedPrefsTest, BankHoldsOnlyWhatTheFileGave)
{
    readBody(GetParam().body);
    EXPECT_EQ(bankEntries(0), GetParam().bank0);
    EXPECT_TRUE(restIsBlank(0));
    EXPECT_LE(bankCount[0], BANK_SLOTS);
}

INSTANTIATE_TEST_SUITE_P(
    Files, MalformedPrefsTest,
    ::testing::Values(
        MalformedCase{"countZero", {"-guiprefs/bank1 0", "-guiprefs/bank1/channels 5 6 70"}, {}},
        MalformedCase{"otherBankNumber", {"-guiprefs/bank10 3", "-guiprefs/bank1/channels 5 6 70"}, {}},
        MalformedCase{"countLineOnly", {"-guiprefs/bank1 3"}, {}},
        MalformedCase{"emptyChannelsLine", {"-guiprefs/bank1 3", ""}, {}},
        MalformedCase{"emptyCountLine", {"", "-guiprefs/bank1/channels 5 6 70"}, {}},
        MalformedCase{"fewerNumbersThanCount", {"-guiprefs/bank1 12", "-guiprefs/bank1/channels 5 6"}, {5, 6}},
        MalformedCase{"moreNumbersThanCount", {"-guiprefs/bank1 2", "-guiprefs/bank1/channels 5 6 7 8"}, {5, 6}},
        MalformedCase{"countOver80", {"-guiprefs/bank1 95", "-guiprefs/bank1/channels" + numbers(3, 95)}, counting(3, 80)},
        MalformedCase{"negativeCount", {"-guiprefs/bank1 -4", "-guiprefs/bank1/channels 5 6"}, {}},
        MalformedCase{"countWithoutDigits", {"-guiprefs/bank1 many", "-guiprefs/bank1/channels 5 6"}, {}},
        MalformedCase{"countWithTrailingText", {"-guiprefs/bank1 2x", "-guiprefs/bank1/channels 5 6 7"}, {5, 6}},
        MalformedCase{"garbageNumbers",
                      {"-guiprefs/bank1 8", "-guiprefs/bank1/channels 12abc abc -3 81 +7 80 99999999999999999999 -"},
                      {12, 0, BLANK_STRIP, BLANK_STRIP, 7, BLANK_STRIP, BLANK_STRIP, 0}},
        MalformedCase{"blanksAndTabs", {"  -guiprefs/bank1 \t 3  ", "\t-guiprefs/bank1/channels   5\t6    70   "}, {5, 6, 70}},
        MalformedCase{"keyWithSuffix", {"-guiprefs/bank1x 3", "-guiprefs/bank1/channelsx 5 6 70"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorPrefsTest, WindowsLineEndsAreAccepted)
{
    readBody({"-guiprefs/bank1 3", "-guiprefs/bank1/channels 5 6 70", "-guiprefs/bank2 1",
              "-guiprefs/bank2/channels 33"},
             "\r\n");
    EXPECT_EQ(bankEntries(0), (std::vector<int>{5, 6, 70}));
    EXPECT_EQ(bankEntries(1), (std::vector<int>{33}));
}

TEST_F(EditorPrefsTest, OverlongLineDoesNotShiftTheFollowingLines)
{
    readBody({"-guiprefs/bank1 2", "-guiprefs/bank1/channels 5 6" + std::string(100000, ' ') + "7 8 9",
              "-guiprefs/bank2 1", "-guiprefs/bank2/channels 33"});
    EXPECT_EQ(bankEntries(0), (std::vector<int>{5, 6}));
    EXPECT_EQ(bankEntries(1), (std::vector<int>{33}));
}

TEST_F(EditorPrefsTest, ShortFileLeavesTheLaterBanksEmptyAndStillReports)
{
    readBody({"-guiprefs/bank1 1", "-guiprefs/bank1/channels 9", "-guiprefs/bank2 4"});
    EXPECT_EQ(bankEntries(0), (std::vector<int>{9}));
    EXPECT_EQ(bankCount[1], 0);
    EXPECT_TRUE(restIsBlank(1));
    EXPECT_EQ(output, "found 0 channels in bank 2\nfound 0 channels in bank 3\n");
}

TEST_F(EditorPrefsTest, EmptyFileGivesEmptyBanks)
{
    setPreferencesFileOverride(writeFile(folder / "empty.prefs", {}).c_str());
    readEditorPreferences();
    for (int b = 0; b < 8; ++b) EXPECT_EQ(bankCount[b], 0) << "bank " << b;
    EXPECT_EQ(output.find("default"), std::string::npos);
}

TEST_F(EditorPrefsTest, UserBanksAreClearedButSpillBanksKept)
{
    for (int b = 0; b < BANK_COUNT; ++b) {
        bankTable[b][0] = 3;
        bankTable[b][5] = 4;
        bankCount[b] = 6;
    }
    readBody({"-guiprefs/bank1 1", "-guiprefs/bank1/channels 12"});
    EXPECT_EQ(bankEntries(0), (std::vector<int>{12}));
    EXPECT_TRUE(restIsBlank(0));
    for (int b = 1; b < 8; ++b) {
        EXPECT_EQ(bankCount[b], 0);
        EXPECT_TRUE(restIsBlank(b));
    }
    for (int b = 8; b < BANK_COUNT; ++b) {
        EXPECT_EQ(bankCount[b], 6);
        EXPECT_EQ(bankTable[b][5], 4);
    }
}

struct DcaCase {
    const char* name;
    const char* bank9;
    int before;
    int after;
};

class DcaStartTest : public EditorPrefsTest, public ::testing::WithParamInterface<DcaCase> {};

TEST_P(DcaStartTest, NinthBankSeedsTheDcaGroup)
{
    Lines body(16, "");
    body.push_back("-guiprefs/bank9 3");
    body.push_back(std::string("-guiprefs/bank9/channels ") + GetParam().bank9);
    currentDcaGroup = GetParam().before;
    readBody(body);
    EXPECT_EQ(currentDcaGroup, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Groups, DcaStartTest,
                         ::testing::Values(DcaCase{"dca3", "74 75 76", -1, 2},
                                           DcaCase{"dca1", "72", -1, 0},
                                           DcaCase{"dca8", "79 72", -1, 7},
                                           DcaCase{"alreadySet", "74", 5, 5},
                                           DcaCase{"notADca", "70 74", -1, 0},
                                           DcaCase{"emptySlot", "80", -1, 0},
                                           DcaCase{"outOfRange", "200", -1, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorPrefsTest, DefaultBanksCoverEveryStripInFourBanks)
{
    setPreferencesFileOverride((folder / "missing.prefs").string().c_str());
    readEditorPreferences();
    EXPECT_EQ(bankEntries(0), counting(0, 32));
    EXPECT_EQ(bankEntries(1), counting(32, 16));
    EXPECT_EQ(bankEntries(2), counting(48, 16));
    EXPECT_EQ(bankEntries(3), counting(64, 16));
    for (int b = 0; b < 8; ++b) EXPECT_TRUE(restIsBlank(b)) << "bank " << b;
    for (int b = 4; b < 8; ++b) EXPECT_EQ(bankCount[b], 0);
    EXPECT_EQ(currentDcaGroup, 0);
    EXPECT_EQ(output, "cannot read preferences file " + (folder / "missing.prefs").string() +
                          "\nno editor preferences read: using the default banks\n");
}

TEST_F(EditorPrefsTest, ExplicitFileWinsOverTheEditorsFile)
{
    writeFile(x32File(), withHeader({"-guiprefs/bank1 1", "-guiprefs/bank1/channels 1"}));
    std::string chosen = writeFile(folder / "show.prefs", withHeader({"-guiprefs/bank1 1", "-guiprefs/bank1/channels 2"}));
    editorKind = 1;
    setPreferencesFileOverride(chosen.c_str());
    readEditorPreferences();
    EXPECT_EQ(bankEntries(0), (std::vector<int>{2}));
}

TEST_F(EditorPrefsTest, FoundEditorReadsItsOwnFile)
{
    writeFile(x32File(), withHeader({"-guiprefs/bank1 1", "-guiprefs/bank1/channels 1"}));
    writeFile(m32File(), withHeader({"-guiprefs/bank1 1", "-guiprefs/bank1/channels 2"}));
    editorKind = 2;
    readEditorPreferences();
    EXPECT_EQ(bankEntries(0), (std::vector<int>{2}));
    EXPECT_EQ(output, "found 0 channels in bank 2\nfound 0 channels in bank 3\n");

    editorKind = 1;
    readEditorPreferences();
    EXPECT_EQ(bankEntries(0), (std::vector<int>{1}));
}

TEST_F(EditorPrefsTest, FoundEditorWithoutItsFileUsesTheDefaults)
{
    writeFile(m32File(), withHeader({"-guiprefs/bank1 1", "-guiprefs/bank1/channels 2"}));
    editorKind = 1;
    readEditorPreferences();
    EXPECT_EQ(bankEntries(0), counting(0, 32));
}

TEST_F(EditorPrefsTest, WithoutAnEditorTheX32FileComesFirst)
{
    writeFile(x32File(), withHeader({"-guiprefs/bank1 1", "-guiprefs/bank1/channels 1"}));
    writeFile(m32File(), withHeader({"-guiprefs/bank1 1", "-guiprefs/bank1/channels 2"}));
    readEditorPreferences();
    EXPECT_EQ(bankEntries(0), (std::vector<int>{1}));
    EXPECT_NE(output.find("no editor window: read " + x32File() + "\n"), std::string::npos);
}

TEST_F(EditorPrefsTest, WithoutAnEditorTheM32FileIsNext)
{
    writeFile(m32File(), withHeader({"-guiprefs/bank1 1", "-guiprefs/bank1/channels 2"}));
    readEditorPreferences();
    EXPECT_EQ(bankEntries(0), (std::vector<int>{2}));
}

TEST_F(EditorPrefsTest, NoFileAnywhereGivesTheDefaults)
{
    currentDcaGroup = 4;
    readEditorPreferences();
    EXPECT_EQ(bankEntries(2), counting(48, 16));
    EXPECT_EQ(currentDcaGroup, 4);
    EXPECT_EQ(output, "no editor preferences read: using the default banks\n");
}

TEST_F(EditorPrefsTest, MissingProfileFolderIsReported)
{
    setTestEnvironment("USERPROFILE", "");
    setTestEnvironment("HOME", "");
    readEditorPreferences();
    EXPECT_EQ(output, "Cannot examine the user directory!\n"
                      "no editor preferences read: using the default banks\n");
    EXPECT_EQ(bankEntries(0), counting(0, 32));
}

TEST_F(EditorPrefsTest, FolderInPlaceOfTheFileCountsAsMissing)
{
    fs::create_directories(x32File());
    readEditorPreferences();
    EXPECT_EQ(bankEntries(0), counting(0, 32));
}

}
