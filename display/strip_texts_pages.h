// The strip displays of the selected strip's processing pages, and the
// display shapes they share. Called from refreshStripDisplays only, with a
// valid strip index.
#pragma once

constexpr int LABEL_COLOUR = 6;

void showBlank(int position);
void showLabel(int position, const char* top, const char* bottom);
// Strip label over the strip's name in its colour; blank for BLANK_STRIP.
void showStripName(int position, int strip);

void showPreampPage(int s);    // PAGE_PREAMP
void showPanPage(int s);       // PAGE_ASSIGN
void showGatePage(int s);      // PAGE_GATE
void showDynamicsPage(int s);  // PAGE_DYNAMICS
