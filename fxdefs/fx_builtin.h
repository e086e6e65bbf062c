// The effects description files as shipped, compiled into the program (the
// build generates their source from fxdata/*.prm). The last resort when no
// copy sits beside the program: a single copied executable still names the
// console's effects.
#pragma once

#include <cstddef>

struct FxBuiltinFile {
    const char* name;            // "fx1_4.prm", "fx5_8.prm"
    const unsigned char* bytes;  // size bytes, then a zero
    size_t size;
};

extern const FxBuiltinFile fxBuiltinFiles[];
extern const int fxBuiltinFileCount;

// The built-in file of that name, or nullptr.
const FxBuiltinFile* findBuiltinFxFile(const char* name);
