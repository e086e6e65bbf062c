#include "fxdefs/fx_files.h"

#include <cstring>

#include "platform/console_output.h"
#include "platform/profile.h"

FxDescription fxDescriptions1to4[FX_TYPES_1TO4];
FxDescription fxDescriptions5to8[FX_TYPES_5TO8];
FxLutEntry fxLutPool[FX_LUT_POOL_SIZE];
int fxLutPoolUsed;

namespace {

// Entries 31..33 of the second table are beyond the described insert types
// and start all zero.
constexpr int FX_5TO8_WITH_START_VALUES = 31;

void setStartValues(FxDescription& fx)
{
    std::memset(&fx, 0, sizeof fx);
    std::strcpy(fx.name, "*");
    for (FxParamDescription& param : fx.params) param.kind = FX_KIND_NONE;
}

void readProfileFxFile(const char* progressLine, const char* noProfileLine,
                       const char* backslashedPath, FxDescription* table, int tableSize,
                       int lineCapacity)
{
    consolePrint("%s", progressLine);
    std::string folder;
    if (!userProfileFolder(folder)) {
        consolePrint("%s", noProfileLine);
        return;
    }
    std::string path = profilePath(folder, backslashedPath);
    if (!readFxDescriptionFile(path, table, tableSize, lineCapacity)) {
        consolePrint("error reading the numer of effects\n");
    }
}

}  // namespace

void resetFxDescriptions()
{
    for (FxDescription& fx : fxDescriptions1to4) setStartValues(fx);
    for (int t = 0; t < FX_TYPES_5TO8; ++t) {
        if (t < FX_5TO8_WITH_START_VALUES) {
            setStartValues(fxDescriptions5to8[t]);
        } else {
            std::memset(&fxDescriptions5to8[t], 0, sizeof fxDescriptions5to8[t]);
        }
    }
    fxLutPoolUsed = 0;
}

void readFxFile1to4()
{
    readProfileFxFile("Reading fx 1..4 parameter file...\n", "Error opening fx1_4.prm file\n",
                      "\\AppData\\Roaming\\Velumbra\\fx1_4.prm", fxDescriptions1to4,
                      FX_TYPES_1TO4, FX_LINE_CAPACITY_1TO4);
}

void readFxFile5to8()
{
    readProfileFxFile("Reading fx 5..8 parameter file...\n", "Error opening fx5_8.prm file\n",
                      "\\AppData\\Roaming\\Velumbra\\fx5_8.prm", fxDescriptions5to8,
                      FX_TYPES_5TO8, FX_LINE_CAPACITY_5TO8);
}

const FxDescription* fxDescriptionFor(int unit, int type)
{
    if (unit >= 0 && unit <= 3 && type >= 0 && type < FX_TYPES_1TO4) {
        return &fxDescriptions1to4[type];
    }
    if (unit >= 4 && unit <= 7 && type >= 0 && type < FX_TYPES_5TO8) {
        return &fxDescriptions5to8[type];
    }
    return nullptr;
}

const FxLutEntry* fxLutEntry(const FxParamDescription& param, int i)
{
    if (i < 0 || i >= param.lutCount || i >= FX_LUT_MAX) return nullptr;
    long long at = static_cast<long long>(param.lutFirst) + i;
    if (param.lutFirst < 0 || at >= fxLutPoolUsed) return nullptr;
    return &fxLutPool[at];
}
