#!/usr/bin/env python3
"""Writes the seed corpora under fuzz/corpus/. Run it after changing a seed;
the seeds are kept in the tree, so run.sh needs nothing but clang."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def pad(b):
    b += b"\0"
    while len(b) % 4:
        b += b"\0"
    return b


def osc(address, tags="", *args):
    out = pad(address.encode()) + pad(("," + tags).encode())
    for tag, arg in zip(tags, args):
        if tag == "i":
            out += struct.pack(">i", arg)
        elif tag == "f":
            out += struct.pack(">f", arg)
        elif tag == "s":
            out += pad(arg)
        elif tag == "b":
            out += struct.pack(">i", len(arg)) + arg
            while len(out) % 4:
                out += b"\0"
    return out


def meter_block(count):
    return struct.pack("<i", count) + b"".join(struct.pack("<f", 0.01 * k) for k in range(count))


OSC_SEEDS = {
    "ch_fader": osc("/ch/01/mix/fader", "f", 0.75),
    "ch_name": osc("/ch/05/config/name", "s", b"Kick In"),
    "ch_color": osc("/ch/05/config/color", "i", 11),
    "ch_eq_f": osc("/ch/32/eq/1/f", "f", 0.3),
    "ch_eq_type": osc("/ch/02/eq/4/type", "i", 5),
    "ch_dyn_ratio": osc("/ch/07/dyn/ratio", "i", 11),
    "ch_dyn_thr": osc("/ch/07/dyn/thr", "f", 0.4),
    "ch_gate_mode": osc("/ch/01/gate/mode", "i", 4),
    "ch_gate_keysrc": osc("/ch/01/gate/keysrc", "i", 40),
    "ch_gate_filter": osc("/ch/01/gate/filter/type", "i", 8),
    "ch_send_level": osc("/ch/01/mix/03/level", "f", 0.5),
    "ch_send_on": osc("/ch/01/mix/16/on", "i", 1),
    "ch_dca": osc("/ch/01/grp/dca", "i", 5),
    "ch_mutegrp": osc("/ch/12/grp/mute", "i", 63),
    "ch_trim": osc("/ch/02/preamp/trim", "f", 0.5),
    "ch_source": osc("/ch/02/config/source", "i", 64),
    "ch_insert_sel": osc("/ch/03/insert/sel", "i", 22),
    "ch_automix": osc("/ch/03/automix/group", "i", 2),
    "auxin_on": osc("/auxin/02/mix/on", "i", 0),
    "fxrtn_fader": osc("/fxrtn/03/mix/fader", "f", 0.1),
    "bus_pan": osc("/bus/16/mix/pan", "f", 0.9),
    "bus_mtx_send": osc("/bus/01/mix/06/level", "f", 0.2),
    "mtx_fader": osc("/mtx/06/mix/fader", "f", 0.8),
    "main_st": osc("/main/st/mix/fader", "f", 0.7),
    "main_m": osc("/main/m/mix/on", "i", 1),
    "dca_on": osc("/dca/3/on", "i", 0),
    "dca_fader": osc("/dca/8/fader", "f", 0.6),
    "stat_selidx": osc("/-stat/selidx", "i", 12),
    "stat_solosw": osc("/-stat/solosw/05", "i", 1),
    "stat_lock": osc("/-stat/lock", "i", 1),
    "stat_keysolo": osc("/-stat/keysolo", "i", 1),
    "cfg_routing": osc("/config/routing/IN/1-8", "i", 3),
    "cfg_routswitch": osc("/config/routing/routswitch", "i", 1),
    "cfg_userrout": osc("/config/userrout/in/07", "i", 40),
    "cfg_mute": osc("/config/mute/3", "i", 1),
    "cfg_amix": osc("/config/amixenable/X", "i", 1),
    "ha_index": osc("/-ha/05/index", "i", 12),
    "headamp_gain": osc("/headamp/007/gain", "f", 0.5),
    "headamp_phantom": osc("/headamp/127/phantom", "i", 1),
    "fx_type": osc("/fx/1/type", "i", 11),
    "fx_par_last": osc("/fx/1/par/64", "f", 0.5),
    "fx_par_int": osc("/fx/5/par/01", "i", 3),
    "meter1": osc("/meter1", "b", meter_block(32)),
    "meter2": osc("/meter2", "b", meter_block(25)),
    "meter3": osc("/meter3", "b", meter_block(22)),
    "no_comma": b"/ch/01/mix/fader\0\0\0\0",
    "open_tags": b"/xinfo\0\0,sss",
}

# Header: page, selected strip, flags, bank and scroll, effect type, eight
# strips; then length-prefixed MIDI messages.
PAGES = [0, 1, 2, 3, 4, 5] + list(range(8, 35))


def hdr(page, selected, flags, bank, fx_type, shown):
    return bytes([PAGES.index(page), selected, flags, bank, fx_type]) + bytes(shown)


SURFACE_SEEDS = {
    "home_fader": hdr(0, 0, 0, 0, 11, bytes(range(8))) + bytes([3, 0xE2, 0x10, 0x40]),
    "home_pan": hdr(0, 0, 0, 0, 11, bytes(range(8))) + bytes([3, 0xB0, 16, 3, 3, 0xB0, 17, 66]),
    "eq_page": hdr(1, 3, 0, 0, 0, bytes(range(8))) + bytes([3, 0x90, 44, 127, 3, 0xB0, 18, 5, 3, 0x90, 1, 127]),
    "fx_page": hdr(2, 0, 0, 0, 11, bytes(range(8)))
    + bytes([3, 0x90, 32, 127, 3, 0xB0, 16, 2, 3, 0x90, 32, 0, 3, 0xB0, 17, 1, 3, 0xB0, 18, 70]),
    "fx58_page": hdr(24, 0, 0, 0, 3, bytes(range(8))) + bytes([3, 0xB0, 19, 1, 3, 0x90, 0, 127]),
    "send_faders": hdr(8, 0, 0, 0, 0, bytes(range(8))) + bytes([3, 0x90, 62, 127, 3, 0xE0, 0x7F, 0x7F, 3, 0x90, 0, 127]),
    "mono_faders": hdr(34, 0, 0, 0, 0, bytes(range(48, 56))) + bytes([3, 0x90, 85, 127, 3, 0xE1, 0, 0x40]),
    "preamp": hdr(28, 0, 0, 0, 0, bytes(range(8))) + bytes([3, 0x90, 40, 127, 3, 0xB0, 20, 1, 3, 0x90, 39, 127]),
    "sends_enc": hdr(29, 5, 0, 0, 0, bytes(range(8))) + bytes([3, 0x90, 45, 127, 3, 0xB0, 22, 65, 3, 0x90, 3, 127]),
    "assign": hdr(31, 5, 0, 0, 0, bytes(range(8))) + bytes([3, 0x90, 43, 127, 3, 0xB0, 21, 1, 3, 0x90, 33, 127]),
    "gate": hdr(32, 5, 0, 0, 0, bytes(range(8))) + bytes([3, 0x90, 42, 127, 3, 0xB0, 18, 1, 3, 0x90, 7, 127]),
    "dynamics": hdr(33, 5, 0, 0, 0, bytes(range(8))) + bytes([3, 0x90, 41, 127, 3, 0xB0, 23, 1, 3, 0x90, 5, 127]),
    "banks": hdr(0, 0, 0, 0x23, 0, bytes(range(8))) + bytes([3, 0x90, 97, 127, 3, 0x90, 47, 127, 3, 0x90, 96, 127]),
    "dca_spill": hdr(0, 72, 0x08, 0x08, 0, bytes(range(72, 80))) + bytes([3, 0x90, 99, 127, 3, 0x90, 98, 127]),
    "buttons": hdr(0, 2, 0, 0, 0, bytes(range(8)))
    + bytes([3, 0x90, 16, 127, 3, 0x90, 8, 127, 3, 0x90, 26, 127, 3, 0x90, 26, 0,
             3, 0x90, 75, 127, 3, 0x90, 84, 127, 3, 0x90, 86, 127, 3, 0x90, 89, 127,
             3, 0x90, 49, 127, 3, 0x90, 104, 127, 3, 0xE8, 0x10, 0x10]),
    "blank_strips": hdr(0, 0, 0, 0, 0, bytes([80] * 8)) + bytes([3, 0xE0, 1, 1, 3, 0x90, 16, 127]),
    "locked": hdr(0, 0, 0x07, 0, 0, bytes(range(8))) + bytes([3, 0xE8, 0x10, 0x10]),
    "editor_dca": hdr(0, 72, 0x28, 0x08, 0, bytes(range(72, 80))) + bytes([3, 0x90, 99, 127, 3, 0x90, 98, 127, 3, 0x90, 97, 127]),
    "editor_fx": hdr(2, 0, 0x20, 0, 11, bytes(range(8)))
    + bytes([3, 0x90, 71, 127, 3, 0x90, 0, 127, 3, 0xB0, 17, 1, 3, 0xB0, 17, 1, 3, 0xB0, 17, 66]),
    "editor_pages": hdr(0, 3, 0x20, 0, 0, bytes(range(8)))
    + bytes([3, 0x90, 44, 127, 3, 0x90, 40, 127, 3, 0x90, 62, 127, 3, 0x90, 26, 127, 3, 0x90, 51, 127]),
    "short": hdr(0, 0, 0, 0, 0, bytes(range(8))) + bytes([2, 0x90, 16, 1, 0xE0]),
}


def prefs(banks):
    lines = ["X32-Edit preferences", "-guiprefs/version 4.3"]
    for k in range(1, 10):
        entries = banks.get(k, [])
        lines.append("-guiprefs/bank%d %d" % (k, len(entries)))
        lines.append(("-guiprefs/bank%d/channels " % k) + " ".join(str(e) for e in entries))
    return ("\n".join(lines) + "\n").encode()


PREFS_SEEDS = {
    "typical": prefs({1: list(range(16)), 2: list(range(32, 48)), 3: [70, 71, 72, 73], 9: [74, 0, 1]}),
    "short_bank": prefs({1: [5, 6, 70]}),
    "windows_lines": prefs({1: list(range(8)), 4: list(range(48, 64))}).replace(b"\n", b"\r\n"),
    "full_bank": prefs({k: list(range(80)) for k in range(1, 10)}),
    "count_too_big": b"a\nb\n-guiprefs/bank1 200\n-guiprefs/bank1/channels 1 2 3\n",
    "odd_numbers": b"a\nb\n-guiprefs/bank1 4\n-guiprefs/bank1/channels -5 999 +7 x\n",
}

CONFIG_SEEDS = {
    "two_addresses": b"192.168.1.20|192.168.1.30|",
    "no_final_bar": b"10.0.0.2|10.0.0.3",
    "only_mixer": b"192.168.1.20|",
    "line_breaks": b"192.168.1.20|\r\n192.168.1.30|\r\n",
    "too_long": b"1234567890123456789012345|1.2.3.4|",
    "not_ipv4": b"mixer.local|300.1.1.1|",
    "four_surfaces": b"auto|10.0.0.3,10.0.0.4:10112,10.0.0.5,255.255.255.255:65535|",
    "surface_twice": b"auto|10.0.0.3,10.0.0.3:10111|",
}


def fx_file():
    return b"""2   # effects
