#include "app/console_loop.h"

#include "app/config.h"
#include "app/status_report.h"
#include "platform/console_input.h"
#include "platform/console_output.h"
#include "platform/stop_signal.h"

namespace {

void printBox()
{
    consolePrint("+-----------------------------------------------+\n");
    consolePrint("| Press q + enter to stop or s + enter to setup |\n");
    consolePrint("| Press i + enter for the link status           |\n");
    consolePrint("+-----------------------------------------------+\n");
    consolePrint("\n");
}

void waitForStop()
{
    while (!sleepUnlessStopped(60000)) {
    }
}

} // namespace

bool handleConsoleKey(char c, const std::string& configPath, AddressPair& addresses)
{
    if (c == 'i' || c == 'I') {
        printLinkStatus();
    } else if (c == 'q' || c == 'Q') {
        requestStop();
    } else if (c == 's' || c == 'S') {
        char lineBreak;
        if (readConsoleChar(lineBreak) != KeyStatus::Key) return false;
        AddressPair fresh = addresses;
        PromptResult r = promptAndSaveAddresses(configPath, fresh);
        if (r == PromptResult::EndOfInput) {
            consolePrint("No input left to read the addresses from; settings unchanged.\n");
        }
        if (r != PromptResult::Stopped) {
            consolePrint("The program will now stop. Please restart it to use the new settings\n");
        }
        requestStop();
    }
    return true;
}

void runConsoleLoop(const std::string& configPath, AddressPair& addresses)
{
    while (!stopRequested) {
        printBox();
        char c = 0;
        KeyStatus status = readConsoleChar(c);
        if (status == KeyStatus::Stopped) break;
        if (status == KeyStatus::EndOfInput) {
            // Without a keyboard (a service, a pipe) only a signal stops us.
            waitForStop();
            break;
        }
        if (!handleConsoleKey(c, configPath, addresses)) break;
    }
}
