// Console status, configuration and effects replies.
#include <thread>

#include "replies_support.h"

using namespace replytest;

namespace {

class ReplyStatus : public ReplyTest {};

TEST_F(ReplyStatus, SoloSwitchesAreOneAboveTheStripIndex)
{
    const struct {
        const char* address;
        int strip;
    } cases[] = {{"/-stat/solosw/71", 70}, {"/-stat/solosw/01", 0}, {"/-stat/solosw/80", 79},
                 {"/-stat/solosw/33", 32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        resetCounters();
        deliver(c.address, "i", 1);
        EXPECT_EQ(strips[c.strip].solo, 1);
        EXPECT_EQ(counted(), 1);
    }
    EXPECT_EQ(strips[69].solo, 0);
    EXPECT_EQ(strips[71].solo, 0);
}

TEST_F(ReplyStatus, SelectionFollowsTheSurfaceSlots)
{
    const struct {
        int bank[8];
        int32_t selected;
        int slot;
    } cases[] = {
        {{48, 49, 50, 51, 52, 53, 54, 55}, 48, 1},
        {{48, 49, 50, 51, 52, 53, 54, 55}, 55, 8},
        {{48, 49, 50, 51, 52, 53, 54, 55}, 5, 0},
        {{0, 7, 2, 3, 7, 80, 80, 80}, 7, 5},  // the highest slot that shows it
        {{0, 1, 2, 3, 4, 5, 6, 7}, 79, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selected);
        std::memcpy(bankStrips, c.bank, sizeof bankStrips);
        selectedBankSlot = 3;
        deliver("/-stat/selidx", "i", c.selected);
        EXPECT_EQ(selectedStrip, c.selected);
        EXPECT_EQ(selectedBankSlot, c.slot);
    }
    EXPECT_EQ(counted(), static_cast<int>(std::size(cases)));
}

TEST_F(ReplyStatus, KeySoloAndLockCountAndFreeTheMutex)
{
    deliver("/-stat/keysolo", "i", 1);
    deliver("/-stat/lock", "i", 1);
    EXPECT_EQ(keySolo, 1);
    EXPECT_EQ(consoleLock, 1);
    EXPECT_EQ(counted(), 2);
    // Another thread must be able to take the mutex at once.
    bool taken = false;
    std::thread other([&taken] {
        taken = modelMutex.try_lock();
        if (taken) modelMutex.unlock();
    });
    other.join();
    EXPECT_TRUE(taken);
}

TEST_F(ReplyStatus, ConfigurationValuesLandInTheirPlace)
{
    const struct {
        const char* address;
        int32_t value;
        int* target;
    } cases[] = {
        {"/config/amixenable/X", 1, &automixEnableX},
        {"/config/amixenable/Y", 1, &automixEnableY},
        {"/config/userrout/in/01", 4, &userRouting[0]},
        {"/config/userrout/in/32", 10, &userRouting[31]},
        {"/config/routing/routswitch", 1, &routSwitch},
        {"/config/mute/1", 1, &muteGroupOn[0]},
        {"/config/mute/6", 1, &muteGroupOn[5]},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        resetConsoleModel();
        resetCounters();
        ModelSnapshot before;
        takeSnapshot(before);
        deliver(c.address, "i", c.value);
        EXPECT_EQ(*c.target, c.value);
        *c.target = 0;
        EXPECT_EQ(modelDifference(before), "") << "something else changed too";
        EXPECT_EQ(counted(), 1);
    }
}

TEST_F(ReplyStatus, EveryRoutingCellLandsInItsRowOnly)
{
    const struct {
        const char* row;
        std::vector<const char*> columns;
    } rows[6] = {
        {"IN", {"1-8", "9-16", "17-24", "25-32", "AUX"}},
        {"AES50A", {"1-8", "9-16", "17-24", "25-32", "33-40", "41-48"}},
        {"AES50B", {"1-8", "9-16", "17-24", "25-32", "33-40", "41-48"}},
        {"CARD", {"1-8", "9-16", "17-24", "25-32"}},
        {"OUT", {"1-4", "5-8", "9-12", "13-16"}},
        {"PLAY", {"1-8", "9-16", "17-24", "25-32"}},
    };
    int32_t value = 1;
    int expected[6][6] = {};
    for (int row = 0; row < 6; ++row) {
        for (size_t column = 0; column < rows[row].columns.size(); ++column) {
            std::string address = std::string("/config/routing/") + rows[row].row + "/" +
                                  rows[row].columns[column];
            SCOPED_TRACE(address);
            deliver(address.c_str(), "i", value);
            expected[row][column] = value++;
            EXPECT_EQ(std::memcmp(expected, routingBlocks, sizeof expected), 0);
        }
    }
    EXPECT_EQ(counted(), value - 1);
}

TEST_F(ReplyStatus, EffectsTypeAndParameters)
{
    deliver("/fx/1/type", "i", 11);
    deliver("/fx/8/type", "i", 0);
    EXPECT_EQ(fxSlots[1].type, 11);
    EXPECT_EQ(fxSlots[8].type, 0);
    deliver("/fx/3/par/07", "i", 4);
    EXPECT_DOUBLE_EQ(fxSlots[3].par[7], 4.0);
    deliver("/fx/3/par/64", "f", 0.375);
    EXPECT_DOUBLE_EQ(fxSlots[3].par[64], 0.375);
    deliver("/fx/8/par/1", "f", 0.5);
    EXPECT_DOUBLE_EQ(fxSlots[8].par[1], 0.5);
    EXPECT_EQ(counted(), 5);
}

TEST_F(ReplyStatus, EffectsParameterStringIsCountedButNotStored)
{
    fxSlots[3].par[7] = 0.25;
    ModelSnapshot before;
    takeSnapshot(before);
    deliver("/fx/3/par/07", "s", "HALL");
    EXPECT_EQ(modelDifference(before), "");
    EXPECT_EQ(counted(), 1);
    // Neither a missing argument nor another type releases a query.
    deliver("/fx/3/par/07", "");
    deliver("/fx/3/par/07", "T");
    const uint8_t bytes[4] = {1, 2, 3, 4};
    deliver("/fx/3/par/07", "b", int32_t{4}, bytes);
    deliver("/fx/3/type", "f", 1.0);
    deliver("/fx/3/type", "s", "1");
    Encoded e = encode("/fx/3/par/07", "s", "abc");
    deliverBytes(e.bytes, e.length - 4);  // the tag, but no string bytes
    EXPECT_EQ(modelDifference(before), "");
    EXPECT_EQ(counted(), 1);
}

} // namespace
