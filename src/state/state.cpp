#include "state/state.hpp"

#include <algorithm>
#include <iterator>

// Start values live in reset_state() alone; main calls it before anything else.
stream::TextIn *fp;
stream::TextOut *fpw;

int isTest;
int iMode3;
int iMode;
int iMode2;
double ANGLE;
char ChS001[ChS001_size];

int GROUP, LAYER, TYPE, COLOR, TENS, MOJIS, MOJIK;
DrawingAttributes startAttr;

double MOJI_W[MOJI_entries], MOJI_H[MOJI_entries], MOJI_D[MOJI_entries];
int MOJI_C[MOJI_entries];

char MOJI_head[3];
double ChX, ChY, ChDX, ChDY;
char ChSTR0[ChSTR0_size];
unsigned char ChSTR[ChSTR_size];

int iPOINT;
double PX[HPmax + 1], PY[HPmax + 1];
double HPOINTx, HPOINTy;
int iPOINTcnt;

int stepcnt;

double ILINEx1, ILINEy1, ILINEx2, ILINEy2;
int iLine_cnt;
double CX, CY, CR, SK, EK, HP, JK;
int iCi_cnt;
double KX[K_slots], KY[K_slots];
double G_SCALE[G_SCALE_entries];
int ZOKU, isZUSUN, iPL, iPLcounter, iKtensu, iPLcnt;
double KYleng;

static void reset_settings() {
    isTest = 0;
    iMode3 = 20;
    iMode = 1;
    iMode2 = 20;
    ANGLE = 10.0;
    std::fill(std::begin(ChS001), std::end(ChS001), '\0');
}

static void reset_current_settings() {
    GROUP = 0;
    LAYER = 0;
    TYPE = 1;
    COLOR = 1;
    TENS = 1;
    MOJIS = 1;
    MOJIK = 0;
    startAttr = DrawingAttributes{not_yet_seen, not_yet_seen, not_yet_seen, not_yet_seen,
                                  not_yet_seen, not_yet_seen, -20.0,        20.0,
                                  20.0,         not_yet_seen, not_yet_seen};
    std::fill(std::begin(MOJI_W), std::end(MOJI_W), 0.0);
    std::fill(std::begin(MOJI_H), std::end(MOJI_H), 0.0);
    std::fill(std::begin(MOJI_D), std::end(MOJI_D), 0.0);
    std::fill(std::begin(MOJI_C), std::end(MOJI_C), 0);
}

static void reset_record_state() {
    MOJI_head[0] = 'c';
    MOJI_head[1] = 'h';
    MOJI_head[2] = '\0';
    ChX = ChY = ChDX = ChDY = 0.0;
    std::fill(std::begin(ChSTR0), std::end(ChSTR0), '\0');
    std::fill(std::begin(ChSTR), std::end(ChSTR), 0);
    iPOINT = 0;
    std::fill(std::begin(PX), std::end(PX), 0.0);
    std::fill(std::begin(PY), std::end(PY), 0.0);
    HPOINTx = HPOINTy = 0.0;
    iPOINTcnt = 0;
    stepcnt = 0;
    ILINEx1 = ILINEy1 = ILINEx2 = ILINEy2 = 0.0;
    iLine_cnt = 0;
    CX = CY = CR = SK = EK = HP = JK = 0.0;
    iCi_cnt = 0;
    std::fill(std::begin(KX), std::end(KX), 0.0);
    std::fill(std::begin(KY), std::end(KY), 0.0);
    std::fill(std::begin(G_SCALE), std::end(G_SCALE), 1.0);
    ZOKU = isZUSUN = iPL = iPLcounter = iKtensu = iPLcnt = 0;
    KYleng = 0.0;
}

void reset_state() {
    fp = nullptr;
    fpw = nullptr;
    reset_settings();
    reset_current_settings();
    reset_record_state();
}
