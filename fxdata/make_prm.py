#!/usr/bin/env python3
"""Writes fx1_4.prm and fx5_8.prm, the effects descriptions shipped with the
bridge, from the tables below. Run it from anywhere after changing a table:

    python3 fxdata/make_prm.py

The .prm files are what the bridge reads; this script only keeps the ~1600
lines of each consistent (pages, positions, look-up labels).

What is certain: the type order of both tables and, for the types marked
CONFIRMED, the parameter count and the kind of every parameter (integer
parameters are "enum", continuous ones "linf"/"logf"). Parameter names,
ranges, units, choice labels, pages and editor groups follow the console's
published effect list as remembered, and are not checked on a console.
"""

import math
import os

# ---------------------------------------------------------------- parameters


def lin(name, lo, hi, step=0.01):
    """Continuous parameter shown linearly from lo to hi."""
    return {"name": name, "kind": "linf", "lo": lo, "hi": hi, "step": step}


def log(name, lo, hi, unit="", n=101):
    """Continuous parameter on a logarithmic scale; labels at n points."""
    return {"name": name, "kind": "logf", "lo": lo, "hi": hi, "unit": unit, "n": n}


def enum(name, labels):
    return {"name": name, "kind": "enum", "labels": labels}


def switch(name, off="OFF", on="ON"):
    return enum(name, [off, on])


def number_label(v):
    if v < 10:
        return "%.2f" % v
    if v < 100:
        return "%.1f" % v
    return "%d" % round(v)


def hertz_label(v):
    """20.0, 891, 1k02, 10k0: at most 5 characters, k in place of the point."""
    if v < 100:
        return "%.1f" % v
    if v < 1000:
        return "%d" % round(v)
    k = v / 1000.0
    if k < 10:
        text = "%.2f" % k
    else:
        text = "%.1f" % k
    return text.replace(".", "k")


def log_labels(p):
    n = p["n"]
    labels = []
    for i in range(n):
        v = p["lo"] * math.pow(p["hi"] / p["lo"], i / (n - 1))
        labels.append(hertz_label(v) if p["unit"] == "Hz" else number_label(v))
    return labels


# Shared parameter shapes.
def pre_delay(hi=200):
    return lin("PreDly", 0, hi, 1.0 / hi)


LO_CUT = log("LoCut", 10, 500, "Hz")
HI_CUT = log("HiCut", 200, 20000, "Hz")
DAMPING = log("Damping", 1000, 20000, "Hz")
DIFFUSE = lin("Diffuse", 1, 30, 1.0 / 29)
LEVEL = lin("Level", -12, 12, 1.0 / 48)
MIX = lin("Mix", 0, 100)
TIME = lin("Time", 1, 3000, 0.001)
FEEDBACK = lin("Feedbk", 0, 100)
BALANCE = lin("Balance", -100, 100, 0.005)
PHASE = lin("Phase", 0, 180, 1.0 / 180)
SPREAD = lin("Spread", 0, 50, 0.02)
FACTORS = ["1/4", "3/8", "1/2", "2/3", "1", "4/3", "3/2", "2", "3"]
PATTERNS = ["1/4", "1/3", "3/8", "1/2", "2/3", "3/4", "1", "1/4X", "1/3X", "3/8X",
            "1/2X", "2/3X", "3/4X", "1X"]


def percent(name):
    return lin(name, 0, 100)


def bipolar(name, hi=100):
    return lin(name, -hi, hi, 1.0 / (2 * hi))


def gain(name, lo=-12, hi=12):
    return lin(name, lo, hi, 1.0 / (2 * (hi - lo)))


# ---------------------------------------------------------------- effects
# effect(name, comment, params, confirmed, order=None, halves=None)
#   order:  parameter names in page order (most used first); default: as sent
#   halves: index of the first parameter of side B of a dual effect; side B
#           starts on a fresh page and is the editor's second page group


def effect(name, comment, params, confirmed=False, order=None, half=None):
    return {"name": name, "comment": comment, "params": params, "confirmed": confirmed,
            "order": order, "half": half}


def reverb_core(decay, size):
    return [pre_delay(), decay, size, DAMPING, DIFFUSE, LEVEL, LO_CUT, HI_CUT]


