// Parameter kinds of every effect type, as the console reports them: one
// letter per parameter, "/fx/N/par/01" first; 'i' an integer (a switch or a
// choice), 'f' a continuous value. Types 0..26 of slots 1..4 and 4..11 of
// slots 5..8 are known for certain; the rest follow the console's published
// effect list and are not checked on a console.
#include "fx_kinds.h"

namespace {

const char* const kKinds1to4[61] = {
    "ffffffffffff",  // 0 HALL
    "ffffffffff",  // 1 AMBI
    "ffffffffffffffff",  // 2 RPLT
    "ffffffffffffffff",  // 3 ROOM
    "ffffffffffffffff",  // 4 CHAM
    "ffffffffffff",  // 5 PLAT
    "fffiifffff",  // 6 VREV
    "ffffffffffffi",  // 7 VRM
    "ffffffffff",  // 8 GATE
    "fffffffff",  // 9 RVRS
    "ffiiifffffff",  // 10 DLY
    "ffffffiffiffiii",  // 11 3TAP
    "ffffffifififiii",  // 12 4TAP
    "fffffffffff",  // 13 CRS
    "ffffffffffff",  // 14 FLNG
    "ffffffffffff",  // 15 PHAS
    "iiiiiii",  // 16 DIMC
    "ffffififffffii",  // 17 FILT
    "ffffffii",  // 18 ROTA
    "fffffffff",  // 19 PAN
    "iifffiifff",  // 20 SUB
    "fiffffffffff",  // 21 D/RV
    "ffffffffffff",  // 22 CR/R
    "ffffffffffff",  // 23 FL/R
    "fiffffffffff",  // 24 D/CR
    "fiffffffffff",  // 25 D/FL
    "fifffffiiffff",  // 26 MODD
    "ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff",  // 27 GEQ2
    "ffffffffffffffffffffffffffffffff",  // 28 GEQ
    "ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff",  // 29 TEQ2
    "ffffffffffffffffffffffffffffffff",  // 30 TEQ
    "ffffii",  // 31 DES2
    "ffffii",  // 32 DES
    "iffifffifii",  // 33 P1A
    "iffifffifiiiffifffifii",  // 34 P1A2
    "ififififi",  // 35 PQ5
    "ififififiififififi",  // 36 PQ5S
    "ffffff",  // 37 WAVD
    "ffffffii",  // 38 LIM
    "iifffiiiiffffffff",  // 39 CMB
    "iifffiiiiffffffffiifffiiiiffffffff",  // 40 CMB2
    "iffifff",  // 41 FAC
    "iffiffffiff",  // 42 FAC1M
    "iffifffiffifff",  // 43 FAC2
    "iffif",  // 44 LEC
    "iffififfif",  // 45 LEC2
    "iffffi",  // 46 ULC
    "iffffiiffffi",  // 47 ULC2
    "ffffffffiffffffffi",  // 48 ENH2
    "ffffffffi",  // 49 ENH
    "ffffffiffffffi",  // 50 EXC2
    "ffffffi",  // 51 EXC
    "fffffff",  // 52 IMG
    "iiifffff",  // 53 EDI
    "ifff",  // 54 SON
    "ffffffffiffffffffi",  // 55 AMP2
    "ffffffffi",  // 56 AMP
    "iffffffffffiffffffffff",  // 57 DRV2
    "iffffffffff",  // 58 DRV
    "ffffffffffff",  // 59 PIT2
    "ffffff",  // 60 PIT
};

const char* const kKinds5to8[34] = {
    "ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff",  // 0 GEQ2
    "ffffffffffffffffffffffffffffffff",  // 1 GEQ
    "ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff",  // 2 TEQ2
    "ffffffffffffffffffffffffffffffff",  // 3 TEQ
    "ffffii",  // 4 DES2
    "ffffii",  // 5 DES
    "iffifffifii",  // 6 P1A
    "iffifffifiiiffifffifii",  // 7 P1A2
    "ififififi",  // 8 PQ5
    "ififififiififififi",  // 9 PQ5S
    "ffffff",  // 10 WAVD
    "ffffffii",  // 11 LIM
    "iffifff",  // 12 FAC
    "iffiffffiff",  // 13 FAC1M
    "iffifffiffifff",  // 14 FAC2
    "iffif",  // 15 LEC
    "iffififfif",  // 16 LEC2
    "iffffi",  // 17 ULC
    "iffffiiffffi",  // 18 ULC2
    "ffffffffiffffffffi",  // 19 ENH2
    "ffffffffi",  // 20 ENH
    "ffffffiffffffi",  // 21 EXC2
    "ffffffi",  // 22 EXC
    "fffffff",  // 23 IMG
    "iiifffff",  // 24 EDI
    "ifff",  // 25 SON
    "ffffffffiffffffffi",  // 26 AMP2
    "ffffffffi",  // 27 AMP
    "iffffffffffiffffffffff",  // 28 DRV2
    "iffffffffff",  // 29 DRV
    "ffffffffffff",  // 30 PHAS
    "ffffififffffii",  // 31 FILT
    "fffffffff",  // 32 PAN
    "iifffiifff",  // 33 SUB
};

}  // namespace

const char* fxKinds(int slot, int type)
{
    if (slot >= 1 && slot <= 4 && type >= 0 && type < 61) return kKinds1to4[type];
    if (slot >= 5 && slot <= 8 && type >= 0 && type < 34) return kKinds5to8[type];
    return "";
}
