// Helpers for the page and effects-editing tests: the expected OSC writes as
// a compact table, and a selected strip laid out in bank 0.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "control/page_controls.h"
#include "control/strip_controls_support.h"
#include "model/console_model.h"

// One expected write: address, tag 'i' or 'f', and the argument.
struct Write {
    std::string address;
    char tag;
    double value;
};

inline std::ostream& operator<<(std::ostream& out, const Write& w)
{
    return out << w.address << " ," << w.tag << " " << w.value;
}

inline ::testing::AssertionResult sameWrites(const std::vector<OscSeen>& seen,
                                             const std::vector<Write>& expected)
{
    std::string differences;
    size_t n = seen.size() > expected.size() ? seen.size() : expected.size();
    for (size_t k = 0; k < n; ++k) {
        std::ostringstream line;
        if (k >= seen.size()) {
            line << "#" << k << " missing: " << expected[k] << "\n";
        } else if (k >= expected.size()) {
            line << "#" << k << " unexpected: " << seen[k] << "\n";
        } else {
            const Write& w = expected[k];
            const OscSeen& s = seen[k];
            bool same = s.address == w.address && s.tags == std::string(1, w.tag) &&
                        (w.tag == 'i' ? s.i == static_cast<int>(w.value)
                                      : std::fabs(s.f - w.value) < 1e-6);
            if (!same) line << "#" << k << " got " << s << ", want " << w << "\n";
        }
        differences += line.str();
    }
    if (differences.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\n" << differences;
}

// Addresses only, for tests about what goes out rather than the values.
inline std::vector<std::string> addressesOf(const std::vector<OscSeen>& seen)
{
    std::vector<std::string> out;
    for (const OscSeen& s : seen) out.push_back(s.address);
    return out;
}

// Bank 0 holds strips 0..7 and more; the strip is selected as the surface would.
inline void selectStrip(int strip)
{
    selectedStrip = strip;
    selectedBankSlot = bankSlotOf(strip);
}

constexpr int CW1 = 1;     // one tick clockwise
constexpr int CCW1 = 65;   // one tick anticlockwise
inline int cw(int ticks) { return ticks; }
inline int ccw(int ticks) { return 64 + ticks; }

// Encoder 1..8 of a page turned, as the dispatcher hands it on.
inline void turn(int page, int encoder, int value) { handlePageEncoder(page, encoder - 1, value); }
inline void press(int page, int note) { handlePageTopButton(page, note); }