HALL   # type 0
3
2
2 2
PreDly
1
1
linf
0.01
0
200
Decay
1
2
logf
0.01
5
0.2 0.5 1.0 2.0 5.0
Mode
2
1
enum
1
3
A B #C
GEQ
1
1
1
Gain
1
1
linf
0.0167   # step
-15
+15
"""


FX_SEEDS = {
    "small": fx_file(),
    "bad_kind": b"1\nX\n2\n1\n1\nP\n1\n1\nlinx\n1\n2\n3\nQ\n1\n2\nenum\n1\n2\na b\n",
    "too_many_lut": b"1\nX\n1\n1\n1\nP\n1\n1\nenum\n1\n250\na b c\n",
}


def write(folder, seeds):
    path = os.path.join(HERE, "corpus", folder)
    os.makedirs(path, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(path, name), "wb") as f:
            f.write(data)


def main():
    # The OSC target takes a flag byte (bit 0: start-up done, then the page)
    # and an effect-type byte before the datagram.
    osc_inputs = {}
    for name, datagram in OSC_SEEDS.items():
        osc_inputs[name] = bytes([0x01, 11]) + datagram
    osc_inputs["ch_fader_startup"] = bytes([0x00, 0]) + OSC_SEEDS["ch_fader"]
    osc_inputs["fx_par_on_fx_page"] = bytes([0x05, 11]) + OSC_SEEDS["fx_par_last"]
    write("osc_reply_fuzz", osc_inputs)
    write("surface_input_fuzz", SURFACE_SEEDS)
    write("editor_prefs_fuzz", PREFS_SEEDS)
    write("config_file_fuzz", CONFIG_SEEDS)
    # run.sh adds the sample files in fxdata as further seeds.
    write("fx_files_fuzz", FX_SEEDS)


if __name__ == "__main__":
    main()
