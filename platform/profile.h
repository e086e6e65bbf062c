// The user's profile folder and paths below it.
#pragma once

#include <string>

// USERPROFILE, else HOME on POSIX. False when neither is set.
bool userProfileFolder(std::string& folder);

// Joins the profile folder and a relative path written with backslashes
// ("\\Documents\\Velumbra.cfg"), using the native separator.
std::string profilePath(const std::string& folder, const char* backslashedPath);

// Creates the folder that would hold the file at path (and its parents).
bool ensureParentFolder(const std::string& path);
