#include "param_store.h"

#include <cstdio>

#include "fx_kinds.h"

std::vector<Param> params;
std::unordered_map<std::string, size_t> paramIndex;

namespace {

// Which groups of parameters a strip family has.
enum StripFeature : unsigned {
    kPan = 1u << 0,
    kStereoMono = 1u << 1,  // mix/st, mix/mono, mix/mlevel
    kGate = 1u << 2,
    kDyn = 1u << 3,
    kDynKeySource = 1u << 4,
    kPreampFull = 1u << 5,  // trim, invert, hpon, hpslope, hpf
    kPreampTrim = 1u << 6,  // trim, invert
    kInvert = 1u << 12,     // invert alone (matrices)
    kDelay = 1u << 7,
    kInsert = 1u << 8,
    kGroups = 1u << 9,
    kSource = 1u << 10,
    kAutomix = 1u << 11,
};

void addParam(const std::string& address, char type, int32_t low = 0, int32_t high = 1)
{
    Param param;
    param.address = address;
    param.type = type;
    param.low = low;
    param.high = high;
    param.i = low;  // an icon counts from 1
    paramIndex[address] = params.size();
    params.push_back(param);
}

void addFloat(const std::string& address) { addParam(address, 'f'); }
void addInt(const std::string& address, int32_t low, int32_t high) { addParam(address, 'i', low, high); }

std::string twoDigits(int number)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", number);
    return text;
}

void addDynamics(const std::string& p, bool keySource)
{
    addInt(p + "/dyn/on", 0, 1);
    addInt(p + "/dyn/mode", 0, 1);
    addInt(p + "/dyn/det", 0, 1);
    addInt(p + "/dyn/env", 0, 1);
    addFloat(p + "/dyn/thr");
    addInt(p + "/dyn/ratio", 0, 11);
    addFloat(p + "/dyn/knee");
    addFloat(p + "/dyn/mgain");
    addFloat(p + "/dyn/attack");
    addFloat(p + "/dyn/hold");
    addFloat(p + "/dyn/release");
    addFloat(p + "/dyn/mix");
    if (keySource) addInt(p + "/dyn/keysrc", 0, 64);
    addInt(p + "/dyn/filter/on", 0, 1);
    addInt(p + "/dyn/filter/type", 0, 8);
    addFloat(p + "/dyn/filter/f");
}

void addGate(const std::string& p)
{
    addInt(p + "/gate/on", 0, 1);
    addInt(p + "/gate/mode", 0, 4);
    addFloat(p + "/gate/thr");
    addFloat(p + "/gate/range");
    addFloat(p + "/gate/attack");
    addFloat(p + "/gate/hold");
    addFloat(p + "/gate/release");
    addInt(p + "/gate/keysrc", 0, 64);
    addInt(p + "/gate/filter/on", 0, 1);
    addInt(p + "/gate/filter/type", 0, 8);
    addFloat(p + "/gate/filter/f");
}

void addStrip(const std::string& p, int sends, int bands, unsigned features)
{
    addParam(p + "/config/name", 's');
    addInt(p + "/config/icon", 1, 74);
    addInt(p + "/config/color", 0, 15);
    if (features & kSource) addInt(p + "/config/source", 0, 64);
    if (features & kPreampFull) {
        addFloat(p + "/preamp/trim");
        addInt(p + "/preamp/invert", 0, 1);
        addInt(p + "/preamp/hpon", 0, 1);
        addInt(p + "/preamp/hpslope", 0, 3);
        addFloat(p + "/preamp/hpf");
    }
    if (features & kPreampTrim) {
        addFloat(p + "/preamp/trim");
        addInt(p + "/preamp/invert", 0, 1);
    }
    if (features & kInvert) addInt(p + "/preamp/invert", 0, 1);
    if (features & kDelay) {
        addInt(p + "/delay/on", 0, 1);
        addFloat(p + "/delay/time");
    }
    if (features & kGate) addGate(p);
    if (features & kDyn) addDynamics(p, (features & kDynKeySource) != 0);
    if (features & kInsert) {
        addInt(p + "/insert/on", 0, 1);
        addInt(p + "/insert/pos", 0, 1);
        addInt(p + "/insert/sel", 0, 22);
    }
    addInt(p + "/eq/on", 0, 1);
    for (int b = 1; b <= bands; ++b) {
        std::string band = p + "/eq/" + std::to_string(b);
        addInt(band + "/type", 0, 5);
        addFloat(band + "/f");
        addFloat(band + "/g");
        addFloat(band + "/q");
    }
    addInt(p + "/mix/on", 0, 1);
    addFloat(p + "/mix/fader");
    if (features & kPan) addFloat(p + "/mix/pan");
    if (features & kStereoMono) {
        addInt(p + "/mix/st", 0, 1);
        addInt(p + "/mix/mono", 0, 1);
        addFloat(p + "/mix/mlevel");
    }
    for (int s = 1; s <= sends; ++s) {
        const std::string send = p + "/mix/" + twoDigits(s);
        addInt(send + "/on", 0, 1);
        addFloat(send + "/level");
        addFloat(send + "/pan");
        addInt(send + "/type", 0, 5);
    }
    if (features & kGroups) {
        addInt(p + "/grp/dca", 0, 255);
        addInt(p + "/grp/mute", 0, 63);
    }
    if (features & kAutomix) {
        addInt(p + "/automix/group", 0, 2);
        addFloat(p + "/automix/weight");
    }
}