HALL = effect("HALL", "hall reverb", reverb_core(log("Decay", 0.2, 5), lin("Size", 2, 100, 1.0 / 98)) + [
    log("BassMul", 0.5, 2), SPREAD, lin("Shape", 0, 250, 0.004), percent("ModSpd")], True)
AMBI = effect("AMBI", "ambience", reverb_core(log("Decay", 0.2, 7.3), lin("Size", 2, 100, 1.0 / 98)) + [
    percent("Modul"), percent("TailGn")], True)
RPLT = effect("RPLT", "rich plate", reverb_core(log("Decay", 0.3, 29), lin("Size", 4, 39, 1.0 / 35)) + [
    log("BassMul", 0.25, 4), SPREAD, percent("Attack"), percent("Spin"),
    lin("EchoL", 0, 1200, 0.001), lin("EchoR", 0, 1200, 0.001), bipolar("EchoFdL"), bipolar("EchoFdR")], True)
ROOM = effect("ROOM", "room", reverb_core(log("Decay", 0.3, 29), lin("Size", 4, 72, 1.0 / 68)) + [
    log("BassMul", 0.25, 4), SPREAD, lin("Shape", 0, 250, 0.004), percent("Spin"),
    lin("EchoL", 0, 1200, 0.001), lin("EchoR", 0, 1200, 0.001), bipolar("EchoFdL"), bipolar("EchoFdR")], True)
CHAM = effect("CHAM", "chamber", reverb_core(log("Decay", 0.3, 29), lin("Size", 4, 72, 1.0 / 68)) + [
    log("BassMul", 0.25, 4), SPREAD, lin("Shape", 0, 250, 0.004), percent("Spin"),
    lin("ReflL", 0, 500, 0.002), lin("ReflR", 0, 500, 0.002), percent("RflGnL"), percent("RflGnR")], True)
PLAT = effect("PLAT", "plate", reverb_core(log("Decay", 0.5, 10), lin("Size", 2, 100, 1.0 / 98)) + [
    log("BassMul", 0.5, 2), log("Xover", 10, 500, "Hz"), lin("ModDep", 1, 50, 1.0 / 49), percent("ModSpd")],
    True)
VREV = effect("VREV", "vintage reverb", [
    pre_delay(120), log("Decay", 0.3, 4.5), lin("Modul", 0, 10, 0.01), switch("Vintage"),
    switch("Positn", "FRONT", "REAR"), LEVEL, log("LoMult", 0.5, 2), log("HiMult", 0.25, 1), LO_CUT, HI_CUT],
    True)
VRM = effect("VRM", "vintage room", [
    lin("RevDly", 0, 20, 0.01), log("Decay", 0.1, 20), lin("Size", 0, 10, 0.01), lin("Dens", 1, 30, 1.0 / 29),
    lin("ERLevel", 0, 190, 1.0 / 190), LEVEL, log("LoMult", 0.1, 10), log("HiMult", 0.1, 10), LO_CUT, HI_CUT,
    lin("ERLeft", 0, 10, 0.01), lin("ERRight", 0, 10, 0.01), switch("Freeze")], True)
GATE = effect("GATE", "gated reverb", [
    pre_delay(), log("Decay", 140, 1000), lin("Attack", 0, 30, 1.0 / 30), lin("Dens", 1, 50, 1.0 / 49),
    percent("Spread"), LEVEL, LO_CUT, log("HiSvF", 200, 20000, "Hz"), lin("HiSvG", -30, 0, 1.0 / 60), DIFFUSE],
    True)
RVRS = effect("RVRS", "reverse reverb", [
    pre_delay(), log("Decay", 140, 1000), lin("Rise", 0, 50, 0.02), DIFFUSE, lin("Spread", 1, 100, 1.0 / 99),
    LEVEL, LO_CUT, log("HiSvF", 200, 20000, "Hz"), lin("HiSvG", -30, 0, 1.0 / 60)], True)
DLY = effect("DLY", "stereo delay", [
    MIX, TIME, enum("Mode", ["ST", "X", "M"]), enum("FactorL", FACTORS), enum("FactorR", FACTORS),
    bipolar("Offset"), LO_CUT, HI_CUT, log("FdLoCut", 10, 500, "Hz"), percent("FeedL"), percent("FeedR"),
    log("FdHiCut", 200, 20000, "Hz")], True,
    order=["Time", "Mix", "FactorL", "FactorR", "FeedL", "FeedR",
           "LoCut", "HiCut", "FdLoCut", "FdHiCut", "Offset", "Mode"])
