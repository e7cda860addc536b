// Every process-wide variable of one transform run, declared in one place.
// Each lives for the whole run; reset_state() puts them all back to their
// start values so that one process can carry out several runs (the fuzzer).
#pragma once

#include <cstdint>

namespace stream {
struct TextIn;
struct TextOut;
} // namespace stream

// ---- streams, owned by main ------------------------------------------------
extern stream::TextIn *fp;   // input: the exchange file "JWC_TEMP.TXT"
extern stream::TextOut *fpw; // output: the work file "JWC_TEMP.$$$"

// ---- settings, changed only by switches ------------------------------------
extern int isTest;   // trace level 0..6; non-zero keeps the result out of the exchange file
extern int iMode3;   // pen digit chooser: 0..9 from /k, 20 while no /k was given
extern int iMode;    // /m value, shown in trace lines only
extern int iMode2;   // /l value, shown in trace lines only
extern double ANGLE; // /p value, shown in trace lines only
constexpr int ChS001_size = 128;
extern char ChS001[ChS001_size]; // first word of /s, at most 127 bytes, shown in trace lines only

// ---- current settings: the last value read of each -------------------------
extern int GROUP; // layer group from "lg" (hexadecimal)
extern int LAYER; // layer from "ly" (hexadecimal)
extern int TYPE;  // line type from "lt"
extern int COLOR; // line colour from "lc"
extern int TENS;  // point pen from "pn" (hexadecimal)
extern int MOJIS; // text type from "cn": 0 for a free size
extern int MOJIK; // value of the last "cc" record

// ---- start attributes: the first value of each setting, 20 = not yet seen --
struct DrawingAttributes {
    int COLORi;    // first "lc"
    int TYPEi;     // first "lt"
    int LAYERi;    // first "ly"
    int GROUPi;    // first "lg"
    int TENSi;     // first "pn"
    int MOJISi;    // text type of the first "cn" (0 for a free size)
    double MOJIWi; // free-size width when the first "cn" was "cn0"; -20 keeps it out of the block
    double MOJIHi; // free-size height, as MOJIWi
    double MOJIDi; // free-size spacing, as MOJIWi
    int MOJICi;    // free-size colour, as MOJIWi
    int MOJIKi;    // first "cc"; kept, never written back
};
constexpr int not_yet_seen = 20;
extern DrawingAttributes startAttr; // the start attributes of this run

// ---- text-type tables: entry 0 is the last "cn0", 1..10 the header tables --
constexpr int MOJI_entries = 11;
extern double MOJI_W[MOJI_entries]; // widths
extern double MOJI_H[MOJI_entries]; // heights
extern double MOJI_D[MOJI_entries]; // spacings
extern int MOJI_C[MOJI_entries];    // colours

// ---- fields of the current text record -------------------------------------
constexpr int ChSTR0_size = 261;        // 260 text bytes and a terminator
constexpr int ChSTR_size = 232;         // 231 cut bytes and a terminator
extern char MOJI_head[3];               // the record's first two bytes: its head
extern double ChX, ChY, ChDX, ChDY;     // the record's four numbers, in line order
extern char ChSTR0[ChSTR0_size];        // text after the opening quote, newline included
extern unsigned char ChSTR[ChSTR_size]; // the text cut at its line end and at 231 bytes

// ---- hand points ------------------------------------------------------------
constexpr int HPmax = 3;
extern int iPOINT;              // index scanned from the last hand-point record
extern double PX[HPmax + 1];    // x of each hand point slot
extern double PY[HPmax + 1];    // y of each hand point slot
extern double HPOINTx, HPOINTy; // point of the last "ln"/"ch" form hand-point record
extern int iPOINTcnt;           // hand-point records of the scanned forms

// ---- phase marker: 1 after "hq", 2 after an ln/ch hand point, 3 after a line
extern int stepcnt;

// ---- state of the last geometry record of each kind --------------------------
extern double ILINEx1, ILINEy1, ILINEx2, ILINEy2; // last line element's ends
extern int iLine_cnt;                             // line elements whose ends differ
extern double CX, CY, CR, SK, EK, HP, JK;         // last circle or arc
extern int iCi_cnt;                               // circles and arcs read
constexpr int K_slots = 2;
extern double KX[K_slots], KY[K_slots]; // slot 1: the last point
constexpr int G_SCALE_entries = 16;
extern double G_SCALE[G_SCALE_entries]; // header scales, 1.0 until "hs"
extern int ZOKU;                        // value of the last "z" record
extern int isZUSUN;                     // 1 once a "bz" record was read
extern int iPL;                         // 1 while a poly-line mark is open
extern int iPLcounter, iKtensu, iPLcnt; // poly-line counters
extern double KYleng;                   // poly-line length

// Puts every variable above back to its start value; the streams become null.
void reset_state();
