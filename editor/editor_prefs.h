// The user's fader banks, taken from the console editor's preferences file.
// Runs on the entry thread during start-up, before the first bank is shown.
#pragma once

#include <string>

// Fills banks 0..7 (and the head of bank 8, the editor's ninth bank) of
// bankTable, and sets currentDcaGroup when it is still negative. The file is
// the one given by setPreferencesFileOverride, else the found editor's own
// file (editorKind), else, with no editor window, the X32-Edit file and then
// the M32-Edit file under the profile folder. When no file can be read, the
// default banks are used and one line says so.
void readEditorPreferences();

// The preferences file named on the command line; nullptr or "" removes it.
void setPreferencesFileOverride(const char* path);

// Reads one preferences file into banks 0..8; false when it cannot be opened
// (the banks are then untouched). Banks 0..7 must have been cleared before.
bool readPreferencesFile(const std::string& path);

// Bank 0 input channels 1-32; bank 1 aux inputs and effects returns; bank 2
// mix buses; bank 3 matrices, main stereo, main mono and DCAs 1-8.
void fillDefaultBanks();

// Forgets the override.
void resetEditorPrefsState();