TAP3 = effect("3TAP", "three-tap delay", [
    TIME, percent("Gain"), bipolar("Pan"), FEEDBACK, LO_CUT, HI_CUT,
    enum("FactA", FACTORS), percent("GainA"), bipolar("PanA"),
    enum("FactB", FACTORS), percent("GainB"), bipolar("PanB"),
    switch("XFeed"), switch("Mono"), switch("Dry")], True)
TAP4 = effect("4TAP", "four-tap delay", [
    TIME, percent("Gain"), FEEDBACK, LO_CUT, HI_CUT, lin("Spread", 0, 6, 1.0 / 6),
    enum("FactA", FACTORS), percent("GainA"), enum("FactB", FACTORS), percent("GainB"),
    enum("FactC", FACTORS), percent("GainC"), switch("XFeed"), switch("Mono"), switch("Dry")], True)
CRS = effect("CRS", "stereo chorus", [
    log("Speed", 0.05, 5), percent("WidthL"), percent("WidthR"), log("DelayL", 0.5, 50), log("DelayR", 0.5, 50),
    MIX, LO_CUT, HI_CUT, PHASE, percent("Wave"), percent("Spread")], True)
FLNG = effect("FLNG", "stereo flanger", [
    log("Speed", 0.05, 5), percent("WidthL"), percent("WidthR"), log("DelayL", 0.5, 20), log("DelayR", 0.5, 20),
    MIX, LO_CUT, HI_CUT, PHASE, log("FdLoCut", 10, 500, "Hz"), log("FdHiCut", 200, 20000, "Hz"),
    bipolar("Feed", 90)], True)
PHAS = effect("PHAS", "stereo phaser", [
    log("Speed", 0.05, 5), percent("Depth"), lin("Reson", 0, 80, 1.0 / 80), lin("Base", 0, 50, 0.02),
    lin("Stages", 2, 12, 0.1), MIX, bipolar("Wave", 50), PHASE, bipolar("EnvMod"),
    log("Attack", 10, 1000), log("Hold", 1, 2000), log("Release", 10, 1000)], True)
DIMC = effect("DIMC", "dimensional chorus", [
    switch("Active"), enum("Mode", ["M", "ST"]), switch("Dry"), switch("Mode1"), switch("Mode2"),
    switch("Mode3"), switch("Mode4")], True)
FILT = effect("FILT", "mood filter", [
    log("Speed", 0.05, 20), percent("Depth"), percent("Reson"), log("Base", 20, 15000, "Hz"),
    enum("Mode", ["LP", "HP", "BP", "NOTCH"]), MIX, enum("Wave", ["TRI", "SIN", "SAW", "SAW-", "RMP", "SQU", "RND"]),
    PHASE, bipolar("EnvMod"), log("Attack", 10, 250), log("Release", 10, 500), percent("Drive"),
    switch("4Pole"), switch("Side")], True)
ROTA = effect("ROTA", "rotary speaker", [
    log("LoSpeed", 0.1, 4), log("HiSpeed", 2, 10), percent("Accel"), percent("Dist"), BALANCE, MIX,
    enum("Motor", ["STOP", "RUN"]), enum("Speed", ["SLOW", "FAST"])], True,
    order=["Speed", "Motor", "Mix", "Balance", "LoSpeed", "HiSpeed", "Accel", "Dist"])
PAN = effect("PAN", "tremolo / panner", [
    log("Speed", 0.05, 4), PHASE, bipolar("Wave", 50), percent("Depth"), percent("EnvSpd"), percent("EnvDep"),
    log("Attack", 10, 1000), log("Hold", 1, 2000), log("Release", 10, 1000)], True)
SUB_SIDE = [switch("Active"), enum("Range", ["LO", "MID", "HI"]), percent("Dry"), percent("Oct-1"),
            percent("Oct-2")]
SUB = effect("SUB", "sub octaver, sides A and B", [
    dict(p, name=p["name"][:6] + "A") for p in SUB_SIDE] + [dict(p, name=p["name"][:6] + "B") for p in SUB_SIDE],
    True, half=5)


