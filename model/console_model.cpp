#include "model/console_model.h"

#include <cstring>

StripRecord strips[STRIP_COUNT];
HeadampRecord headamps[HEADAMP_COUNT];
FxSlot fxSlots[FX_SLOT_COUNT + 1];
int routingBlocks[6][6];
int routSwitch;
int userRouting[32];
int muteGroupOn[6];
int automixEnableX;
int automixEnableY;
int keySolo;
int consoleLock;
int selectedStrip;
int selectedBankSlot;

int bankStrips[8];
int surfacePage;

int bankTable[BANK_COUNT][BANK_SLOTS];
int bankCount[BANK_COUNT];
int currentBank;
int currentDcaGroup = -1;
int bankScroll;
int bankSkip[10];
int surfaceRefreshEnabled;

std::atomic<int> faderTouched[9];
int encoderPushed[8];
int selectHeld[8];

int eqEncoderLayer;
int chosenDcaGroup;
int chosenMuteGroup;

std::mutex modelMutex;
int replyCounter;
std::atomic<int> startupComplete{0};

void countReply()
{
    std::lock_guard<std::mutex> lock(modelMutex);
    ++replyCounter;
}

int bankSlotOf(int strip)
{
    for (int slot = 8; slot >= 1; --slot) {
        if (bankStrips[slot - 1] == strip) return slot;
    }
    return 0;
}

int sendAtPosition(int strip, int bank, int e)
{
    if (e < 1 || e > 8) return 0;
    int count = sendCountOf(strip);
    // Sixteen sends take two banks of eight; six fit on the first.
    if (count > 8) return bank == 0 ? e : e + 8;
    return e <= count ? e : 0;
}

void resetStrip(int strip)
{
    if (!isValidStrip(strip)) return;
    StripRecord& record = strips[strip];
    std::memset(&record, 0, sizeof record);
    record.haIndex = -1;
    record.eqBandCount = eqBandCountFor(strip);
}

void resetConsoleModel()
{
    for (int s = 0; s < STRIP_COUNT; ++s) resetStrip(s);
    std::memset(headamps, 0, sizeof headamps);
    for (FxSlot& slot : fxSlots) {
        std::memset(&slot, 0, sizeof slot);
        slot.type = -1;
        slot.paramPage = 1;
        slot.editorPageGroup = 1;
    }
    std::memset(routingBlocks, 0, sizeof routingBlocks);
    std::memset(userRouting, 0, sizeof userRouting);
    std::memset(muteGroupOn, 0, sizeof muteGroupOn);
    routSwitch = 0;
    automixEnableX = 0;
    automixEnableY = 0;
    keySolo = 0;
    consoleLock = 0;
    selectedStrip = 0;
    selectedBankSlot = 0;
}

void resetModelState()
{
    resetConsoleModel();
    for (int& s : bankStrips) s = BLANK_STRIP;
    surfacePage = PAGE_HOME;
    for (auto& bank : bankTable) {
        for (int& slot : bank) slot = BLANK_STRIP;
    }
    std::memset(bankCount, 0, sizeof bankCount);
    currentBank = 0;
    currentDcaGroup = -1;
    bankScroll = 0;
    std::memset(bankSkip, 0, sizeof bankSkip);
    surfaceRefreshEnabled = 0;
    for (std::atomic<int>& touched : faderTouched) touched = 0;
    std::memset(encoderPushed, 0, sizeof encoderPushed);
    std::memset(selectHeld, 0, sizeof selectHeld);
    eqEncoderLayer = 0;
    chosenDcaGroup = 0;
    chosenMuteGroup = 0;
    {
        std::lock_guard<std::mutex> lock(modelMutex);
        replyCounter = 0;
    }
    startupComplete = 0;
}
