// What the surface shows while the console is silent: a message of our own
// across the eight strip displays, naming the console, and every meter at
// zero, so that frozen meters do not pass for live signal. Meant to be
// called again and again while the silence lasts: displays already showing
// it and meters already at zero are not sent again. A full redraw shows the
// strips again.
#pragma once

// where: the console's address as the operator knows it ("192.168.1.20:10023").
void showMixerGone(const char* where);
