// Effects slots of the emulated console: which parameters of a slot are
// integers and which continuous, for the type the slot holds.
#pragma once

// One letter per parameter of the type ('i' or 'f'), empty for a type the
// slot (1..8) does not take.
const char* fxKinds(int slot, int type);
