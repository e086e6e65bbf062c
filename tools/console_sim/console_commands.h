// Operator commands of the console emulator, one per line, from a script
// file and from standard input: set, silent, delay, drop, scene, shuffle,
// dump, changes (every value unlike what the last "changes" printed), wait,
// clients, stats, help, quit. Runs on the event-loop thread.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

struct CommandQueue {
    std::deque<std::string> lines;
    int64_t resumeAtMs = 0;  // a "wait" holds the queue until then
    bool quitRequested = false;
};

extern CommandQueue commands;

// Runs queued lines until the queue is empty, a "wait" holds it, or "quit".
void runQueuedCommands(int64_t nowMs);

// Time in ms until a held queue may go on; -1 when nothing is held.
int64_t msUntilCommandsResume(int64_t nowMs);

// Applies count random changes as one scene recall and pushes each of them.
void recallRandomScene(int count, int64_t nowMs);

// Random show settings beside the start values (links, inserts, matrix
// polarity, DCA members, mute-group members of matrices and mains, solos,
// mute groups, routing switch, selection, user routing of channels 1-8),
// all pushed.
void shuffleSettings(int64_t nowMs);
