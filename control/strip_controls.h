// The strip controls that work on every page: faders, home-page pan, mute,
// solo, select, mute groups, the global solo-clear and routing-switch
// buttons, and the bank navigation that decides which eight console strips
// the surface shows. Each action changes the console model, sends the
// matching OSC write and returns what the surface must show anew; the
// caller shows it. Everything here runs on the surface receive thread
// (buildBankStrips also on the entry thread during start-up).
#pragma once

#include "display/surface_change.h"

// Writes the strip's address root ("/ch/01" ... "/main/m") followed by
// suffix into buffer. Strips with audio only; -1 for a DCA, BLANK_STRIP, an
// invalid index or a buffer too small. Otherwise the length.
int formatStripPath(char* buffer, int capacity, int strip, const char* suffix);

// OSC senders. Each does nothing for an invalid strip index.
void sendStripFader(int strip);       // "/.../mix/fader" or "/dca/N/fader"
// Encodes the fader, pan and mute messages of every strip (done on first
// use otherwise; the surface receive loop calls it as it starts).
void prepareStripMessages();
void sendStripPan(int strip);         // nothing for DCAs
void sendStripMute(int strip);        // "/.../mix/on" or "/dca/N/on", 1 - mute
void sendChannelSelect(int strip);    // "/-stat/selidx"
void sendMuteGroupMembership();       // the selected strip's "/.../grp/mute" mask

// Home-page encoder of surface position 0..7 turned by the raw relative
// value: steps the shown strip's pan by ticks of 0.01 without reaching 0 or 1.
void turnBankStripPan(int position, int value);
// Pan of the shown strip (position 0..7) or of a strip index back to 0.5.
SurfaceChange centreBankStripPan(int position);
SurfaceChange centreStripPan(int strip);

// Buttons of surface position 0..7.
SurfaceChange toggleBankStripMute(int position);
SurfaceChange toggleBankStripSolo(int position);
SurfaceChange pressStripSelect(int position);
SurfaceChange releaseStripSelect(int position);

// Mute-group button of group 1..6 (surface notes 74..79).
SurfaceChange pressMuteGroup(int group);
SurfaceChange toggleRoutingSwitch();
void clearAllSolos();

// Walks the current bank's list from the selected strip, skipping DCAs and
// empty entries, without wrapping. A selected strip that the current bank
// does not hold gives way to the first (next) or last (previous) strip shown.
SurfaceChange selectAdjacentStrip(int direction);

// Lays out bankStrips for bank 0..15 at scroll step 0..9, moves the
// selection lamp to where the selected strip is shown (0: not shown).
SurfaceChange buildBankStrips(int bank, int scroll);
// Bank up (+1) or down (-1), with the editor click. Bank, scroll and DCA
// steps leave the console's selection alone; only its lamp follows.
SurfaceChange switchBank(int direction);
// Scroll forward (+1) or back (-1) within the current bank.
SurfaceChange scrollBank(int direction);
