// Reading the user banks from the editor's preferences file, malformed
// files, the default banks and where the file is looked for.
#include <gtest/gtest.h>

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
using Entries = std::vector<int>;

// A bank's entries; the slots past its count must be empty.
Entries bankEntries(int bank)
{
    for (int i = bankCount[bank]; i < BANK_SLOTS; ++i) {
        if (bankTable[bank][i] != BLANK_STRIP) ADD_FAILURE() << "bank " << bank << " slot " << i;
    }
    return Entries(bankTable[bank], bankTable[bank] + bankCount[bank]);
}

Entries counting(int first, int count)
{
    Entries v;
    for (int i = 0; i < count; ++i) v.push_back((first + i) % 80);
    return v;
}

const std::string COUNT1 = "-guiprefs/bank1";
const std::string CHANNELS1 = "-guiprefs/bank1/channels";
const std::string DEFAULTS = "no editor preferences read: using the default banks\n";

class EditorPrefsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetAllState();
        saved = {testEnvironment("USERPROFILE"), testEnvironment("HOME")};
        folder = fs::temp_directory_path() / ("velumbra-prefs-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder);
        setTestEnvironment("USERPROFILE", folder.string());
        setConsoleCapture(&output);
    }
    void TearDown() override
    {
        setConsoleCapture(nullptr);
        setTestEnvironment("USERPROFILE", saved[0]);
        setTestEnvironment("HOME", saved[1]);
        std::error_code error;
        fs::remove_all(folder, error);
        resetAllState();
    }

    // Two header lines, then body.
    std::string writeFile(const fs::path& path, const Lines& body)
    {
        fs::create_directories(path.parent_path());
        std::ofstream file(path, std::ios::binary);
        file << "-guiprefs/version 4\n-guiprefs/window 0 0 1188 751\n";
        for (const std::string& l : body) file << l << "\n";
        return path.string();
    }
    fs::path editorFile(const std::string& kind) const
    {
        return folder / "AppData" / "Roaming" / (kind + "-Edit") / (kind + "Edit.prefs");
    }
    void readBody(const Lines& body)
    {
        setPreferencesFileOverride(writeFile(folder / "explicit.prefs", body).c_str());
        readEditorPreferences();
    }

    std::string output;
    fs::path folder;
    std::vector<std::string> saved;
};

