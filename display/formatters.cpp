// Value-to-text tables. Each table is a rising list of (threshold, text); a
// value takes the text of the first threshold not below it. The exponential
// tables cut their last printed digit rather than rounding it.
#include "display/formatters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>

#include "model/console_model.h"

namespace {

constexpr int TABLE_TEXT_SIZE = 16;  // texts are at most 7 characters
constexpr int TABLE_MAX_ENTRIES = 201;

struct ValueTable {
    int count;
    float threshold[TABLE_MAX_ENTRIES];
    char text[TABLE_MAX_ENTRIES][TABLE_TEXT_SIZE];
};

struct ValueTables {
    ValueTable level, hold, release, q, lowCut, freq;
};

// A small tolerance keeps values such as 2.0 computed as 1.9999999 from
// losing their last digit.
long long cutDigits(double x, double scale)
{
    return static_cast<long long>(std::floor(x * scale + 1e-6));
}

float roundedThreshold(int k, int last)
{
    // Four decimals, halves away from zero.
    return static_cast<float>(std::round(k * 10000.0 / last) / 10000.0);
}

float plainThreshold(int k, int last) { return static_cast<float>(static_cast<double>(k) / last); }

void setText(ValueTable& table, int k, const char* format, long long a, long long b = 0)
{
    // Room for any two numbers, so the compiler can see nothing is cut; the
    // tables' own values fit the entry.
    char text[48];
    std::snprintf(text, sizeof text, format, a, b);
    std::snprintf(table.text[k], TABLE_TEXT_SIZE, "%.*s", TABLE_TEXT_SIZE - 1, text);
}

// Fader law in quarter decibels for level k/160; every segment is exact.
int levelQuarterDb(int k)
{
    if (k >= 80) return k - 120;
    if (k >= 40) return 2 * k - 200;
    if (k >= 10) return 4 * k - 280;
    return 12 * k - 360;
}

void buildLevel(ValueTable& t)
{
    t.count = 161;
    for (int k = 0; k < t.count; ++k) {
        t.threshold[k] = roundedThreshold(k, 160);
        if (k == 0) {
            std::snprintf(t.text[k], TABLE_TEXT_SIZE, "-oo");
            continue;
        }
        int fifths = levelQuarterDb(k) * 5;   // tenths of a dB, doubled
        int tenths = (fifths + (fifths >= 0 ? 1 : -1)) / 2;
        char number[TABLE_TEXT_SIZE];
        std::snprintf(number, sizeof number, "%c%d.%d", tenths < 0 ? '-' : '+',
                      std::abs(tenths) / 10, std::abs(tenths) % 10);
        std::snprintf(t.text[k], TABLE_TEXT_SIZE, "%5s", number);
    }
}

void buildHold(ValueTable& t)
{
    t.count = 101;
    for (int k = 0; k < t.count; ++k) {
        t.threshold[k] = plainThreshold(k, 100);
        double ms = 0.02 * std::pow(100000.0, k / 100.0);
        long long hundredths = cutDigits(ms, 100.0);
        long long tenths = cutDigits(ms, 10.0);
        if (hundredths < 1000) {
            setText(t, k, "%lld.%02lld", hundredths / 100, hundredths % 100);
        } else if (tenths < 1000) {
            setText(t, k, "%lld.%lld", tenths / 10, tenths % 10);
        } else {
            setText(t, k, "%4lld", cutDigits(ms, 1.0));
        }
    }
}

void buildRelease(ValueTable& t)
{
    t.count = 101;
    for (int k = 0; k < t.count; ++k) {
        t.threshold[k] = plainThreshold(k, 100);
        long long ms = cutDigits(5.0 * std::pow(800.0, k / 100.0), 1.0);
        setText(t, k, ms < 100 ? "%3lld " : "%4lld", ms);
    }
}

void buildQ(ValueTable& t)
{
    t.count = 72;
    for (int k = 0; k < t.count; ++k) {
        t.threshold[k] = roundedThreshold(k, 71);
        if (k == 0) {
            std::snprintf(t.text[k], TABLE_TEXT_SIZE, "10");
            continue;
        }
        long long tenths = cutDigits(10.0 * std::pow(0.03, k / 71.0), 10.0);
        setText(t, k, "%lld.%lld", tenths / 10, tenths % 10);
    }
}

void buildLowCut(ValueTable& t)
{
    t.count = 101;
    for (int k = 0; k < t.count; ++k) {
        t.threshold[k] = plainThreshold(k, 100);
        setText(t, k, "%lld", cutDigits(20.0 * std::pow(20.0, k / 100.0), 1.0));
    }
}

void buildFreq(ValueTable& t)
{
    t.count = 201;
    for (int k = 0; k < t.count; ++k) {
        t.threshold[k] = plainThreshold(k, 200);
        double hz = 20.0 * std::pow(1000.0, k / 200.0);
        long long tenths = cutDigits(hz, 10.0);
        if (tenths < 10000) {
            setText(t, k, "%lld.%lld", tenths / 10, tenths % 10);
        } else {
            long long hundredthsOfKhz = cutDigits(hz, 0.1);
            setText(t, k, "%lldk%02lld", hundredthsOfKhz / 100, hundredthsOfKhz % 100);
        }
    }
}

const ValueTables& valueTables()
{
    // Built once, on first use; function-local statics are initialised
    // thread-safely.
    static const ValueTables* tables = [] {
        static ValueTables built;
        buildLevel(built.level);
        buildHold(built.hold);
        buildRelease(built.release);
        buildQ(built.q);
        buildLowCut(built.lowCut);
        buildFreq(built.freq);
        return &built;
    }();
    return *tables;
}

// nearest: the console's Q positions k / 71 arrive rounded either way of the
// four-decimal thresholds, so the first threshold not below the value can be
// the neighbour's; the nearest entry is the console's own position.
const char* lookUp(const ValueTable& table, double v, bool nearest = false)
{
    float value = static_cast<float>(v);
    if (std::isnan(value)) return table.text[0];
    const float* end = table.threshold + table.count;
    const float* hit = std::lower_bound(table.threshold, end, value);
    if (hit == end) return table.text[table.count - 1];
    if (nearest && hit != table.threshold && value - hit[-1] < hit[0] - value) --hit;
    return table.text[hit - table.threshold];
}

}  // namespace

const char* levelText(double v) { return lookUp(valueTables().level, v); }
const char* holdText(double v) { return lookUp(valueTables().hold, v); }
const char* releaseText(double v) { return lookUp(valueTables().release, v); }
const char* qText(double v) { return lookUp(valueTables().q, v, true); }
const char* lowCutText(double v) { return lookUp(valueTables().lowCut, v); }
const char* freqText(double v) { return lookUp(valueTables().freq, v); }

void stripLabel(char* buffer, int capacity, int strip)
{
    if (!buffer || capacity <= 0) return;
    buffer[0] = '\0';
    const StripFamily* family = stripFamilyOf(strip);
    if (!family) return;
    // Put together by hand: every refresh writes eight of these. Family
    // numbers have at most two digits.
    char text[16];
    int n = 0;
    for (const char* c = family->label; *c && n < 10; ++c) text[n++] = *c;
    if (family->numbered) {
        int number = stripNumberOf(strip);
        text[n++] = ' ';
        if (number >= 10) text[n++] = static_cast<char>('0' + number / 10 % 10);
        text[n++] = static_cast<char>('0' + number % 10);
    }
    if (n >= capacity) n = capacity - 1;
    std::memcpy(buffer, text, static_cast<size_t>(n));
    buffer[n] = '\0';
}
