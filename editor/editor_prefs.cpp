#include "editor/editor_prefs.h"

#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

#include "editor/editor_window.h"
#include "model/console_model.h"
#include "platform/console_output.h"
#include "platform/profile.h"

namespace {

constexpr int USER_BANKS = 8;
constexpr int EDITOR_BANKS = 9;   // the ninth seeds the DCA spill bank 8
constexpr size_t MAX_LINE = 4096;   // 80 numbers and the key need about 350
constexpr const char* X32_PREFS = "\\AppData\\Roaming\\X32-Edit\\X32Edit.prefs";
constexpr const char* M32_PREFS = "\\AppData\\Roaming\\M32-Edit\\M32Edit.prefs";

std::string fileOverride;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Fields separated by runs of blanks; a CR left by a Windows line end is one too.
std::vector<std::string_view> splitFields(const std::string& line)
{
    std::vector<std::string_view> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) ++i;
        size_t start = i;
        while (i < line.size() && !isBlank(line[i])) ++i;
        if (i > start) fields.emplace_back(line.data() + start, i - start);
    }
    return fields;
}

// An optional sign and the leading decimal digits; no digits read as 0.
// Saturates far beyond any meaningful value instead of overflowing.
int readNumber(std::string_view field)
{
    size_t i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
    long long value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        if (value < 1000000000) value = value * 10 + (field[i] - '0');
    }
    return static_cast<int>(negative ? -value : value);
}

// One line of at most MAX_LINE characters kept; the rest of a longer line is
// skipped, so a file without line ends cannot fill the memory.
void readLine(std::streambuf& in, std::string& line)
{
    line.clear();
    for (int c = in.sbumpc(); c != std::char_traits<char>::eof() && c != '\n'; c = in.sbumpc()) {
        if (line.size() < MAX_LINE) line.push_back(static_cast<char>(c));
    }
}

bool startsWith(const std::vector<std::string_view>& fields, const std::string& key)
{
    return !fields.empty() && fields[0] == key;
}

// Stores up to count strip numbers from the fields after the key; a number
// that names no strip becomes an empty slot. Returns how many were stored.
int storeChannels(int bank, const std::vector<std::string_view>& fields, int count)
{
    int stored = 0;
    for (size_t f = 1; f < fields.size() && stored < count && stored < BANK_SLOTS; ++f) {
        int strip = readNumber(fields[f]);
        bankTable[bank][stored++] = (strip < 0 || strip > BLANK_STRIP) ? BLANK_STRIP : strip;
    }
    return stored;
}

// One editor bank k (1..9): its count line and its channels line.
void readBank(int k, const std::string& countLine, const std::string& channelsLine)
{
    int bank = k - 1;
    std::string key = "-guiprefs/bank" + std::to_string(k);
    std::vector<std::string_view> countFields = splitFields(countLine);
    bool countMatched = startsWith(countFields, key);
    int count = bankCount[bank];
    if (countMatched) {
        count = countFields.size() > 1 ? readNumber(countFields[1]) : 0;
        if (count < 0) count = 0;
        if (count > BANK_SLOTS) count = BANK_SLOTS;
    }
    std::vector<std::string_view> channelFields = splitFields(channelsLine);
    int stored = 0;
    if (startsWith(channelFields, key + "/channels") && count >= 1)
        stored = storeChannels(bank, channelFields, count);
    // The count never promises more entries than the file gave.
    if (countMatched) bankCount[bank] = stored;
    if (k == 2 || k == 3) consolePrint("found %d channels in bank %d\n", bankCount[bank].load(), k);
}

void clearUserBanks()
{
    for (int b = 0; b < USER_BANKS; ++b) {
        for (auto& slot : bankTable[b]) slot = BLANK_STRIP;
        bankCount[b] = 0;
    }
}

void setDcaGroupFromBank8()
{
    int first = bankTable[8][0];
    forEverySurfaceRecord([first] {
        if (currentDcaGroup < 0) currentDcaGroup = isDca(first) ? first - FIRST_DCA : 0;
    });
}

void fillBank(int bank, int firstStrip, int count)
{
    for (int i = 0; i < count; ++i) bankTable[bank][i] = firstStrip + i;
    bankCount[bank] = count;
}

void useDefaultBanks()
{
    fillDefaultBanks();
    forEverySurfaceRecord([] {
        if (currentDcaGroup < 0) currentDcaGroup = 0;
    });
    consolePrint("no editor preferences read: using the default banks\n");
}

// Without an editor window: the X32-Edit file, else the M32-Edit file.
bool readEditorlessPreferences(const std::string& folder, std::string& path)
{
    for (const char* name : {X32_PREFS, M32_PREFS}) {
        path = profilePath(folder, name);
        if (readPreferencesFile(path)) {
            consolePrint("no editor window: read %s\n", path.c_str());
            return true;
        }
    }
    return false;
}

// No strip in any of banks 0-7: such banks would blank the whole surface.
bool userBanksEmpty()
{
    for (int b = 0; b < USER_BANKS; ++b) {
        for (int i = 0; i < bankCount[b]; ++i) {
            if (bankTable[b][i] != BLANK_STRIP) return false;
        }
    }
    return true;
}

}

bool readPreferencesFile(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    std::ifstream file(path);
    if (!file) return false;
    // A file shorter than this leaves the missing lines empty.
    std::string line[2 + 2 * EDITOR_BANKS];
    for (std::string& l : line) readLine(*file.rdbuf(), l);
    for (int k = 1; k <= EDITOR_BANKS; ++k) readBank(k, line[2 * k], line[2 * k + 1]);
    return true;
}

void readEditorPreferences()
{
    clearUserBanks();
    bool read = false;
    std::string path = fileOverride;
    if (!fileOverride.empty()) {
        read = readPreferencesFile(fileOverride);
        if (!read) consolePrint("cannot read preferences file %s\n", fileOverride.c_str());
    } else {
        std::string folder;
        if (!userProfileFolder(folder)) {
            consolePrint("Cannot examine the user directory!\n");
        } else if (editorKind == 1 || editorKind == 2) {
            path = profilePath(folder, editorKind == 1 ? X32_PREFS : M32_PREFS);
            read = readPreferencesFile(path);
        } else {
            read = readEditorlessPreferences(folder, path);
        }
    }
    if (!read) {
        useDefaultBanks();
        return;
    }
    if (userBanksEmpty()) {
        consolePrint("%s holds no banks of strips: using the default banks\n", path.c_str());
        fillDefaultBanks();
    }
    setDcaGroupFromBank8();
}

void setPreferencesFileOverride(const char* path)
{
    fileOverride = path ? path : "";
}

void fillDefaultBanks()
{
    clearUserBanks();
    fillBank(0, FIRST_CHANNEL, CHANNEL_COUNT);
    fillBank(1, FIRST_AUX_IN, FIRST_BUS - FIRST_AUX_IN);
    fillBank(2, FIRST_BUS, FIRST_MATRIX - FIRST_BUS);
    fillBank(3, FIRST_MATRIX, STRIP_COUNT - FIRST_MATRIX);
}

void resetEditorPrefsState()
{
    fileOverride.clear();
}
