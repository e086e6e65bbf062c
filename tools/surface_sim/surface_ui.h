// The interactive face of the surface emulator: draws the surface in a
// terminal of at least 80x24 with ANSI escapes (the header and status lines
// take its whole width) and turns key presses into the messages a
// surface sends. Event-loop thread only; the terminal is put into raw mode
// (termios) and restored on every way out, SIGINT and SIGTERM included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct UiState {
    int focus = 0;           // strip 0..7, 8 = master fader
    bool selectHeld[8] = {};
    bool pushHeld[8] = {};
    bool helpShown = false;
    bool commandActive = false;
    std::string commandLine;
    int escape = 0;          // 1 after ESC, 2 after ESC [
    bool dirty = true;
    bool quitRequested = false;
    std::string localText;
    std::string bridgeText;
    int columns = 80;        // the terminal's width, read before each frame
};

extern UiState ui;

// Raw mode, alternate screen, hidden cursor; false when stdin is no terminal.
bool enterTerminalMode();
// Safe to call more than once and from atexit.
void restoreTerminal();

// The terminal's width in columns; 80 when it cannot be read.
int terminalColumns();

// The whole screen (help screen while helpShown), starting at the top left.
std::string renderScreen();

// Feeds the bytes read from the keyboard.
void handleKeyBytes(const char* bytes, size_t count);
