// Effects slots of the emulated console: which parameters of a slot are
// integers and which continuous, for the type the slot holds. Event-loop
// thread only.
#pragma once

// One letter per parameter of the type ('i' or 'f'), empty for a type the
// slot (1..8) does not take.
const char* fxKinds(int slot, int type);

// Gives the 64 parameters of a slot the kinds of its current type, with
// start values 0.5 (continuous) and 0 (integer); unused ones answer 0.0.
void shapeFxSlot(int slot);
