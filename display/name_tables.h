// Index-to-name tables of the strip displays. Every look-up is range-checked:
// a number outside its table gives "?". Read-only, any thread.
#pragma once

const char* keySourceName(int source);       // gate and dynamics key source 0..64
const char* filterTypeName(int type);        // side-chain filter type 0..8
const char* insertEffectName(int type);      // effect type 0..33 of units 4..7
const char* dynRatioName(int ratio);         // dynamics ratio 0..11
const char* eqBandTypeName(int type);        // equaliser band type 0..5
const char* insertSlotName(int slot);        // insert slot 0..22
const char* consoleInputName(int input);     // console input 0..159
const char* userRoutingSourceName(int index);  // user-routing source 0..208
const char* channelSourceName(int source);   // channel source 33..64
const char* auxInputName(int code, int place);  // aux routing code 1..12, place 0..5

// Name of the signal that feeds a strip, from its source code and the
// console's routing ("OFF", "In05", "A12", "USB L", "*", ...).
const char* stripSourceName(int strip);