def delay_head():
    return [TIME, enum("Pattern", PATTERNS), log("FdHiCut", 1000, 20000, "Hz"), FEEDBACK, percent("XFeed"),
            BALANCE]


REVERB_TAIL = [pre_delay(), log("Decay", 0.1, 5), lin("Size", 2, 100, 1.0 / 98), DAMPING, LO_CUT, MIX]
DRV = effect("D/RV", "delay + reverb", delay_head() + REVERB_TAIL, True)
CRR = effect("CR/R", "chorus + reverb", [
    log("Speed", 0.05, 4), percent("Depth"), log("Delay", 0.5, 50), PHASE, percent("Wave"), BALANCE] + REVERB_TAIL,
    True)
FLR = effect("FL/R", "flanger + reverb", [
    log("Speed", 0.05, 4), percent("Depth"), log("Delay", 0.5, 20), PHASE, bipolar("Feed", 90), BALANCE] +
    REVERB_TAIL, True)
DCR = effect("D/CR", "delay + chorus", delay_head() + [
    log("Speed", 0.05, 4), percent("Depth"), log("Delay", 0.5, 50), PHASE, percent("Wave"), MIX], True)
DFL = effect("D/FL", "delay + flanger", delay_head() + [
    log("Speed", 0.05, 4), percent("Depth"), log("Delay", 0.5, 20), PHASE, bipolar("Feed", 90), MIX], True)
MODD = effect("MODD", "modulation delay", [
    TIME, enum("Factor", FACTORS), FEEDBACK, LO_CUT, HI_CUT, percent("Depth"), log("Rate", 0.05, 10),
    enum("Setup", ["PAR", "SER"]), enum("Type", ["AMB", "CLUB", "HALL"]), lin("Decay", 1, 10, 1.0 / 90),
    DAMPING, BALANCE, MIX], True)

# Equalisers and dynamics, shared with slots 5-8.
GEQ_BANDS = ["20", "25", "31.5", "40", "50", "63", "80", "100", "125", "160", "200", "250", "315", "400",
             "500", "630", "800", "1k", "1k25", "1k6", "2k", "2k5", "3k15", "4k", "5k", "6k3", "8k", "10k",
             "12k5", "16k", "20k"]


def eq_side(suffix):
    return [lin(band + suffix, -15, 15, 1.0 / 60) for band in GEQ_BANDS] + [lin("Master" + suffix, -15, 15,
                                                                                   1.0 / 60)]


def dual(name, comment, side, confirmed=False):
    """Two independent sides A and B of the same parameters."""
    a = [dict(p, name=p["name"][:6] + "A") for p in side]
    b = [dict(p, name=p["name"][:6] + "B") for p in side]
    return effect(name, comment + ", sides A and B", a + b, confirmed, half=len(side))


GEQ2 = effect("GEQ2", "dual graphic EQ, sides A and B", eq_side("A") + eq_side("B"), half=32)
GEQ = effect("GEQ", "stereo graphic EQ", eq_side(""))
TEQ2 = effect("TEQ2", "dual true EQ, sides A and B", eq_side("A") + eq_side("B"), half=32)
TEQ = effect("TEQ", "stereo true EQ", eq_side(""))
VOICE = ["FEM", "MALE"]
DES2 = effect("DES2", "dual de-esser", [
    lin("LoA", 0, 50, 0.02), lin("HiA", 0, 50, 0.02), lin("LoB", 0, 50, 0.02), lin("HiB", 0, 50, 0.02),
    enum("VoiceA", VOICE), enum("VoiceB", VOICE)], True)
DES = effect("DES", "stereo de-esser", [
    lin("LoL", 0, 50, 0.02), lin("HiL", 0, 50, 0.02), lin("LoR", 0, 50, 0.02), lin("HiR", 0, 50, 0.02),
    enum("Voice", VOICE), enum("Mode", ["ST", "MS"])], True)
