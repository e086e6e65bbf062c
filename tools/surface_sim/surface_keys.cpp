// Keyboard side of the interactive mode: raw terminal handling and the key
// map (see surface_ui.h for the contract).
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "surface_output.h"
#include "surface_script.h"
#include "surface_state.h"
#include "surface_ui.h"

namespace {

termios savedTerminal{};
bool terminalChanged = false;

void writeAll(const char* text)
{
    size_t length = std::strlen(text);
    while (length > 0) {
        ssize_t written = write(STDOUT_FILENO, text, length);
        if (written <= 0) return;
        text += written;
        length -= static_cast<size_t>(written);
    }
}

void press(int note)
{
    sendToBridge(noteMessage(note, 127));
    sendToBridge(noteMessage(note, 0));
}

void moveFader(double delta)
{
    int fader = ui.focus;
    double position = faderPosition(fader) + delta;
    if (position < 0.0) position = 0.0;
    if (position > 1.0) position = 1.0;
    moveFaderByHand(fader + 1, position);
}

void turn(int ticks)
{
    if (ui.focus > 7) {
        surfaceLink.lastMessage = "the master fader has no encoder";
        return;
    }
    sendToBridge(encoderMessage(ui.focus + 1, ticks > 0 ? ticks : 64 - ticks));
}

void toggleHeld(bool* held, int firstNote)
{
    if (ui.focus > 7) return;
    held[ui.focus] = !held[ui.focus];
    sendToBridge(noteMessage(firstNote + ui.focus, held[ui.focus] ? 127 : 0));
}

void stripButton(int firstNote)
{
    if (ui.focus > 7) {
        surfaceLink.lastMessage = "choose a strip 1-8 first";
        return;
    }
    press(firstNote + ui.focus);
}

bool panelKey(char key)
{
    static const struct {
        char key;
        int note;
    } keys[] = {{'P', 40}, {'D', 41}, {'G', 42}, {'A', 43}, {'Q', 44}, {'S', 45}, {'H', 51},
                {'O', 85}, {'X', 84}, {'R', 86}, {'x', 89}, {'y', 90}, {'b', 96}, {'B', 97},
                {'f', 46}, {'F', 47}, {'(', 48}, {')', 49}, {'n', 98}, {'N', 99}};
    for (const auto& entry : keys) {
        if (entry.key == key) {
            press(entry.note);
            return true;
        }
    }
    return false;
}

void commandKey(char c)
{
    if (c == '\r' || c == '\n') {
        ui.commandActive = false;
        if (!ui.commandLine.empty()) script.lines.push_back(ui.commandLine);
        ui.commandLine.clear();
    } else if (c == 27) {
        ui.commandActive = false;
        ui.commandLine.clear();
    } else if (c == 127 || c == 8) {
        if (!ui.commandLine.empty()) ui.commandLine.pop_back();
    } else if (c >= 0x20 && c < 0x7F && ui.commandLine.size() < 70) {
        ui.commandLine += c;
    }
}

void arrowKey(char c)
{
    if (c == 'A') moveFader(0.05);
    else if (c == 'B') moveFader(-0.05);
    else if (c == 'C') ui.focus = (ui.focus + 1) % 9;
    else if (c == 'D') ui.focus = (ui.focus + 8) % 9;
}

void plainKey(char c)
{
    if (c >= '1' && c <= '9') {
        ui.focus = c - '1';
        return;
    }
    switch (c) {
    case '+': case '=': moveFader(0.05); return;
    case '-': moveFader(-0.05); return;
    case '}': moveFader(0.01); return;
    case '{': moveFader(-0.01); return;
    case '.': turn(1); return;
    case ',': turn(-1); return;
    case '>': turn(5); return;
    case '<': turn(-5); return;
    case 'r': stripButton(0); return;
    case 's': stripButton(8); return;
    case 'm': stripButton(16); return;
    case 'e': stripButton(24); return;
    case 'p': stripButton(32); return;
    case 'E': toggleHeld(ui.selectHeld, 24); return;
    case 'w': toggleHeld(ui.pushHeld, 32); return;
    case 't':
        holdFader(ui.focus + 1, !surface.touched[ui.focus]);
        return;
    case ':': ui.commandActive = true; return;
    case '?': ui.helpShown = true; return;
    case 'q': ui.quitRequested = true; return;
    default:
        if (!panelKey(c)) surfaceLink.lastMessage = "no key " + std::string(1, c) + " (? shows the keys)";
    }
}

}  // namespace

bool enterTerminalMode()
{
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &savedTerminal) != 0) return false;
    termios raw = savedTerminal;
    // Keep ISIG so that Ctrl+C arrives as SIGINT and ends the loop cleanly.
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | IEXTEN));
    raw.c_iflag &= static_cast<tcflag_t>(~(IXON | ICRNL | INLCR));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) != 0) return false;
    terminalChanged = true;
    std::atexit(restoreTerminal);
    writeAll("\x1b[?1049h\x1b[?25l\x1b[2J");
    return true;
}

int terminalColumns()
{
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
    return size.ws_col;
}

void restoreTerminal()
{
    if (!terminalChanged) return;
    terminalChanged = false;
    writeAll("\x1b[0m\x1b[?25h\x1b[?1049l");
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
}

void handleKeyBytes(const char* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        char c = bytes[i];
        ui.dirty = true;
        if (ui.escape == 1) {
            ui.escape = c == '[' ? 2 : 0;
            if (ui.escape == 0 && !ui.commandActive) plainKey(c);
            continue;
        }
        if (ui.escape == 2) {
            ui.escape = 0;
            if (!ui.commandActive) arrowKey(c);
            continue;
        }
        if (c == 27 && i + 1 < count && bytes[i + 1] == '[') {
            ui.escape = 1;
            continue;
        }
        if (ui.commandActive) {
            commandKey(c);
        } else if (ui.helpShown) {
            ui.helpShown = false;
        } else if (c != 27) {
            plainKey(c);
        }
    }
}
