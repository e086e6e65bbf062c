// Mute-group buttons, driven by surface datagrams and checked on what reaches
// the console stand-in. (Mute, solo, clear-solo and routing-switch buttons
// are compared with the console end to end.)
#include "control/strip_controls.h"
#include "control/strip_controls_support.h"

namespace {

using StripControls = SurfaceControlTest;

TEST_F(StripControls, MuteGroupButtonSwitchesTheGroupOrWithSelectHeldTheSelectedStrip)
{
    showStrips({40, 41});
    pressNote(25);  // selects strip 41 and holds
    mixer.drain();
    takeSurfaceOutput();
    strips[41].muteGroups[0] = 1;
    pressNote(76);
    EXPECT_EQ(strips[41].muteGroups[2], 1);
    EXPECT_EQ(muteGroupOn[2], 0);
    EXPECT_FALSE(surfaceGot({0x90, 76, 127}));
    pressNote(79);
    selectStrip(73);  // a DCA selection has no groups
    pressNote(74);
    EXPECT_EQ(strips[73].muteGroups[0], 0);
    EXPECT_EQ(mixer.drain(), (Writes{{"/fxrtn/02/grp/mute", 'i', 1 + 4}, {"/fxrtn/02/grp/mute", 'i', 1 + 4 + 32}}));

    releaseNote(25);
    pressNote(76);  // no longer held: the group itself
    EXPECT_EQ(muteGroupOn[2], 1);
    EXPECT_EQ(takeSurfaceOutput().at(0), (std::vector<uint8_t>{0x90, 76, 127}));
    pressNote(76);
    EXPECT_EQ(takeSurfaceOutput().at(0), (std::vector<uint8_t>{0x90, 76, 0}));
    EXPECT_EQ(mixer.drain(), (Writes{{"/config/mute/3", 'i', 1}, {"/config/mute/3", 'i', 0}}));
}

} // namespace