void addStrips()
{
    const unsigned channel = kPan | kStereoMono | kGate | kDyn | kDynKeySource | kPreampFull |
                             kDelay | kInsert | kGroups | kSource;
    for (int n = 1; n <= 32; ++n)
        addStrip("/ch/" + twoDigits(n), 16, 4, channel | (n <= 8 ? kAutomix : 0u));
    for (int n = 1; n <= 8; ++n)
        addStrip("/auxin/" + twoDigits(n), 16, 4, kPan | kStereoMono | kPreampTrim | kGroups | kSource);
    for (int n = 1; n <= 8; ++n)
        addStrip("/fxrtn/" + twoDigits(n), 16, 4, kPan | kStereoMono | kGroups);
    for (int n = 1; n <= 16; ++n)
        addStrip("/bus/" + twoDigits(n), 6, 6, kPan | kStereoMono | kDyn | kDynKeySource | kInsert | kGroups);
    // Matrices have no pan; matrices and both mains have group membership.
    for (int n = 1; n <= 6; ++n) addStrip("/mtx/" + twoDigits(n), 0, 6, kInvert | kDyn | kInsert | kGroups);
    addStrip("/main/st", 6, 6, kPan | kDyn | kInsert | kGroups);
    addStrip("/main/m", 6, 6, kDyn | kInsert | kGroups);
    for (int n = 1; n <= 8; ++n) {
        std::string p = "/dca/" + std::to_string(n);
        addInt(p + "/on", 0, 1);
        addFloat(p + "/fader");
        addParam(p + "/config/name", 's');
        addInt(p + "/config/icon", 1, 74);
        addInt(p + "/config/color", 0, 15);
    }
}

void addLinks(const char* family, int count)
{
    for (int n = 1; n < count; n += 2)
        addInt(std::string("/config/") + family + "/" + std::to_string(n) + "-" + std::to_string(n + 1), 0, 1);
}

void addConfiguration()
{
    addInt("/config/amixenable/X", 0, 1);
    addInt("/config/amixenable/Y", 0, 1);
    for (int n = 1; n <= 32; ++n) addInt("/config/userrout/in/" + twoDigits(n), 0, 168);
    const char* blocks32[] = {"1-8", "9-16", "17-24", "25-32"};
    const char* blocks48[] = {"1-8", "9-16", "17-24", "25-32", "33-40", "41-48"};
    const char* blocksOut[] = {"1-4", "5-8", "9-12", "13-16"};
    for (const char* b : blocks32) addInt(std::string("/config/routing/IN/") + b, 0, 23);
    addInt("/config/routing/IN/AUX", 0, 23);
    for (const char* b : blocks48) addInt(std::string("/config/routing/AES50A/") + b, 0, 23);
    for (const char* b : blocks48) addInt(std::string("/config/routing/AES50B/") + b, 0, 23);
    for (const char* b : blocks32) addInt(std::string("/config/routing/CARD/") + b, 0, 23);
    for (const char* b : blocksOut) addInt(std::string("/config/routing/OUT/") + b, 0, 23);
    for (const char* b : blocks32) addInt(std::string("/config/routing/PLAY/") + b, 0, 23);
    addInt("/config/routing/routswitch", 0, 1);
    for (int n = 1; n <= 6; ++n) addInt("/config/mute/" + std::to_string(n), 0, 1);
    addLinks("chlink", 32);
    addLinks("auxlink", 8);
    addLinks("fxlink", 8);
    addLinks("buslink", 16);
    addLinks("mtxlink", 6);
}

