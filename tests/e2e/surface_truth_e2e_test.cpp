// What a hand on the surface leaves behind: motor faders that return to the
// console's value and touch that belongs to the physical fader. The bridge
// between both emulators.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "e2e/three_devices.h"

namespace {

const int kStartupMs = 30000;
const int kWithinMs = 3000;

// A hand on fader n: touch, move to position, let go.
bool handMoves(ThreeDevices& devices, int fader, double position)
{
    return surfaceCommand(devices, "touch " + std::to_string(fader) + " 1") &&
           surfaceCommand(devices, faderLine(fader, position)) &&
           surfaceCommand(devices, "touch " + std::to_string(fader) + " 0");
}

bool waitFor(const std::function<bool()>& condition, int withinMs)
{
    return eventually(withinMs, [&] { return condition() ? "" : "not yet"; }).empty();
}

class SurfaceTruth : public ::testing::Test {
protected:
    void start(const std::vector<std::string>& consoleArguments = {})
    {
        std::string why;
        ASSERT_TRUE(startThreeDevices(devices, kStartupMs, why, consoleArguments)) << why;
    }

    // Display position 1..8 shows text on its top or bottom line.
    bool displayShows(int position, bool top, const std::string& text)
    {
        return waitFor([&] {
            SurfaceView view;
            if (!readSurface(devices, view)) return false;
            return (top ? view.displayTop : view.displayBottom)[position - 1] == text;
        }, kWithinMs);
    }

    // The surface's fader n shows the console's value of address.
    void expectFaderFollows(int fader, const std::string& address)
    {
        double value = -1.0;
        ASSERT_TRUE(consoleFloat(devices, address, value));
        EXPECT_TRUE(surfaceExpect(devices, faderLine(fader, value), kWithinMs))
            << "fader " << fader << " should show " << address << " = " << value;
    }

    ThreeDevices devices;
};

// The motor fader goes back to the console's value once the hand leaves:
// after the console is set back to the last position the bridge sent, on a
// page where faders do nothing, and when a scroll puts a strip at the last
// sent position under a fader the hand moved.
TEST_F(SurfaceTruth, MotorFadersReturnToTheConsoleOnceTheHandLeaves)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(surfaceExpect(devices, "fader 1 0.7500", kWithinMs));
    ASSERT_TRUE(handMoves(devices, 1, 0.25));
    ASSERT_TRUE(waitFor([&] {
        double v = 0;
        return consoleFloat(devices, "/ch/01/mix/fader", v) && std::fabs(v - 0.25) < 0.01;
    }, kWithinMs));
    ASSERT_TRUE(consoleCommand(devices, "set /ch/01/mix/fader 0.75"));
    expectFaderFollows(1, "/ch/01/mix/fader");

    double third = 0;
    ASSERT_TRUE(consoleFloat(devices, "/ch/03/mix/fader", third));
    ASSERT_TRUE(consoleCommand(devices, "set /ch/11/mix/fader " + std::to_string(third)));
    ASSERT_TRUE(handMoves(devices, 3, 0.1));
    ASSERT_TRUE(surfaceCommand(devices, "press 47"));  // channels 9-16
    ASSERT_TRUE(displayShows(3, true, "Ch 11"));
    expectFaderFollows(3, "/ch/11/mix/fader");
    ASSERT_TRUE(surfaceCommand(devices, "press 46"));
    ASSERT_TRUE(displayShows(8, true, "Ch 8"));

    // The equaliser page: faders change nothing. The hand moves once the page
    // is shown, so no motor message still on its way can move the fader back.
    ASSERT_TRUE(surfaceCommand(devices, "press 44"));
    ASSERT_TRUE(surfaceExpect(devices, "lamp 44 127", kWithinMs));
    ASSERT_TRUE(displayShows(2, false, "EQ"));
    ASSERT_TRUE(handMoves(devices, 2, 0.05));
    expectFaderFollows(2, "/ch/02/mix/fader");
}

// A fader held while the bank scrolls is released by the hand that holds it:
// the strip it showed at the touch is not left touched for good.
TEST_F(SurfaceTruth, AFaderHeldAcrossAScrollFollowsTheConsoleAfterwards)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(surfaceCommand(devices, "touch 1 1"));
    ASSERT_TRUE(surfaceCommand(devices, "press 47"));
    ASSERT_TRUE(displayShows(1, true, "Ch 9"));
    ASSERT_TRUE(surfaceCommand(devices, "touch 1 0"));
    expectFaderFollows(1, "/ch/09/mix/fader");
    ASSERT_TRUE(surfaceCommand(devices, "press 46"));
    ASSERT_TRUE(consoleCommand(devices, "set /ch/01/mix/fader 0.3"));
    expectFaderFollows(1, "/ch/01/mix/fader");
}

}  // namespace
