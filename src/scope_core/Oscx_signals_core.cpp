// The signal catalogues of both drive families and what is computed from them.
#include "scope_core/Oscx_signals_core.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "drivedata/Globvar.h"
#include "drivedata/Record.h"

ScopeSignal ScopeCatalogueOrvel[SCOPE_CATALOGUE_ROWS];
uint16_t ScopeCatalogueOrvelCount = 0;
ScopeSignal ScopeCataloguePelsan[SCOPE_CATALOGUE_ROWS];
uint16_t ScopeCataloguePelsanCount = 0;

namespace {

struct StoredSignal {
    uint16_t group;
    const char* names[3];
    const char* unit;
    const char* linear_unit;
    uint32_t num;
    uint32_t den;
    uint32_t current;
    int32_t max;
    int32_t min;
    int32_t default_max;
    int32_t default_min;
    uint32_t decimals;
};

// The first family's rows; the drive code of each is its position.
const StoredSignal STORED[SCOPE_CATALOGUE_ROWS] = {
    {0, {"Segnale Null", "Signal Null", "Signal Nul"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},  // 0
    {0, {"Velocità Rif.", "Speed Ref.", "Vitesse Rep."}, "rpm", "mm/s", 1, 1, 0, INT32_MAX, INT32_MIN, 4000, -4000, 0},  // 1
    {0, {"Velocità Mis.", "Meas. Speed.", "Vitesse Mes."}, "rpm", "mm/s", 600000, 65536, 0, INT32_MAX, INT32_MIN, 4000, -4000, 0},  // 2
    {0, {"Corrente Rif.", "Current Ref.", "Courant Rep."}, "A", "A", 1, 1, 1, 10000, -10000, 1000, -1000, 2},  // 3
    {0, {"Corrente Mis.", "Meas. Current", "Courant Mes."}, "A", "A", 1, 1, 1, 10000, -10000, 1000, -1000, 2},  // 4
    {0, {"Tensione Mis.", "Meas. Voltage", "Tension Mes."}, "V", "V", 1, 1, 0, 1200, -100, 100, 0, 0},  // 5
    {0, {"Posizione Rif.", "Position Rif.", "Position Rep"}, "Counts", "mm", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},  // 6
    {0, {"Posizione Mis.", "Meas. Position", "Position Mes."}, "Counts", "mm", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},  // 7
    {0, {"Modulo Cam.", "Cam Module", "Cam Module"}, "Counts", "mm", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},  // 8
    {0, {"Errore Posizione", "Position Error", "Erreur Position"}, "Counts", "mm", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},  // 9
    {0, {"Limite coppia", "Torque limit", "Limite couple"}, "%", "%", 1, 10, 0, 10000, -10000, 3500, -3500, 1},  // 10
    {0, {"Temp. Radiat.", "Radiator temp.", "Temp. radiateur"}, "°", "°", 1, 10, 0, 2000, -2000, 1500, -200, 1},  // 11
    {0, {"I2t Motore", "I2t Motor", "I2t Moteur"}, "°", "°", 1, 1, 0, 200, 0, 150, 0, 0},  // 12
    {0, {"I2t Drive", "I2t Drive", "I2t Variateur"}, "°", "°", 1, 1, 0, 200, 0, 150, 0, 0},  // 13
    {1, {"Input: 0", "Input: 0", "Entrée: 0"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 14
    {1, {"Input: 1", "Input: 1", "Entrée: 1"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 15
    {1, {"Input: 2", "Input: 2", "Entrée: 2"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 16
    {1, {"Input: 3", "Input: 3", "Entrée: 3"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 17
    {1, {"Input: 4", "Input: 4", "Entrée: 4"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 18
    {1, {"Input: 5", "Input: 5", "Entrée: 5"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 19
    {1, {"Output: 0", "Output: 0", "Sortie: 0"}, "---", "---", 1, 1, 0, 20, -10, 12, -2, 1},  // 20
    {1, {"Output: 1", "Output: 1", "Sortie: 1"}, "---", "---", 1, 1, 0, 20, -10, 12, -2, 1},  // 21
    {4, {"Output: 2", "Output: 2", "Sortie: 2"}, "---", "---", 1, 1, 0, 20, -10, 12, -2, 1},  // 22
    {2, {"6040h-Ctrl.Word-B0", "6040h-Ctrl.Word-B0", "6040h-Ctrl.Word-B0"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 23
    {2, {"6040h-Ctrl.Word-B1", "6040h-Ctrl.Word-B1", "6040h-Ctrl.Word-B1"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 24
    {2, {"6040h-Ctrl.Word-B2", "6040h-Ctrl.Word-B2", "6040h-Ctrl.Word-B2"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 25
    {2, {"6040h-Ctrl.Word-B3", "6040h-Ctrl.Word-B3", "6040h-Ctrl.Word-B3"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 26
    {2, {"6040h-Ctrl.Word-B4", "6040h-Ctrl.Word-B4", "6040h-Ctrl.Word-B4"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 27
    {2, {"6040h-Ctrl.Word-B5", "6040h-Ctrl.Word-B5", "6040h-Ctrl.Word-B5"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 28
    {2, {"6040h-Ctrl.Word-B6", "6040h-Ctrl.Word-B6", "6040h-Ctrl.Word-B6"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 29
    {2, {"6040h-Ctrl.Word-B7", "6040h-Ctrl.Word-B7", "6040h-Ctrl.Word-B7"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 30
    {2, {"6040h-Ctrl.Word-B8", "6040h-Ctrl.Word-B8", "6040h-Ctrl.Word-B8"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 31
    {2, {"6040h-Ctrl.Word-B9", "6040h-Ctrl.Word-B9", "6040h-Ctrl.Word-B9"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 32
    {2, {"6040h-Ctrl.Word-B10", "6040h-Ctrl.Word-B10", "6040h-Ctrl.Word-B10"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 33
    {2, {"6040h-Ctrl.Word-B11", "6040h-Ctrl.Word-B11", "6040h-Ctrl.Word-B11"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 34
    {2, {"6040h-Ctrl.Word-B12", "6040h-Ctrl.Word-B12", "6040h-Ctrl.Word-B12"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 35
    {2, {"6040h-Ctrl.Word-B13", "6040h-Ctrl.Word-B13", "6040h-Ctrl.Word-B13"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 36
    {2, {"6040h-Ctrl.Word-B14", "6040h-Ctrl.Word-B14", "6040h-Ctrl.Word-B14"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 37
    {2, {"6040h-Ctrl.Word-B15", "6040h-Ctrl.Word-B15", "6040h-Ctrl.Word-B15"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 38
    {2, {"6041h-St.Word-B0", "6041h-St.Word-B0", "6041h-St.Word-B0"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 39
    {2, {"6041h-St.Word-B1", "6041h-St.Word-B1", "6041h-St.Word-B1"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 40
    {2, {"6041h-St.Word-B2", "6041h-St.Word-B2", "6041h-St.Word-B2"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 41
    {2, {"6041h-St.Word-B3", "6041h-St.Word-B3", "6041h-St.Word-B3"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 42
    {2, {"6041h-St.Word-B4", "6041h-St.Word-B4", "6041h-St.Word-B4"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 43
    {2, {"6041h-St.Word-B5", "6041h-St.Word-B5", "6041h-St.Word-B5"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 44
    {2, {"6041h-St.Word-B6", "6041h-St.Word-B6", "6041h-St.Word-B6"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 45
    {2, {"6041h-St.Word-B7", "6041h-St.Word-B7", "6041h-St.Word-B7"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 46
    {2, {"6041h-St.Word-B8", "6041h-St.Word-B8", "6041h-St.Word-B8"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 47
    {2, {"6041h-St.Word-B9", "6041h-St.Word-B9", "6041h-St.Word-B9"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 48
    {2, {"6041h-St.Word-B10", "6041h-St.Word-B10", "6041h-St.Word-B10"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 49
    {2, {"6041h-St.Word-B11", "6041h-St.Word-B11", "6041h-St.Word-B11"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 50
    {2, {"6041h-St.Word-B12", "6041h-St.Word-B12", "6041h-St.Word-B12"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 51
    {2, {"6041h-St.Word-B13", "6041h-St.Word-B13", "6041h-St.Word-B13"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 52
    {2, {"6041h-St.Word-B14", "6041h-St.Word-B14", "6041h-St.Word-B14"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 53
    {2, {"6041h-St.Word-B15", "6041h-St.Word-B15", "6041h-St.Word-B15"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 54
    {2, {"6042h-Target Vel", "6042h-Target Vel", "6042h-Target Vel"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},  // 55
    {2, {"6060h-Modes operat.", "6060h-Modes operat.", "6060h-Modes operat."}, "---", "---", 1, 1, 0, 32767, -32768, 10, -5, 0},  // 56
    {2, {"6071h-Target torque", "6071h-Target torque", "6071h-Target torque"}, "---", "---", 1, 1, 0, 32767, -32768, 2000, -2000, 0},  // 57
    {2, {"607Ah-Target Pos", "607Ah-Target Pos", "607Ah-Target Pos"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},  // 58
    {2, {"6081h-Prof.Vel", "6081h-Prof.Vel", "6081h-Prof.Vel"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 10000, -10000, 0},  // 59
    {2, {"60C1h,1-Interp. Pos", "60C1h,1-Interp. Pos.", "60C1h,1-Interp. Pos."}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},  // 60
    {2, {"60FFh-Target Vel", "60FFh-Target Vel", "60FFh-Target Vel"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 10000, -10000, 0},  // 61
    {2, {"2200h-Rapp. Num", "2200h-Ratio Num", "2200h-Ratio Num"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 32767, -32768, 0},  // 62
    {2, {"2201h-Rapp. Den", "2201h-Ratio Den", "2201h-Ratio Den"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 32767, -32768, 0},  // 63
    {2, {"220Eh-Enc. master", "220Eh-Enc. master", "220Eh-Enc. master"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},  // 64
    {3, {"0300h-Ctrl.Word-B0", "0300h-Ctrl.Word-B0", "0300h-Ctrl.Word-B0"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 65
    {3, {"0300h-Ctrl.Word-B1", "0300h-Ctrl.Word-B1", "0300h-Ctrl.Word-B1"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 66
    {3, {"0300h-Ctrl.Word-B2", "0300h-Ctrl.Word-B2", "0300h-Ctrl.Word-B2"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 67
    {3, {"0300h-Ctrl.Word-B3", "0300h-Ctrl.Word-B3", "0300h-Ctrl.Word-B3"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 68
    {3, {"0300h-Ctrl.Word-B4", "0300h-Ctrl.Word-B4", "0300h-Ctrl.Word-B4"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 69
    {3, {"0300h-Ctrl.Word-B5", "0300h-Ctrl.Word-B5", "0300h-Ctrl.Word-B5"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 70
    {3, {"0300h-Ctrl.Word-B6", "0300h-Ctrl.Word-B6", "0300h-Ctrl.Word-B6"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 71
    {3, {"0300h-Ctrl.Word-B7", "0300h-Ctrl.Word-B7", "0300h-Ctrl.Word-B7"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 72
    {3, {"0300h-Ctrl.Word-B8", "0300h-Ctrl.Word-B8", "0300h-Ctrl.Word-B8"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 73
    {3, {"0300h-Ctrl.Word-B9", "0300h-Ctrl.Word-B9", "0300h-Ctrl.Word-B9"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 74
    {3, {"0300h-Ctrl.Word-B10", "0300h-Ctrl.Word-B10", "0300h-Ctrl.Word-B10"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 75
    {3, {"0300h-Ctrl.Word-B11", "0300h-Ctrl.Word-B11", "0300h-Ctrl.Word-B11"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 76
    {3, {"0300h-Ctrl.Word-B12", "0300h-Ctrl.Word-B12", "0300h-Ctrl.Word-B12"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 77
    {3, {"0300h-Ctrl.Word-B13", "0300h-Ctrl.Word-B13", "0300h-Ctrl.Word-B13"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 78
    {3, {"0300h-Ctrl.Word-B14", "0300h-Ctrl.Word-B14", "0300h-Ctrl.Word-B14"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 79
    {3, {"0300h-Ctrl.Word-B15", "0300h-Ctrl.Word-B15", "0300h-Ctrl.Word-B15"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 80
    {3, {"0301h-St.Word-B0", "0301h-St.Word-B0", "0301h-St.Word-B0"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 81
    {3, {"0301h-St.Word-B1", "0301h-St.Word-B1", "0301h-St.Word-B1"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 82
    {3, {"0301h-St.Word-B2", "0301h-St.Word-B2", "0301h-St.Word-B2"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 83
    {3, {"0301h-St.Word-B3", "0301h-St.Word-B3", "0301h-St.Word-B3"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 84
    {3, {"0301h-St.Word-B4", "0301h-St.Word-B4", "0301h-St.Word-B4"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 85
    {3, {"0301h-St.Word-B5", "0301h-St.Word-B5", "0301h-St.Word-B5"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 86
    {3, {"0301h-St.Word-B6", "0301h-St.Word-B6", "0301h-St.Word-B6"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 87
    {3, {"0301h-St.Word-B7", "0301h-St.Word-B7", "0301h-St.Word-B7"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 88
    {3, {"0301h-St.Word-B8", "0301h-St.Word-B8", "0301h-St.Word-B8"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 89
    {3, {"0301h-St.Word-B9", "0301h-St.Word-B9", "0301h-St.Word-B9"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 90
    {3, {"0301h-St.Word-B10", "0301h-St.Word-B10", "0301h-St.Word-B10"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 91
    {3, {"0301h-St.Word-B11", "0301h-St.Word-B11", "0301h-St.Word-B11"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 92
    {3, {"0301h-St.Word-B12", "0301h-St.Word-B12", "0301h-St.Word-B12"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 93
    {3, {"0301h-St.Word-B13", "0301h-St.Word-B13", "0301h-St.Word-B13"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 94
    {3, {"0301h-St.Word-B14", "0301h-St.Word-B14", "0301h-St.Word-B14"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 95
    {3, {"0301h-St.Word-B15", "0301h-St.Word-B15", "0301h-St.Word-B15"}, "---", "---", 1, 1, 0, 100, -100, 12, -2, 1},  // 96
    {3, {"Input-Analog 1", "Input-Analog 1", "Entrée-analog. 1"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 35000, -35000, 0},  // 97
    {3, {"Input-Analog 2", "Input-Analog 2", "Entrée-analog. 2"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 35000, -35000, 0},  // 98
    {3, {"Input-Encod-vel", "Input-Encod-vel", "Entrée-Enc.vitesse"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 35000, -35000, 0},  // 99
    {3, {"0506h-Vel.in.princ", "0506h-Vel.in main", "0506h-Vit.in.princ"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 35000, -35000, 0},  // 100
    {3, {"050Ah-Vel.in.aux", "050Ah-Vel.in aux", "050Ah-Vit.in.aux"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 35000, -35000, 0},  // 101
    {3, {"0601h-Posizione Rif", "0601h-Position Rif", "0601h-Position Rep"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},  // 102
    {3, {"060Fh-Pos-Velocità", "060Fh-Pos-Velocity", "060Fh-Pos-Vitesse"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 10000, -10000, 0},  // 103
    {3, {"0701h-Rapp. Num", "0701h-Ratio Num", "0701h-Ratio Num"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 32767, -32768, 0},  // 104
    {3, {"0702h-Rapp. Den", "0702h-Ratio Den", "0702h-Ratio Den"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 32767, -32768, 0},  // 105
    {3, {"0716h-Enc. master", "0716h-Enc. master", "0716h-Enc. master"}, "---", "---", 1, 1, 0, INT32_MAX, INT32_MIN, 1000000, -1000000, 0},  // 106
    {3, {"0803h-Coppia inter.", "0803h-Torque inside", "0803h-Couple Int."}, "%", "%", 1, 10, 0, 10000, -10000, 3500, -3500, 1},  // 107
};

// The second family's rows where they differ from the first family's.
struct FamilyRow {
    uint16_t row;
    uint16_t group;
    int32_t max;
    int32_t min;
    int32_t default_max;
};
const FamilyRow PELSAN_ROWS[] = {
    {1, 0, 35000, -35000, 4000},
    {2, 0, 35000, -35000, 4000},
    {5, 0, 1200, -100, 400},
    {22, 1, 20, -10, 12},
};

const char* const GROUP_NAMES[][3] = {
    {"Comune", "Common", "Commun"},
    {"In Out", "In Out", "In Out"},
    {"CanOpen", "CanOpen", "CanOpen"},
    {"ModBus", "ModBus", "ModBus"},
};
constexpr uint16_t GROUP_COUNT = 4;

void copy_text(char (&dst)[10], const char* src)
{
    std::memset(dst, 0, sizeof dst);
    std::strncpy(dst, src, sizeof dst - 1);
}

void restore(ScopeSignal* c)
{
    for (uint16_t i = 0; i < SCOPE_CATALOGUE_ROWS; ++i) {
        const StoredSignal& r = STORED[i];
        ScopeSignal& s = c[i];
        s.code = i;
        s.group = r.group;
        s.group_names = GROUP_NAMES[std::min<uint16_t>(r.group, GROUP_COUNT - 1)];
        s.names = r.names;
        copy_text(s.unit, r.unit);
        copy_text(s.linear_unit, r.linear_unit);
        s.current = r.current;
        s.max = r.max;
        s.min = r.min;
        s.default_max = r.default_max;
        s.default_min = r.default_min;
        s.decimals = r.decimals;
        Scope_signal_set_ratio(s, r.num, r.den);
    }
}

[[maybe_unused]] const bool restored_at_start = (Oscx_signals_restore(), true);

}  // namespace

void Oscx_signals_restore()
{
    restore(ScopeCatalogueOrvel);
    restore(ScopeCataloguePelsan);
    for (const FamilyRow& f : PELSAN_ROWS) {
        ScopeSignal& s = ScopeCataloguePelsan[f.row];
        s.group = f.group;
        s.group_names = GROUP_NAMES[f.group];
        s.max = f.max;
        s.min = f.min;
        s.default_max = f.default_max;
    }
    ScopeCatalogueOrvelCount = SCOPE_CATALOGUE_ROWS;
    ScopeCataloguePelsanCount = SCOPE_CATALOGUE_ROWS;
}

void Oscx_set_sort_signals(ScopeSignal* catalogue, uint16_t* count)
{
    ScopeSignal sorted[SCOPE_CATALOGUE_ROWS];
    const uint16_t n = std::min(*count, SCOPE_CATALOGUE_ROWS);
    uint16_t kept = 0;
    for (uint16_t group = 0; group < GROUP_COUNT; ++group) {
        for (uint16_t i = 0; i < n; ++i) {
            if (catalogue[i].group == group)
                sorted[kept++] = catalogue[i];
        }
    }
    std::copy(sorted, sorted + kept, catalogue);
    *count = kept;
}