void addStatusHeadampsAndEffects()
{
    addInt("/-stat/selidx", 0, 79);
    for (int n = 1; n <= 80; ++n) addInt("/-stat/solosw/" + twoDigits(n), 0, 1);
    addInt("/-stat/keysolo", 0, 1);
    addInt("/-stat/lock", 0, 1);
    addInt("/-stat/chfaderbank", 0, 3);
    for (int n = 0; n < 128; ++n) {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "/headamp/%03d", n);
        addFloat(std::string(prefix) + "/gain");
        addInt(std::string(prefix) + "/phantom", 0, 1);
    }
    for (int slot = 1; slot <= 8; ++slot) {
        std::string p = "/fx/" + std::to_string(slot);
        addInt(p + "/type", 0, slot <= 4 ? 60 : 33);
        params.back().fxSlot = slot;
        for (int n = 1; n <= 64; ++n) addFloat(p + "/par/" + twoDigits(n));
    }
}

// Gives the 64 parameters of a slot the kinds of its current type, with
// start values 0.5 (continuous) and 0 (integer); unused ones answer 0.0.
void shapeFxSlot(int slot)
{
    std::string kinds = fxKinds(slot, intValueOf("/fx/" + std::to_string(slot) + "/type", -1));
    for (int n = 1; n <= 64; ++n) {
        Param* param = findParam("/fx/" + std::to_string(slot) + "/par/" + twoDigits(n));
        if (param == nullptr) continue;
        // Beyond the type's parameters the console is assumed to answer 0.0.
        bool used = n <= static_cast<int>(kinds.size());
        param->type = used ? kinds[n - 1] : 'f';
        param->i = 0;
        param->f = used && param->type == 'f' ? 0.5f : 0.0f;
        param->low = 0;
        param->high = 1;
    }
}

}  // namespace

void buildParamStore()
{
    params.clear();
    paramIndex.clear();
    params.reserve(8000);
    addStrips();
    addConfiguration();
    addStatusHeadampsAndEffects();
    for (int slot = 1; slot <= 8; ++slot) shapeFxSlot(slot);
}

Param* findParam(const std::string& address)
{
    auto found = paramIndex.find(address);
    return found == paramIndex.end() ? nullptr : &params[found->second];
}

OscArg paramValue(const Param& param)
{
    if (param.type == 'i') return oscInt(param.i);
    if (param.type == 's') return oscString(param.s);
    return oscFloat(param.f);
}

bool storeParamValue(Param& param, const OscArg& arg)
{
    if (arg.type != param.type) return false;
    bool newFxType = param.fxSlot > 0 && arg.i != param.i;
    if (arg.type == 'i') param.i = arg.i;
    else if (arg.type == 'f') param.f = arg.f;
    else param.s = arg.s;
    if (newFxType) shapeFxSlot(param.fxSlot);
    return true;
}

std::string formatParamValue(const Param& param)
{
    char text[48];
    if (param.type == 'i') {
        std::snprintf(text, sizeof text, "i %d", param.i);
        return text;
    }
    if (param.type == 's') return "s \"" + param.s + "\"";
    std::snprintf(text, sizeof text, "f %.6f", static_cast<double>(param.f));
    return text;
}

void setFloat(const std::string& address, float value)
{
    if (Param* param = findParam(address)) storeParamValue(*param, oscFloat(value));
}

void setInt(const std::string& address, int32_t value)
{
    if (Param* param = findParam(address)) storeParamValue(*param, oscInt(value));
}

void setText(const std::string& address, const std::string& value)
{
    if (Param* param = findParam(address)) storeParamValue(*param, oscString(value));
}

int32_t intValueOf(const std::string& address, int32_t fallback)
{
    const Param* param = findParam(address);
    return param != nullptr && param->type == 'i' ? param->i : fallback;
}

float floatValueOf(const std::string& address, float fallback)
{
    const Param* param = findParam(address);
    return param != nullptr && param->type == 'f' ? param->f : fallback;
}

std::string stripPrefix(int strip)
{
    if (strip < 0 || strip > 79) return "";
    if (strip < 32) return "/ch/" + twoDigits(strip + 1);
    if (strip < 40) return "/auxin/" + twoDigits(strip - 31);
    if (strip < 48) return "/fxrtn/" + twoDigits(strip - 39);
    if (strip < 64) return "/bus/" + twoDigits(strip - 47);
    if (strip < 70) return "/mtx/" + twoDigits(strip - 63);
    if (strip == 70) return "/main/st";
    if (strip == 71) return "/main/m";
    return "/dca/" + std::to_string(strip - 71);
}
