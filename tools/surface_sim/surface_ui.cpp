#include "surface_ui.h"

#include <cstdio>
#include <vector>

#include "surface_output.h"
#include "surface_state.h"

UiState ui;

namespace {

struct PanelButton {
    int note;
    char key;  // 0: no key, pressed from the prompt by note number
    const char* label;
};

// The global buttons as the bridge uses them, by rows of the panel.
const PanelButton kPanel[7][8] = {
    {{40, 'P', "Pre"}, {41, 'D', "Dyn"}, {42, 'G', "Gate"}, {43, 'A', "Asgn"},
     {44, 'Q', "EQ"}, {45, 'S', "Send"}, {51, 'H', "Home"}, {85, 'O', "Mono"}},
    {{62, 0, "S1"}, {63, 0, "S2"}, {64, 0, "S3"}, {65, 0, "S4"},
     {66, 0, "S5"}, {67, 0, "S6"}, {68, 0, "S7"}, {69, 0, "S8"}},
    {{54, 0, "S9"}, {55, 0, "S10"}, {56, 0, "S11"}, {57, 0, "S12"},
     {58, 0, "S13"}, {59, 0, "S14"}, {60, 0, "S15"}, {61, 0, "S16"}},
    {{70, 0, "FX1"}, {71, 0, "FX2"}, {72, 0, "FX3"}, {73, 0, "FX4"},
     {80, 0, "FX5"}, {81, 0, "FX6"}, {82, 0, "FX7"}, {83, 0, "FX8"}},
    {{74, 0, "MG1"}, {75, 0, "MG2"}, {76, 0, "MG3"}, {77, 0, "MG4"},
     {78, 0, "MG5"}, {79, 0, "MG6"}, {84, 'X', "ClrSo"}, {86, 'R', "Rout"}},
    {{89, 'x', "AmxX"}, {90, 'y', "AmxY"}, {96, 'b', "Bnk-"}, {97, 'B', "Bnk+"},
     {46, 'f', "Scr-"}, {47, 'F', "Scr+"}, {48, '(', "Sel-"}, {49, ')', "Sel+"}},
    {{98, 'n', "Dca-"}, {99, 'N', "Dca+"}, {115, 0, "Solo"}, {-1, 0, ""},
     {-1, 0, ""}, {-1, 0, ""}, {-1, 0, ""}, {-1, 0, ""}},
};

std::string sgr(const char* codes) { return std::string("\x1b[") + codes + "m"; }

const std::string kReset = "\x1b[0m";

// Lamp look: lit reversed, velocity 1 blinking, off dim.
std::string lampStyle(int note)
{
    int velocity = note >= 0 && note < 128 ? surface.lamp[note] : 0;
    if (velocity == 0) return sgr("2");
    if (velocity == 1) return sgr("5;7");
    return sgr("1;7");
}

std::string padded(const std::string& text, size_t width)
{
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
}

std::string displayCell(int strip, bool bottom)
{
    const StripDisplayState& d = surface.displays[strip];
    int color = d.colorByte & 0x07;
    bool inverted = (d.colorByte & 0x40) != 0;
    char codes[24];
    if (color == 0) std::snprintf(codes, sizeof codes, "0;37;40");
    else if (inverted) std::snprintf(codes, sizeof codes, "0;1;%d;40", 30 + color);
    else std::snprintf(codes, sizeof codes, "0;30;%d", 40 + color);
    std::string text;
    const char* source = bottom ? d.bottom : d.top;
    for (int i = 0; i < 7; ++i) {
        unsigned char c = static_cast<unsigned char>(source[i]);
        text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : ' ';
    }
    return " " + sgr(codes) + text + kReset + " ";
}

std::string ringCell(int strip)
{
    unsigned dots = surface.ringFirst[strip] & 0x7F;
    dots |= static_cast<unsigned>(surface.ringSecond[strip] & 0x7F) << 7;
    std::string text;
    for (int pair = 0; pair < 7; ++pair) {
        int lit = ((dots >> (2 * pair)) & 1) + ((dots >> (2 * pair + 1)) & 1);
        text += lit == 2 ? 'O' : (lit == 1 ? 'o' : '.');
    }
    return " " + sgr("33") + text + kReset + " ";
}

std::string buttonsCell(int strip)
{
    std::string out = " ";
    const int notes[4] = {strip, 8 + strip, 16 + strip, 24 + strip};
    const char letters[4] = {'R', 'S', 'M', 'E'};
    for (int k = 0; k < 4; ++k) out += lampStyle(notes[k]) + letters[k] + kReset + (k < 3 ? " " : "");
    return out + " ";
}

std::string meterCell(int strip)
{
    std::string out = " ";
    for (int s = 0; s < 8; ++s) {
        bool lit = s < surface.meterSegment[strip];
        const char* color = s < 5 ? "32" : (s < 7 ? "33" : "31");
        out += lit ? sgr(color) + "#" + kReset : sgr("2") + "." + kReset;
    }
    return out;
}

std::string faderBar(int fader, int width)
{
    double position = faderPosition(fader);
    int filled = static_cast<int>(position * width + 0.5);
    std::string bar;
    for (int i = 0; i < width; ++i) bar += i < filled ? '=' : '-';
    return bar;
}

std::string faderValueText(int fader)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.3f%s", faderPosition(fader), surface.touched[fader] ? "T" : "");
    return text;
}

