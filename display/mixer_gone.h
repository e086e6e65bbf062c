// What the surface shows while the console is silent: a message of our own
// across the eight strip displays, naming the console, and every meter at
// zero, so that frozen meters do not pass for live signal. Whatever shows
// the strips again (a full redraw) replaces it.
#pragma once

// where: the console's address as the operator knows it ("192.168.1.20:10023").
void showMixerGone(const char* where);
