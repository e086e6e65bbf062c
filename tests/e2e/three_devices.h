// The console emulator, the bridge and the surface emulator as three real
// processes on loopback, every port chosen by the system, with a temporary
// profile folder of their own. Helpers read what each device shows: the
// surface emulator's dump and the console emulator's parameter values.
// POSIX only (child processes); used from the test thread.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/process.h"

struct ThreeDevices {
    std::filesystem::path profile;  // USERPROFILE of the bridge, removed at the end
    ChildProcess console;
    ChildProcess surface;
    ChildProcess surface2;   // with units = 2: a second X-Touch, listed second
    ChildProcess bridge;
    int units = 1;
    int consolePort = 0;
    int surfacePort = 0;
    int surface2Port = 0;
    int bridgePort = 0;  // the bridge's local surface port
    std::string bridgeProgram;   // empty: the build's own bridge
    bool seedFxFiles = true;     // put the source tree's effects files in the profile
    // Surface datagrams the bridge never got: probes sent before it listened.
    long surfaceDatagramsLost = 0;

    ThreeDevices() = default;
    ThreeDevices(const ThreeDevices&) = delete;
    ThreeDevices& operator=(const ThreeDevices&) = delete;
    ~ThreeDevices();  // stops the bridge first, then both emulators
};

// The bridge's profile folder, made on first use; tests may put files for
// the emulators there before the start.
std::filesystem::path profileFolder(ThreeDevices& devices);

// Starts all three and waits up to startupMs for the bridge's start-up to
// complete. consoleArguments go to the console emulator, bridgeArguments
// to the bridge after its usual ones. On failure, why says what went wrong
// (with the bridge's last lines).
bool startThreeDevices(ThreeDevices& devices, int startupMs, std::string& why,
                       const std::vector<std::string>& consoleArguments = {},
                       const std::vector<std::string>& bridgeArguments = {});

// Stops the console emulator and starts it again on the same port with
// other arguments: a console that rebooted.
bool restartConsole(ThreeDevices& devices, const std::vector<std::string>& consoleArguments);

// What the surface emulator shows, parsed from its dump.
struct SurfaceView {
    int displayColor[8] = {};
    int displayInverted[8] = {};
    std::string displayTop[8];
    std::string displayBottom[8];
    double fader[9] = {};
    int ring[8][2] = {};  // first and second value of each encoder ring
    int lamp[128] = {};  // -1: never set
    long malformed = 0;  // messages from the bridge its strict parser rejected
    long sent = 0;       // datagrams the surface emulator sent to the bridge
};

// unit 1 or 2: which surface emulator; every surface helper takes it.
bool readSurface(ThreeDevices& devices, SurfaceView& view, int unit = 1);
// The dump line of a fader at position: "fader 1 0.7500".
std::string faderLine(int fader, double position);
// The dump as it is, "display 1 ..." to "heartbeats N"; empty when none came.
std::vector<std::string> surfaceDumpLines(ThreeDevices& devices, int unit = 1);

// A command to the surface emulator ("fader 2 0.5", "press 44").
bool surfaceCommand(ThreeDevices& devices, const std::string& command, int unit = 1);

// "expect within MS LINE" on the surface emulator: true when the line
// appeared in its dump in time.
bool surfaceExpect(ThreeDevices& devices, const std::string& dumpLine, int withinMs, int unit = 1);

// A command to the console emulator ("set /ch/01/mix/fader 0.25").
bool consoleCommand(ThreeDevices& devices, const std::string& command);

// The console emulator's current value of address, as it dumps it
// ("f 0.720000", "i 1", "s \"Kick\"").
bool consoleValue(ThreeDevices& devices, const std::string& address, std::string& value);
bool consoleFloat(ThreeDevices& devices, const std::string& address, double& value);
bool consoleInt(ThreeDevices& devices, const std::string& address, int& value);

// Every value whose address starts with prefix, as the console emulator
// dumps them: address -> "f 0.720000", "i 1", "s \"Kick\"".
bool consoleDump(ThreeDevices& devices, const std::string& prefix, std::map<std::string, std::string>& values);

// The text of a dumped string value ("s \"Kick\"" -> Kick); false if none.
bool dumpedText(const std::string& value, std::string& text);

// The bridge's status block ("i" + Enter), empty when none came.
std::string bridgeStatus(ThreeDevices& devices);

// Once the surface shows the console after start-up (nothing in flight):
// counts the surface datagrams sent before the bridge listened.
bool countLostSurfaceDatagrams(ThreeDevices& devices);

// Waits up to withinMs until the bridge has handled every datagram the
// surface emulator sent since (its status block against the emulator's
// count): all that those surface actions wrote has then reached the console
// emulator. False when it has not.
bool waitForBridgeToHandleSurface(ThreeDevices& devices, int withinMs);

// The console emulator's "writes": every write it heard since the last
// call, in order, as "ADDRESS VALUE". False when it did not answer.
bool consoleWrites(ThreeDevices& devices, std::vector<std::string>& writes);

// Polls check until it returns an empty text (no mismatch) or withinMs is
// up; returns the last mismatch, empty on success.
std::string eventually(int withinMs, const std::function<std::string()>& check);

// The last lines the bridge printed, for failure messages.
std::string bridgeTail(ThreeDevices& devices, size_t count = 15);