P1A_SIDE = [switch("Active"), gain("Gain"), lin("LoBoost", 0, 10, 0.02), enum("LoFreq", ["0", "30", "60", "100"]),
            lin("LoAtt", 0, 10, 0.02), lin("HiWidth", 0, 10, 0.02), lin("HiBoost", 0, 10, 0.02),
            enum("HiFreq", ["3k", "4k", "5k", "8k", "10k", "12k", "16k"]), lin("HiAtt", 0, 10, 0.02),
            enum("HiAttF", ["5k", "10k", "20k"]), switch("Transf")]
P1A = effect("P1A", "program EQ", P1A_SIDE, True)
P1A2 = dual("P1A2", "dual program EQ", P1A_SIDE, True)
PQ5_SIDE = [switch("Active"), gain("Gain"), enum("LoFreq", ["200", "300", "500", "700", "1k"]),
            lin("LoBoost", 0, 10, 0.02),
            enum("MidFreq", ["200", "300", "500", "700", "1k", "1k5", "2k", "3k", "4k", "5k", "7k"]),
            lin("MidDip", 0, 10, 0.02), enum("HiFreq", ["1k5", "2k", "3k", "4k", "5k"]), lin("HiBoost", 0, 10, 0.02),
            switch("Transf")]
PQ5 = effect("PQ5", "mid EQ", PQ5_SIDE, True)
PQ5S = dual("PQ5S", "dual mid EQ", PQ5_SIDE, True)
WAVD = effect("WAVD", "wave designer", [
    bipolar("AttackA"), bipolar("SustA"), gain("GainA", -24, 24), bipolar("AttackB"), bipolar("SustB"),
    gain("GainB", -24, 24)], True)
LIM = effect("LIM", "precision limiter", [
    lin("InGain", 0, 18, 1.0 / 36), gain("OutGain", -18, 6), percent("Squeeze"), lin("Knee", 0, 10, 0.1),
    log("Attack", 0.05, 1), log("Release", 20, 2000), switch("StLink"), switch("AutoGn")], True)
CMB_SIDE = [switch("Active"), enum("Solo", ["OFF", "Bd1", "Bd2", "Bd3", "Bd4", "Bd5"]), MIX,
            lin("Attack", 0, 19, 1.0 / 19), log("Release", 20, 3000), switch("AutoRel"), switch("SBC"),
            enum("XSlope", ["12", "48"]),
            enum("Ratio", ["1.1", "1.2", "1.3", "1.5", "1.7", "2", "2.5", "3", "3.5", "4", "5", "7", "10", "LIM"]),
            lin("Thresh", -40, 0, 1.0 / 80), gain("Gain", -10, 10), bipolar("Xover", 50)] + [
            gain("Band%d" % b, -10, 10) for b in range(1, 6)]
CMB = effect("CMB", "combinator (multiband compressor)", CMB_SIDE)
CMB2 = dual("CMB2", "dual combinator", CMB_SIDE)
FAC_SIDE = [switch("Active"), gain("InGain", -20, 20), lin("Thresh", 0, 10, 0.01),
            enum("Time", ["1", "2", "3", "4", "5", "6"]), percent("Bias"), gain("OutGain", -18, 6), BALANCE]
FAC = effect("FAC", "fair compressor", FAC_SIDE)
FAC1M = effect("FAC1M", "fair compressor, mid and side", [switch("Active")] + [
    dict(p, name=p["name"][:6] + "M") for p in FAC_SIDE[1:6]] + [
    dict(p, name=p["name"][:6] + "S") for p in FAC_SIDE[1:6]], half=6)
FAC2 = dual("FAC2", "dual fair compressor", FAC_SIDE)
LEC_SIDE = [switch("Active"), percent("Gain"), percent("Peak"), enum("Mode", ["COMP", "LIM"]),
            gain("OutGain", -18, 6)]
LEC = effect("LEC", "leisure compressor", LEC_SIDE)
LEC2 = dual("LEC2", "dual leisure compressor", LEC_SIDE)
ULC_SIDE = [switch("Active"), lin("InGain", -48, 0, 1.0 / 48), lin("OutGain", -48, 0, 1.0 / 48),
            lin("Attack", 1, 7, 1.0 / 60), lin("Release", 1, 7, 1.0 / 60), enum("Ratio", ["4", "8", "12", "20", "ALL"])]
