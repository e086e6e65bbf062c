// The head amp and source name of a strip, through every routing-code family.
#include <gtest/gtest.h>

#include "app/reset_state.h"
#include "display/formatters.h"
#include "display/name_tables.h"
#include "model/console_model.h"

namespace {

struct RoutingCase {
    const char* what;
    int source;        // the strip's source code
    int code;          // routing code of the block (or the aux column) the source uses
    int userInput;     // userRouting value at the element the rule reads (if it reads one)
    int headAmp;
    const char* name;
};

class FormattersRouting : public ::testing::Test {
protected:
    void SetUp() override { resetAllState(); }

    // Puts code into the block of the IN row that source c reads, and the
    // user-routing value into every element, so that a rule reading the
    // wrong element still sees a value.
    void route(const RoutingCase& c, int row = 0)
    {
        strips[strip].source = c.source;
        if (c.source >= 1 && c.source <= 32) {
            routingBlocks[row][(c.source - 1) / 8] = c.code;
        } else {
            routingBlocks[row][4] = c.code;
        }
        for (int& value : userRouting) value = 0;
        int element = c.source <= 32 ? c.source - 1 : c.source - 33;
        if (element >= 0 && element < 32) userRouting[element] = c.userInput;
    }

    void expectCases(std::initializer_list<RoutingCase> cases)
    {
        for (const RoutingCase& c : cases) {
            route(c);
            EXPECT_EQ(headAmpIndexOf(strip), c.headAmp) << c.what;
            EXPECT_STREQ(stripSourceName(strip), c.name) << c.what;
        }
    }

    int strip = 5;
};

TEST_F(FormattersRouting, InputChannelBlocks)
{
    expectCases({
        {"off", 0, 0, 0, -1, "OFF"},
        {"local 1", 1, 0, 0, 0, "In01"},
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
        {"user routing to a non-input", 2, 20, 200, -1, "P16 16"},
        {"user routing value out of table", 2, 20, 500, -1, "?"},
        {"negative block code", 1, -1, 0, -1, "?"},
    });
}

TEST_F(FormattersRouting, AuxInputColumn)
{
    strip = 33;
    expectCases({
        {"aux code 0: the console's own aux inputs", 33, 0, 0, -1, "Aux1"},
        {"code 1 place 0", 33, 1, 0, 0, "In01"},
        {"code 1 has two places only", 35, 1, 0, -1, "-"},
        {"code 3 place 5", 38, 3, 0, 5, "In06"},
        {"code 5 place 3", 36, 5, 0, 35, "A04"},
        {"code 6 place 5", 38, 6, 0, 37, "A06"},
        {"code 9 place 5", 38, 9, 0, 85, "B06"},
        {"card code 10 has no head amp", 33, 10, 0, -1, "C01"},
        {"user routing reads input 1 for aux 1", 33, 13, 7, 6, "In07"},
        {"user routing reads input 6 for aux 6", 38, 14, 40, 39, "A08"},
        {"user routing unassigned", 34, 13, 0, -1, "-"},
        {"USB is not an aux input", 39, 1, 0, -1, "USB L"},
        {"bus source", 64, 1, 0, -1, "BUS 16"},
        {"source past the table", 65, 0, 0, -1, "*"},
        {"negative source", -3, 0, 0, -1, "*"},
    });
}

TEST_F(FormattersRouting, PlayRowWhenTheRoutingSwitchIsOn)
{
    strips[strip].source = 9;     // block 1, place 0
    routingBlocks[0][1] = 1;      // IN: local 9-16
    routingBlocks[5][1] = 4;      // PLAY: AES50 A 1-8
    EXPECT_EQ(headAmpIndexOf(strip), 8);
    EXPECT_STREQ(stripSourceName(strip), "In09");
    routSwitch = 1;
    EXPECT_EQ(headAmpIndexOf(strip), 32);
    EXPECT_STREQ(stripSourceName(strip), "A01");
}

TEST_F(FormattersRouting, StripsOutsideTheModelHaveNoHeadAmp)
{
    EXPECT_EQ(headAmpIndexOf(BLANK_STRIP), -1);
    EXPECT_EQ(headAmpIndexOf(-1), -1);
    EXPECT_STREQ(stripSourceName(BLANK_STRIP), "?");
    // An effects return or bus carries no source code of its own.
    EXPECT_EQ(headAmpIndexOf(40), -1);
    EXPECT_EQ(headAmpIndexOf(48), -1);
}

}  // namespace
