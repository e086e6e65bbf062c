// The head amp and source name of a strip, through every routing-code family.
#include <gtest/gtest.h>

#include "app/reset_state.h"
#include "display/formatters.h"
#include "display/name_tables.h"
#include "model/console_model.h"

namespace {

struct RoutingCase {
    const char* what;
    int source;      // the strip's source code
    int code;        // routing code of the block (or aux column) the source uses
    int userInput;   // user-routing value at the element the rule should read
    int headAmp;
    const char* name;
};

// Channel 6 reads blocks of eight; aux 2 reads the aux column.
void expectCases(int strip, std::initializer_list<RoutingCase> cases)
{
    for (const RoutingCase& c : cases) {
        resetAllState();
        strips[strip].source = c.source;
        routingBlocks[0][c.source >= 1 && c.source <= 32 ? (c.source - 1) / 8 : 4] = c.code;
        // Only the right element holds the value, so a rule reading another sees "-".
        int element = c.source <= 32 ? c.source - 1 : c.source - 33;
        if (element >= 0 && element < 32) userRouting[element] = c.userInput;
        EXPECT_EQ(headAmpIndexOf(strip), c.headAmp) << c.what;
        EXPECT_STREQ(stripSourceName(strip), c.name) << c.what;
    }
}

TEST(FormattersRouting, InputChannelBlocks)
{
    expectCases(5, {
        {"off", 0, 0, 0, -1, "OFF"},
        {"local 10 in block 1", 10, 1, 0, 9, "In10"},
        {"local block code 3 place 7", 8, 3, 0, 31, "In32"},
        {"AES50 A block 4", 3, 4, 0, 34, "A03"},
        {"AES50 B last block", 8, 15, 0, 127, "B48"},
        {"card block has no head amp", 1, 16, 0, -1, "C01"},
        {"card last block", 32, 19, 0, -1, "C32"},
        {"user routing to AES50 A 1", 5, 20, 33, 32, "A01"},
        {"user routing to local 1", 25, 23, 1, 0, "In01"},
        {"user routing unassigned", 2, 20, 0, -1, "-"},
        {"user routing to card", 2, 20, 129, -1, "C01"},
        {"user routing value out of table", 2, 20, 500, -1, "?"},
        {"negative block code", 1, -1, 0, -1, "?"},
    });
}

TEST(FormattersRouting, AuxInputColumn)
{
    expectCases(33, {
        {"code 0: the console's own aux inputs", 33, 0, 0, -1, "Aux1"},
        {"code 1 place 0", 33, 1, 0, 0, "In01"},
        {"code 1 has two places only", 35, 1, 0, -1, "-"},
        {"code 3 place 5", 38, 3, 0, 5, "In06"},
        {"code 9 place 5", 38, 9, 0, 85, "B06"},
        {"card code 10 has no head amp", 33, 10, 0, -1, "C01"},
        {"user routing reads input 1 for aux 1", 33, 13, 7, 6, "In07"},
        {"user routing reads input 6 for aux 6", 38, 14, 40, 39, "A08"},
        {"USB is not an aux input", 39, 1, 0, -1, "USB L"},
        {"bus source", 64, 1, 0, -1, "BUS 16"},
        {"source past the table", 65, 0, 0, -1, "*"},
        {"negative source", -3, 0, 0, -1, "*"},
    });
}

TEST(FormattersRouting, PlayRowWhenTheRoutingSwitchIsOnAndStripsWithoutASource)
{
    resetAllState();
    strips[5].source = 9;       // block 1, place 0
    routingBlocks[0][1] = 1;    // IN: local 9-16
    routingBlocks[5][1] = 4;    // PLAY: AES50 A 1-8
    EXPECT_EQ(headAmpIndexOf(5), 8);
    routSwitch = 1;
    EXPECT_EQ(headAmpIndexOf(5), 32);
    EXPECT_STREQ(stripSourceName(5), "A01");

    for (int strip : {40, 48, BLANK_STRIP, -1}) EXPECT_EQ(headAmpIndexOf(strip), -1) << strip;
    EXPECT_STREQ(stripSourceName(BLANK_STRIP), "?");
}

}  // namespace
