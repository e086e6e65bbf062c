// The pages of the selected strip write exactly what the operator edits: a
// crawl over every strip with audio, every such page, every encoder (both
// ways, pushed and not, on both equaliser layers) and every top-row button,
// from a console holding a value other than the bridge's start value in
// every field. No action writes more than one value, and a turn against
// the end of a range writes nothing at all. The bridge's memory may be
// behind the console, so a field the action leaves alone is never written.
#include <cstdio>

#include "control/strip_controls_support.h"

namespace {

constexpr int STRIP_PAGES[] = {PAGE_EQ, PAGE_PREAMP, PAGE_SENDS_1_TO_8, PAGE_SENDS_9_TO_16,
                               PAGE_ASSIGN, PAGE_GATE, PAGE_DYNAMICS};

// Every field a page edits, at its bottom, its top, or in between.
enum class Fill { Bottom, Middle, Top };

void fillStrip(int s, Fill fill)
{
    auto unit = [&](Relaxed<double>& field) { field = fill == Fill::Bottom ? 0.0 : fill == Fill::Top ? 1.0 : 0.43; };
    auto choice = [&](Relaxed<int>& field, int highest) { field = fill == Fill::Bottom ? 0 : fill == Fill::Top ? highest : 2; };
    StripRecord& r = strips[s];
    for (Relaxed<double>* f : {&r.fader, &r.pan, &r.hpf, &r.trim, &r.delayTime, &r.gateThr, &r.gateRange, &r.gateAttack,
                               &r.gateHold, &r.gateRelease, &r.gateFilterF, &r.dynThr, &r.dynKnee, &r.dynMGain, &r.dynAttack,
                               &r.dynHold, &r.dynRelease, &r.dynMix, &r.dynFilterF, &r.monoLevel, &r.automixWeight})
        unit(*f);
    for (int b = 1; b <= 6; ++b) {
        unit(r.eq[b].f);
        unit(r.eq[b].g);
        unit(r.eq[b].q);
        choice(r.eq[b].type, highestEqBandType(s));
    }
    for (int k = 1; k <= 16; ++k) unit(r.sends[k].level);
    choice(r.source, HIGHEST_SOURCE);
    choice(r.insertSel, HIGHEST_INSERT_SLOT);
    choice(r.gateKeySrc, HIGHEST_KEY_SOURCE);
    choice(r.dynKeySrc, HIGHEST_KEY_SOURCE);
    choice(r.gateFilterType, HIGHEST_FILTER_TYPE);
    choice(r.dynFilterType, HIGHEST_FILTER_TYPE);
    choice(r.dynRatio, HIGHEST_RATIO);
}

// Messages with a value: queries (the head amp a new source comes through)
// are not writes.
Writes writesOnly(const Writes& seen)
{
    Writes out;
    for (const Write& w : seen)
        if (w.tag != 0) out.push_back(w);
    return out;
}

struct Crawl {
    long actions = 0;
    long ticks = 0;
    long tickWrites = 0;
};

class PageWritesTest : public SurfaceControlTest {
protected:
    Crawl crawl;

    // Turns encoder 2..8 of the page both ways, pushed and not; every turn
    // writes at most one value, none when expectNone.
    void turnEveryEncoder(int page, int s, bool expectNone, int clockwiseValue)
    {
        for (int encoder = 2; encoder <= 8; ++encoder) {
            for (int pushed = 0; pushed <= 1; ++pushed) {
                encoderPushed[encoder - 1] = pushed;
                for (int value : {clockwiseValue, ccw(1)}) {
                    if (expectNone && value != clockwiseValue) continue;
                    turn(page, encoder, value);
                    Writes seen = writesOnly(mixer.drain());
                    ++crawl.ticks;
                    crawl.tickWrites += static_cast<long>(seen.size());
                    const size_t most = expectNone ? 0u : 1u;
                    EXPECT_LE(seen.size(), most) << "page " << page << " strip " << s << " encoder " << encoder
                                                 << (pushed ? " pushed" : "") << " value " << value << ": "
                                                 << ::testing::PrintToString(seen);
                }
                encoderPushed[encoder - 1] = 0;
            }
        }
    }
};

TEST_F(PageWritesTest, EveryControlWritesAtMostTheOneFieldItEdits)
{
    for (int page : STRIP_PAGES) {
        surfacePage = page;
        for (int s = 0; s < FIRST_DCA; ++s) {
            fillStrip(s, Fill::Middle);
            selectStrip(s);
            for (int layer = 0; layer <= (page == PAGE_EQ ? 1 : 0); ++layer) {
                eqEncoderLayer = layer;
                turnEveryEncoder(page, s, false, cw(1));
            }
            for (int note = 0; note < 8; ++note) {
                press(page, note);
                Writes seen = writesOnly(mixer.drain());
                ++crawl.actions;
                EXPECT_LE(seen.size(), 1u) << "page " << page << " strip " << s << " button " << note << ": "
                                           << ::testing::PrintToString(seen);
            }
        }
    }
    // The figure for the record: writes per encoder tick over the crawl.
    std::printf("page crawl: %ld encoder ticks, %ld writes (%.2f per tick), %ld buttons\n", crawl.ticks,
                crawl.tickWrites, crawl.ticks ? static_cast<double>(crawl.tickWrites) / crawl.ticks : 0.0,
                crawl.actions);
}

// One tick of the first encoder each page edits, on channel 1: one write,
// of the one value it moved.
struct OneTick {
    const char* name;
    int page;
    int encoder;
    const char* address;
};

void PrintTo(const OneTick& tick, std::ostream* out) { *out << tick.name; }

class OneTickWrites : public PageWritesTest, public ::testing::WithParamInterface<OneTick> {};

TEST_P(OneTickWrites, WritesTheOneValueItMoves)
{
    const OneTick& tick = GetParam();
    fillStrip(0, Fill::Middle);
    selectStrip(0);
    turn(tick.page, tick.encoder, cw(1));
    Writes seen = writesOnly(mixer.drain());
    ASSERT_EQ(addressesOf(seen), std::vector<std::string>{tick.address}) << ::testing::PrintToString(seen);
}

INSTANTIATE_TEST_SUITE_P(Pages, OneTickWrites,
                         ::testing::Values(OneTick{"preamp_trim", PAGE_PREAMP, 2, "/ch/01/preamp/trim"},
                                           OneTick{"eq_band1_gain", PAGE_EQ, 5, "/ch/01/eq/1/g"},
                                           OneTick{"gate_threshold", PAGE_GATE, 2, "/ch/01/gate/thr"},
                                           OneTick{"dynamics_threshold", PAGE_DYNAMICS, 2, "/ch/01/dyn/thr"},
                                           OneTick{"assign_mono_level", PAGE_ASSIGN, 3, "/ch/01/mix/mlevel"}),
                         byName);

TEST_F(PageWritesTest, AnEncoderAtTheEndOfItsRangeWritesNothing)
{
    for (int page : STRIP_PAGES) {
        surfacePage = page;
        for (int s = 0; s < FIRST_DCA; ++s) {
            selectStrip(s);
            for (int layer = 0; layer <= (page == PAGE_EQ ? 1 : 0); ++layer) {
                eqEncoderLayer = layer;
                fillStrip(s, Fill::Top);
                turnEveryEncoder(page, s, true, cw(1));
                fillStrip(s, Fill::Bottom);
                // Anticlockwise at the bottom: passed as the "clockwise" value
                // so that only that direction is turned.
                turnEveryEncoder(page, s, true, ccw(1));
            }
        }
    }
}

}  // namespace
