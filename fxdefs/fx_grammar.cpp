// The line grammar of the effects parameter files. A file is a count line and
// that many effect blocks; every parameter block inside is exactly seven lines
// long, which lets the reader skip a bad block's remaining parameters and
// resume at the start of the next block.
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "fxdefs/fx_files.h"
#include "platform/console_output.h"

namespace {

constexpr int PARAM_BLOCK_LINES = 7;

enum BlockResult { BLOCK_OK, BLOCK_BAD, BLOCK_END_OF_FILE };

struct LineSource {
    std::FILE* file;
    std::vector<char> text;  // capacity characters and a terminating zero
    int capacity;
};

// Next line without its line ending, cut at the first carriage return and at
// the line capacity (the rest of an over-long line is skipped so that the
// line count stays in step). False at the end of the file.
bool nextLine(LineSource& source)
{
    int length = 0;
    bool sawAny = false;
    bool cut = false;
    int c;
    while ((c = std::getc(source.file)) != EOF) {
        sawAny = true;
        if (c == '\n') break;
        if (c == '\r') cut = true;
        if (cut) continue;
        if (length < source.capacity) source.text[length++] = static_cast<char>(c);
    }
    source.text[length] = '\0';
    return sawAny;
}

bool skipLines(LineSource& source, long long count)
{
    for (long long i = 0; i < count; ++i) {
        if (!nextLine(source)) return false;
    }
    return true;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSpace(char c) { return c == ' ' || c == '\t'; }

// Decimal integer with an optional sign, like atoi but clamped; text that is
// not a number reads as 0.
int parseInteger(const char* text)
{
    bool negative = false;
    if (*text == '+' || *text == '-') negative = (*text++ == '-');
    long long value = 0;
    while (isDigit(*text)) {
        if (value < INT_MAX) value = value * 10 + (*text - '0');
        ++text;
    }
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(negative ? -value : value);
}

// Decimal integer or fraction with an optional sign; no exponents, no
// locale, text that is not a number reads as 0.
double parseDecimal(const char* text)
{
    bool negative = false;
    if (*text == '+' || *text == '-') negative = (*text++ == '-');
    double value = 0.0;
    while (isDigit(*text)) value = value * 10.0 + (*text++ - '0');
    if (*text == '.') {
        ++text;
        double scale = 0.1;
        while (isDigit(*text)) {
            value += (*text++ - '0') * scale;
            scale /= 10.0;
        }
    }
    return negative ? -value : value;
}

// Copies the word at text (up to a space, tab or '#') into a text field,
// cut to 7 characters.
void copyWord(const char* text, int length, char (&field)[FX_TEXT_SIZE])
{
    int n = length < FX_TEXT_SIZE - 1 ? length : FX_TEXT_SIZE - 1;
    std::memcpy(field, text, static_cast<size_t>(n));
    field[n] = '\0';
}

int firstWordLength(const char* line)
{
    int n = 0;
    while (line[n] != '\0' && !isSpace(line[n]) && line[n] != '#') ++n;
    return n;
}

// Next word of a line split at spaces and tabs; with stopAtHash the line
// ends at '#'. False when no word is left.
bool nextWord(const char*& cursor, bool stopAtHash, const char*& word, int& length)
{
    while (isSpace(*cursor)) ++cursor;
    if (*cursor == '\0' || (stopAtHash && *cursor == '#')) return false;
    word = cursor;
    while (*cursor != '\0' && !isSpace(*cursor) && !(stopAtHash && *cursor == '#')) ++cursor;
    length = static_cast<int>(cursor - word);
    return true;
}

int countOnLine(const char* line) { return isDigit(line[0]) ? parseInteger(line) : 0; }

bool startsSigned(const char* line)
{
    return isDigit(line[0]) || line[0] == '+' || line[0] == '-';
}

void readGroupLine(const char* line, FxDescription& fx)
{
    const char* cursor = line;
    const char* word = nullptr;
    int length = 0;
    if (!nextWord(cursor, true, word, length)) return;
    fx.editorGroupCount = parseInteger(word);
    if (fx.editorGroupCount > 1 && nextWord(cursor, true, word, length)) {
        fx.group2FirstPage = parseInteger(word);
    }
    if (fx.editorGroupCount > 2 && nextWord(cursor, true, word, length)) {
        fx.group3FirstPage = parseInteger(word);
    }
}

BlockResult readLinearTail(LineSource& source, FxParamDescription& param)
{
    if (!nextLine(source)) return BLOCK_END_OF_FILE;
    if (isDigit(source.text[0])) param.step = parseDecimal(source.text.data());
    if (!nextLine(source)) return BLOCK_END_OF_FILE;
    if (startsSigned(source.text.data())) param.min = parseDecimal(source.text.data());
    if (!nextLine(source)) return BLOCK_END_OF_FILE;
    if (startsSigned(source.text.data())) param.max = parseDecimal(source.text.data());
    param.kind = FX_KIND_LINF;
    return BLOCK_OK;
}

void fillLookUpTable(const char* labels, int count, FxParamDescription& param)
{
    FxLutEntry* table = &fxLutPool[fxLutPoolUsed];
    const char* cursor = labels;
    double value = 0.0;
    for (int i = 0; i < count; ++i) {
        if (i > 0) value += param.step;
        table[i].value = value;
        const char* word = nullptr;
        int length = 0;
        if (nextWord(cursor, false, word, length)) {
            copyWord(word, length, table[i].label);
        } else {
            table[i].label[0] = '\0';
        }
    }
    param.lutFirst = fxLutPoolUsed;
    param.lutCount = count;
    fxLutPoolUsed += count;
}

BlockResult readTableTail(LineSource& source, FxParamDescription& param, int kind)
{
    if (!nextLine(source)) return BLOCK_END_OF_FILE;
    if (isDigit(source.text[0])) param.step = parseDecimal(source.text.data());
    if (!nextLine(source)) return BLOCK_END_OF_FILE;
    int count = countOnLine(source.text.data());
    // The labels line keeps '#': it may be part of a label.
    if (!nextLine(source)) return BLOCK_END_OF_FILE;
    if (count > FX_LUT_MAX - 1) {
        consolePrint("Error: too many lut pairs\n");
        return BLOCK_BAD;
    }
    if (count > FX_LUT_POOL_SIZE - fxLutPoolUsed) {
        consolePrint("Error: no room left for lut pairs\n");
        return BLOCK_BAD;
    }
    fillLookUpTable(source.text.data(), count, param);
    if (kind == FX_KIND_ENUM) param.max = count - 1;
    param.kind = kind;
    return BLOCK_OK;
}

// One parameter block; the parameter counts as described (kind set) only
// when all its lines were read and accepted.
BlockResult readParameter(LineSource& source, FxParamDescription& param)
{
    if (!nextLine(source)) return BLOCK_END_OF_FILE;
    copyWord(source.text.data(), firstWordLength(source.text.data()), param.name);
    if (!nextLine(source)) return BLOCK_END_OF_FILE;
    param.page = parseInteger(source.text.data());
    if (!nextLine(source)) return BLOCK_END_OF_FILE;
    param.position = parseInteger(source.text.data());
    if (!nextLine(source)) return BLOCK_END_OF_FILE;
    const char* line = source.text.data();
    int length = firstWordLength(line);
    auto is = [&](const char* word) {
        return length == 4 && std::strncmp(line, word, 4) == 0;
    };
    if (is("linf")) return readLinearTail(source, param);
    if (is("logf")) return readTableTail(source, param, FX_KIND_LOGF);
    if (is("enum")) return readTableTail(source, param, FX_KIND_ENUM);
    consolePrint("Error: Unknown parameter type: [%s]\n", line);
    return skipLines(source, 3) ? BLOCK_BAD : BLOCK_END_OF_FILE;
}

BlockResult readEffect(LineSource& source, FxDescription& fx, int type)
{
    if (!nextLine(source)) return BLOCK_END_OF_FILE;
    copyWord(source.text.data(), firstWordLength(source.text.data()), fx.name);
    if (!nextLine(source)) return BLOCK_END_OF_FILE;
    int declared = countOnLine(source.text.data());
    fx.paramCount = declared < FX_PARAMS_PER_TYPE ? declared : FX_PARAMS_PER_TYPE;
    if (!nextLine(source)) return BLOCK_END_OF_FILE;
    fx.pageCount = countOnLine(source.text.data());
    if (!nextLine(source)) return BLOCK_END_OF_FILE;
    readGroupLine(source.text.data(), fx);
    for (int p = 0; p < fx.paramCount; ++p) {
        BlockResult result = readParameter(source, fx.params[p]);
        if (result == BLOCK_END_OF_FILE) return result;
        if (result == BLOCK_BAD) {
            long long rest = static_cast<long long>(declared - p - 1) * PARAM_BLOCK_LINES;
            return skipLines(source, rest) ? BLOCK_BAD : BLOCK_END_OF_FILE;
        }
    }
    if (declared > FX_PARAMS_PER_TYPE) {
        consolePrint("Error: effect %d has more than %d parameters, the rest are skipped\n",
                     type, FX_PARAMS_PER_TYPE);
        long long rest = static_cast<long long>(declared - FX_PARAMS_PER_TYPE) * PARAM_BLOCK_LINES;
        if (!skipLines(source, rest)) return BLOCK_END_OF_FILE;
    }
    return BLOCK_OK;
}

}  // namespace

bool readFxDescriptionFile(const std::string& path, FxDescription* table, int tableSize,
                           int lineCapacity)
{
    if (!table || tableSize <= 0 || lineCapacity <= 0) return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    LineSource source{file, std::vector<char>(static_cast<size_t>(lineCapacity) + 1), lineCapacity};
    bool haveCountLine = nextLine(source);
    if (!haveCountLine && std::ferror(file)) {
        // Opened but not readable, e.g. a folder of that name.
        std::fclose(file);
        return false;
    }
    int count = haveCountLine ? countOnLine(source.text.data()) : 0;
    for (int k = 0; k < count; ++k) {
        if (k >= tableSize) {
            consolePrint("Error: more than %d effects in the file, the rest are skipped\n",
                         tableSize);
            break;
        }
        if (readEffect(source, table[k], k) == BLOCK_END_OF_FILE) break;
    }
    std::fclose(file);
    consolePrint("done.\n");
    return true;
}