std::string header(int strip)
{
    char text[16];
    std::snprintf(text, sizeof text, " Strip %d ", (strip & 7) + 1);
    return ui.focus == strip ? sgr("7") + text + kReset : std::string(text);
}

std::string panelRow(int row)
{
    std::string out;
    for (const PanelButton& button : kPanel[row]) {
        if (button.note < 0) break;
        char text[16];
        if (button.key != 0) std::snprintf(text, sizeof text, "%c %s", button.key, button.label);
        else std::snprintf(text, sizeof text, "%d %s", button.note, button.label);
        out += lampStyle(button.note) + padded(text, 8) + kReset + " ";
    }
    return out;
}

bool onPanel(int note)
{
    for (const auto& row : kPanel)
        for (const PanelButton& button : row)
            if (button.note == note) return true;
    return false;
}

std::string otherLamps()
{
    std::string out = "other lamps:";
    for (int note = 40; note < 128; ++note) {
        if (!surface.lampSet[note] || onPanel(note) || (note >= 104 && note <= 112)) continue;
        if (out.size() > 70) break;
        out += " " + std::to_string(note) + "=" + std::to_string(surface.lamp[note]);
    }
    return out;
}

std::string stripRow(std::string (*cell)(int), const std::string& master)
{
    std::string out;
    for (int strip = 0; strip < 8; ++strip) out += cell(strip);
    return out + master;
}

std::vector<std::string> surfaceLines(const std::string& status)
{
    std::vector<std::string> lines;
    char title[256];
    std::snprintf(title, sizeof title, "X-Touch emulator  %s -> bridge %s  hb %llu  in %llu  malformed %llu%s",
                  ui.localText.c_str(), ui.bridgeText.c_str(), static_cast<unsigned long long>(surface.heartbeats),
                  static_cast<unsigned long long>(surface.datagrams),
                  static_cast<unsigned long long>(surface.malformed), surface.waitingForHost ? "  probing" : "");
    const size_t width = static_cast<size_t>(ui.columns > 1 ? ui.columns - 1 : 79);
    lines.push_back(sgr("1") + padded(title, width) + kReset);
    lines.push_back("");
    lines.push_back(stripRow(header, ui.focus == 8 ? sgr("7") + " Main" + kReset : " Main"));
    lines.push_back(stripRow([](int s) { return displayCell(s, false); }, ""));
    lines.push_back(stripRow([](int s) { return displayCell(s, true); }, ""));
    lines.push_back(stripRow(ringCell, ""));
    lines.push_back(stripRow(buttonsCell, ""));
    lines.push_back(stripRow(meterCell, ""));
    lines.push_back(stripRow([](int s) { return " " + faderBar(s, 7) + " "; }, " " + faderBar(8, 6)));
    lines.push_back(stripRow([](int s) { return " " + padded(faderValueText(s), 8); }, " " + faderValueText(8)));
    lines.push_back("");
    for (int row = 0; row < 7; ++row) lines.push_back(panelRow(row));
    lines.push_back(sgr("2") + otherLamps() + kReset);
    lines.push_back("");
    lines.push_back(padded(status, width));
    lines.push_back(sgr("2") + "1-8 9 <- -> strip  up/dn +/- fader  , . < > encoder  m s r e press  E w hold" + kReset);
    lines.push_back(sgr("2") + "t touch  letters: panel keys  : command (press 70, fader 3 0.5)  ? help  q quit" +
                    kReset);
    lines.push_back(ui.commandActive ? ":" + ui.commandLine : "");
    return lines;
}

const char* const kHelpLines[] = {
    "Surface emulator keys",
    "",
    "  1..8  choose a strip      9  choose the master fader    left/right  step",
    "  up / + and down / -       move the chosen fader by 0.05 ({ and } by 0.01)",
    "  , and .  turn the strip's encoder by one tick back / on;  < and >  by five",
    "  r  top-row button  s  solo  m  mute  e  select  p  encoder push (press)",
    "  E  hold / let go select    w  hold / let go encoder push    t  touch fader",
    "",
    "  P pre-amp  D dynamics  G gate  A assign  Q EQ  S sends  H home  O mono",
    "  X clear solo  R routing  x y automix X Y  b B bank down/up  f F scroll",
    "  ( ) select previous/next  n N DCA spill previous/next",
    "  Buttons shown with a number: press them from the prompt, e.g. :press 70",
    "",
    "  :  command prompt, Enter runs, Esc cancels. Commands:",
    "     press N, down N, up N, turn ENC VALUE|+T|-T, fader N POS, touch N 0|1,",
    "     raw HEX..., wait MS, dump, expect LINE",
    "",
    "  Strip rows: display (colour, inverted where the surface is told so),",
    "  ring (o/O lit dots), R S M E lamps, meter, fader bar and position.",
    "  Lit lamps are reversed, blinking lamps blink, dark ones are dim.",
    "",
    "  ? or any key closes this help.   q quits.",
};

}  // namespace

std::string renderScreen()
{
    std::vector<std::string> lines;
    if (ui.helpShown) {
        for (const char* line : kHelpLines) lines.push_back(line);
    } else {
        lines = surfaceLines(surfaceLink.lastMessage);
    }
    std::string screen = "\x1b[H";
    for (size_t i = 0; i < 24; ++i) {
        if (i < lines.size()) screen += lines[i];
        screen += kReset + "\x1b[K";
        if (i + 1 < 24) screen += "\r\n";
    }
    return screen;
}