ULC = effect("ULC", "ultimo compressor", ULC_SIDE)
ULC2 = dual("ULC2", "dual ultimo compressor", ULC_SIDE)
ENH_SIDE = [gain("OutGain"), percent("Spread"), percent("BassGn"), lin("BassF", 1, 50, 1.0 / 49),
            percent("MidGn"), lin("MidQ", 1, 50, 1.0 / 49), percent("HiGn"), lin("HiF", 1, 50, 1.0 / 49),
            switch("Solo")]
ENH2 = dual("ENH2", "dual enhancer", ENH_SIDE)
ENH = effect("ENH", "stereo enhancer", ENH_SIDE)
EXC_SIDE = [log("Tune", 1000, 10000, "Hz"), percent("Peak"), percent("ZFill"), bipolar("Timbre", 50),
            percent("Harmon"), MIX, switch("Solo")]
EXC2 = dual("EXC2", "dual exciter", EXC_SIDE)
EXC = effect("EXC", "stereo exciter", EXC_SIDE)
IMG = effect("IMG", "stereo imager", [
    BALANCE, bipolar("MonoPan"), bipolar("StPan"), lin("ShvGain", 0, 12, 1.0 / 24), log("ShvF", 100, 1000, "Hz"),
    lin("ShvQ", 1, 10, 1.0 / 90), gain("OutGain")])
EDI = effect("EDI", "edison stereo field", [
    switch("Active"), enum("StIn", ["ST", "MS"]), enum("StOut", ["ST", "MS"]), bipolar("Spread", 50),
    bipolar("LMFSprd", 50), bipolar("Balance", 50), bipolar("CtrDist", 50), gain("OutGain")])
SON = effect("SON", "sonic enhancer", [switch("Active"), lin("LoContr", 0, 10, 0.01),
                                       lin("Process", 0, 10, 0.01), gain("OutGain")])
AMP_SIDE = [lin(n, 0, 10, 0.01) for n in ["PreAmp", "Buzz", "Punch", "Crunch", "Drive", "Level", "Low", "High"]] + [
    switch("Cabinet")]
AMP2 = dual("AMP2", "dual guitar amp", AMP_SIDE)
AMP = effect("AMP", "stereo guitar amp", AMP_SIDE)
DRV_SIDE = [switch("Active"), percent("Drive"), lin("Even", 0, 50, 0.02), lin("Odd", 0, 50, 0.02), gain("Gain"),
            log("LoCut", 20, 200, "Hz"), log("HiCut", 4000, 20000, "Hz"), gain("LoGain"),
            log("LoFreq", 50, 400, "Hz"), gain("HiGain"), log("HiFreq", 1000, 10000, "Hz")]
DRV2 = dual("DRV2", "dual tube stage", DRV_SIDE)
TUBE = effect("DRV", "stereo tube stage", DRV_SIDE)
PIT_SIDE = [lin("Semi", -12, 12, 1.0 / 24), bipolar("Cent", 50), lin("Delay", 1, 100, 1.0 / 99), LO_CUT,
            log("HiCut", 2000, 20000, "Hz"), MIX]
PIT2 = dual("PIT2", "dual pitch shifter", PIT_SIDE)
PIT = effect("PIT", "stereo pitch shifter", PIT_SIDE)

SLOTS_1_4 = [HALL, AMBI, RPLT, ROOM, CHAM, PLAT, VREV, VRM, GATE, RVRS, DLY, TAP3, TAP4, CRS, FLNG, PHAS,
             DIMC, FILT, ROTA, PAN, SUB, DRV, CRR, FLR, DCR, DFL, MODD,
             GEQ2, GEQ, TEQ2, TEQ, DES2, DES, P1A, P1A2, PQ5, PQ5S, WAVD, LIM, CMB, CMB2, FAC, FAC1M, FAC2,
             LEC, LEC2, ULC, ULC2, ENH2, ENH, EXC2, EXC, IMG, EDI, SON, AMP2, AMP, DRV2, TUBE, PIT2, PIT]
SLOTS_5_8 = [GEQ2, GEQ, TEQ2, TEQ, DES2, DES, P1A, P1A2, PQ5, PQ5S, WAVD, LIM, FAC, FAC1M, FAC2, LEC,
             LEC2, ULC, ULC2, ENH2, ENH, EXC2, EXC, IMG, EDI, SON, AMP2, AMP, DRV2, TUBE, PHAS, FILT, PAN, SUB]