TEST_F(EditorPrefsTest, MalformedFilesGiveOnlyWhatTheyHold)
{
    const std::string COUNT2 = "-guiprefs/bank2", CHANNELS2 = "-guiprefs/bank2/channels";
    std::string numbers;
    for (int s : counting(3, 95)) numbers += " " + std::to_string(s);
    const struct { const char* name; Lines body; Entries bank0, bank1; } cases[] = {
        {"example", {COUNT1 + " 3", CHANNELS1 + " 5 6 70"}, {5, 6, 70}, {}},
        {"shiftedByALine", {"", COUNT1 + " 3", CHANNELS1 + " 5 6 70"}, {}, {}},
        // A line out of place disables only its own bank.
        {"otherBanksLine", {COUNT1 + " 2", CHANNELS2 + " 1 2", COUNT2 + " 2", CHANNELS2 + " 40 41"}, {}, {40, 41}},
        {"countZero", {COUNT1 + " 0", CHANNELS1 + " 5 6 70"}, {}, {}},
        {"negativeCount", {COUNT1 + " -4", CHANNELS1 + " 5 6"}, {}, {}},
        {"countLineOnly", {COUNT1 + " 3"}, {}, {}},
        {"emptyCountLine", {"", CHANNELS1 + " 5 6 70"}, {}, {}},
        {"keyWithSuffix", {COUNT1 + "x 3", CHANNELS1 + "x 5 6 70"}, {}, {}},
        {"otherBankNumber", {"-guiprefs/bank10 3", CHANNELS1 + " 5 6 70"}, {}, {}},
        {"fewerNumbersThanCount", {COUNT1 + " 12", CHANNELS1 + " 5 6"}, {5, 6}, {}},
        {"moreNumbersThanCount", {COUNT1 + " 2", CHANNELS1 + " 5 6 7 8"}, {5, 6}, {}},
        {"countOver80", {COUNT1 + " 95", CHANNELS1 + numbers}, counting(3, 80), {}},
        {"garbageNumbers", {COUNT1 + " 8", CHANNELS1 + " 12abc abc -3 81 +7 80 99999999999999999999 -"},
         {12, 0, BLANK_STRIP, BLANK_STRIP, 7, BLANK_STRIP, BLANK_STRIP, 0}, {}},
        {"blanksAndTabs", {"  " + COUNT1 + " \t 3  ", "\t" + CHANNELS1 + "   5\t6    70   "}, {5, 6, 70}, {}},
        {"windowsLineEnds", {COUNT1 + " 3\r", CHANNELS1 + " 5 6 70\r", COUNT2 + " 1\r", CHANNELS2 + " 33\r"},
         {5, 6, 70}, {33}},
        // An overlong line does not shift the lines after it.
        {"overlongLine", {COUNT1 + " 2", CHANNELS1 + " 5 6" + std::string(100000, ' ') + "7 8 9", COUNT2 + " 1",
                          CHANNELS2 + " 33"}, {5, 6}, {33}},
        {"shortFile", {COUNT1 + " 1", CHANNELS1 + " 9", COUNT2 + " 4"}, {9}, {}},
        {"onlyEmptySlots", {COUNT1 + " 2", CHANNELS1 + " 80 80"}, {}, {}},
        {"emptyFile", {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        output.clear();
        readBody(c.body);
        // A file that yields no strip at all would blank the surface: the
        // default banks instead, with the reason.
        const bool none = c.bank0.empty() && c.bank1.empty();
        EXPECT_EQ(bankEntries(0), none ? counting(0, 32) : c.bank0);
        EXPECT_EQ(bankEntries(1), none ? counting(32, 16) : c.bank1);
        EXPECT_EQ(output.find("explicit.prefs holds no banks of strips: using the default banks\n") !=
                      std::string::npos,
                  none)
            << output;
    }
}

// Which file is read: the explicit one, else the found editor's own, else
// (no editor) X32-Edit's before M32-Edit's, else the default banks. A
// folder where a file should be counts as missing.
TEST_F(EditorPrefsTest, FileLookupOrder)
{
    const struct { bool x32, m32, explicitFile; int editorKind, firstStrip; const char* editorless; } cases[] = {
        {true, true, true, 1, 3, nullptr},  {true, true, false, 2, 2, nullptr}, {true, true, false, 1, 1, nullptr},
        {false, true, false, 1, 0, nullptr}, {true, true, false, 0, 1, "X32"}, {false, true, false, 0, 2, "M32"},
        {false, false, false, 0, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x32 << c.m32 << c.explicitFile << " kind " << c.editorKind);
        fs::remove_all(folder / "AppData");
        if (c.x32) writeFile(editorFile("X32"), {COUNT1 + " 1", CHANNELS1 + " 1"});
        else fs::create_directories(editorFile("X32"));
        if (c.m32) writeFile(editorFile("M32"), {COUNT1 + " 1", CHANNELS1 + " 2"});
        std::string chosen = c.explicitFile ? writeFile(folder / "show.prefs", {COUNT1 + " 1", CHANNELS1 + " 3"}) : "";
        setPreferencesFileOverride(chosen.c_str());
        editorKind = c.editorKind;
        output.clear();
        readEditorPreferences();
        EXPECT_EQ(bankEntries(0), c.firstStrip ? Entries{c.firstStrip} : counting(0, 32));
        std::string read = c.editorless ? "no editor window: read " + editorFile(c.editorless).string() + "\n" : "";
        EXPECT_TRUE(c.editorless ? output.find(read) != std::string::npos
                                 : output.find("no editor window") == std::string::npos) << output;
        EXPECT_EQ(output.find(DEFAULTS) != std::string::npos, c.firstStrip == 0) << output;
    }
}

} // namespace
