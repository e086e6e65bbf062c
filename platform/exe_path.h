// Where the running program lives, for the data files installed beside it.
#pragma once

#include <string>

// The folder holding the running executable, without a trailing separator.
// False when the system cannot say.
bool executableFolder(std::string& folder);
