// What the surface shows while the console is silent: a message of our own
// across the eight strip displays, naming the console, and every meter at
// zero, so that frozen meters do not pass for live signal. Meant to be
// called again and again while the silence lasts: displays already showing
// it and meters already at zero are not sent again. Until clearMixerGone,
// every refresh keeps the message on the displays (the heartbeat's refresh
// included), so they hold steadily. Any thread.
#pragma once

// where: the console's address as the operator knows it ("192.168.1.20:10023").
void showMixerGone(const char* where);
// The console answers again: refreshes show the strips from now on.
void clearMixerGone();
// While the message stands, writes it to the displays and returns true.
bool holdMixerGoneDisplays();
void resetMixerGone();