# ---------------------------------------------------------------- layout


def layout(fx):
    """Page and position of every parameter, and the editor's page groups."""
    params = fx["params"]
    names = [p["name"] for p in params]
    assert len(set(names)) == len(names), fx["name"] + ": parameter names repeat"
    order = list(range(len(params)))
    if fx["order"]:
        order = [names.index(n) for n in fx["order"]]
        assert sorted(order) == list(range(len(params))), fx["name"] + ": order misses a parameter"
    places = {}
    page, position = 1, 0
    b_page = 0
    for i in order:
        if fx["half"] is not None and i == fx["half"]:
            if position > 0:
                page, position = page + 1, 0
            b_page = page
        if position == 6:
            page, position = page + 1, 0
        position += 1
        places[i] = (page, position)
    groups = "2 %d" % b_page if b_page else "1"
    return places, page, groups


def check_name(text):
    assert 0 < len(text) <= 7 and " " not in text and "#" not in text, text


def format_step(step):
    return ("%.6f" % step).rstrip("0").rstrip(".")


def format_bound(v):
    return ("%+g" % v) if v != 0 else "0"


def write_file(path, effects, slots, first_line_note):
    lines = []
    # The reader takes the count from line 1 and the first block from line 2,
    # so notes can only follow a value on its line.
    lines.append("%d   # effect blocks, types 0..%d of effects slots %s, written by fxdata/make_prm.py. %s "
                 "Per block: name, parameter count, page count, editor page groups (count, first page of "
                 "group 2); per parameter in /fx/N/par/NN order: name, page, position 1..6 (encoder 3..8), "
                 "kind, three value lines." % (len(effects), len(effects) - 1, slots, first_line_note))
    pool = 0
    for t, fx in enumerate(effects):
        check_name(fx["name"])
        places, pages, groups = layout(fx)
        sure = ("count and kinds confirmed; names and ranges not checked on a console" if fx["confirmed"]
                else "UNCONFIRMED: count, kinds, names and ranges from the published list, not checked")
        kinds = "".join("i" if p["kind"] == "enum" else "f" for p in fx["params"])
        lines.append("%s   # type %d: %s (%s) %s" % (fx["name"], t, fx["comment"], kinds, sure))
        lines.append("%d   # parameters" % len(fx["params"]))
        lines.append("%d   # pages" % pages)
        lines.append("%s   # editor page groups" % groups)
        for i, p in enumerate(fx["params"]):
            check_name(p["name"])
            page, position = places[i]
            lines.append("%s   # par %02d" % (p["name"], i + 1))
            lines.append("%d" % page)
            lines.append("%d" % position)
            lines.append(p["kind"])
            if p["kind"] == "linf":
                lines.append("%s   # step" % format_step(p["step"]))
                lines.append("%s   # min" % format_bound(p["lo"]))
                lines.append("%s   # max" % format_bound(p["hi"]))
                continue
            labels = log_labels(p) if p["kind"] == "logf" else p["labels"]
            for label in labels:
                check_name(label)
            step = 1.0 / (len(labels) - 1) if p["kind"] == "logf" else 1
            lines.append("%s   # step" % format_step(step))
            lines.append("%d   # entries" % len(labels))
            lines.append(" ".join(labels))
            pool += len(labels)
    with open(path, "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")
    return pool


def main():
    folder = os.path.dirname(os.path.abspath(__file__))
    assert len(SLOTS_1_4) == 61 and len(SLOTS_5_8) == 34
    a = write_file(os.path.join(folder, "fx1_4.prm"), SLOTS_1_4, "1..4",
                   "Types 0..26 were checked against the console for count and kinds; 27..60 were not.")
    b = write_file(os.path.join(folder, "fx5_8.prm"), SLOTS_5_8, "5..8",
                   "Types 4..11 were checked against the console for count and kinds; the rest were not.")
    print("look-up entries: %d + %d" % (a, b))
    for table in (SLOTS_1_4, SLOTS_5_8):
        print(" ".join("%s:%s" % (fx["name"], "".join("i" if p["kind"] == "enum" else "f" for p in fx["params"]))
                       for fx in table))


if __name__ == "__main__":
    main()
