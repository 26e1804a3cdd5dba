// Function tables of the input and output LED images.
#include "shell/Main_display.h"

namespace {

constexpr uint32_t ORANGE = 0x4080FF;
constexpr uint32_t YELLOW = 0x00FFFF;
constexpr uint32_t GREEN = 0x00FF00;
constexpr uint32_t RED = 0x0000FF;
constexpr uint32_t GREY = 0x808080;

// ---- input functions ----
struct Texts {
    const char* t[3];
};
constexpr Texts A{{"Power On/Off", "Power On/Off", "Power On/Off"}};
constexpr Texts B{{"Abilita Riferimento", "Enable Reference", "Activer Référence"}};
constexpr Texts C{{"Fine Corsa CW", "Limit Switch CW", "Fin Course CW"}};
constexpr Texts D{{"Fine Corsa CCW", "Limit Switch CCW", "Fin Course CCW"}};
constexpr Texts E{{"Inverte Rif.", "Reverse Ref.", "Inverser Réf."}};
constexpr Texts F{{"Reset Allarmi", "Reset Alarm", "Réinitialis. Alarmes"}};
constexpr Texts G{{"Non Usato", "Not Used", "Pas Utilisé"}};
constexpr Texts H{{"Misura posizione", "Measuring position", "Position de mesure"}};
constexpr Texts J{{"Posizione - Input 1", "Position - Input 1", "Position - Entrée 1"}};
constexpr Texts K{{"Fine Corsa Home", "Limit Switch Home", "Switch Pos.Init."}};

constexpr LedRow row(const Texts& x, bool enabled, uint32_t on)
{
    return {{x.t[0], x.t[1], x.t[2]}, static_cast<uint8_t>(enabled ? 1 : 0), on, GREY};
}

// Row 0 on colour: orange in the I/O and Modbus sets, green in the others; row 1: yellow in the I/O
// sets and Modbus sub-types 0 to 2, green in the others; rows 2 to 5 green. Lower case = disabled.
constexpr LedRow IoSet[3][6] = {
    {row(A, true, ORANGE), row(B, true, YELLOW), row(C, true, GREEN), row(D, true, GREEN), row(E, true, GREEN),
     row(F, true, GREEN)},
    {row(A, true, ORANGE), row(B, true, YELLOW), row(G, false, GREEN), row(G, false, GREEN), row(G, false, GREEN),
     row(F, true, GREEN)},
    {row(A, true, ORANGE), row(B, true, YELLOW), row(C, true, GREEN), row(D, true, GREEN), row(G, false, GREEN),
     row(F, true, GREEN)},
};
constexpr LedRow ModbusSet[4][6] = {
    {row(G, false, ORANGE), row(G, false, YELLOW), row(C, true, GREEN), row(D, true, GREEN), row(G, false, GREEN),
     row(H, true, GREEN)},
    {row(G, false, ORANGE), row(G, false, YELLOW), row(G, false, GREEN), row(G, false, GREEN), row(G, false, GREEN),
     row(H, true, GREEN)},
    {row(G, false, ORANGE), row(G, false, YELLOW), row(C, true, GREEN), row(D, true, GREEN), row(G, false, GREEN),
     row(H, true, GREEN)},
    {row(G, false, ORANGE), row(J, true, GREEN), row(C, true, GREEN), row(D, true, GREEN), row(K, true, GREEN),
     row(H, true, GREEN)},
};
constexpr LedRow CanopenSet[6] = {row(G, false, GREEN), row(J, true, GREEN), row(C, true, GREEN),
                                  row(D, true, GREEN),  row(K, true, GREEN), row(H, true, GREEN)};
constexpr LedRow OtherSet[6] = {row(G, false, GREEN), row(G, true, GREEN), row(C, true, GREEN),
                                row(D, true, GREEN),  row(K, true, GREEN), row(G, false, GREEN)};

// ---- output functions ----
constexpr Texts DriveOk{{"Drive OK", "Drive OK", "Variateur OK"}};
constexpr Texts PosFreq{{"Pos-Freq out", "Pos-Freq out", "Pos-Fréq sur"}};
constexpr Texts TorqueLim{{"Lim. coppia", "Torque lim.", "Lim. couple"}};
constexpr Texts I2tAlarm{{"Allarme I2t", "I2t Alarm", "Alarme I2t"}};
constexpr Texts Speed0{{"Velocità 0", "Speed 0", "Vitesse 0"}};
constexpr Texts PosReached{{"Pos ragg.", "Pos. reached", "Pos atteinte"}};
constexpr Texts Brake{{"Freno mot", "Mot brake", "Frein moteur"}};
constexpr Texts SpeedFreq{{"Vel-Freq out", "Speed-Freq out", "Vites-Fréq sur"}};
constexpr Texts SecureDisable{{"Secure Disable", "Secure Disable", "Secure Désact."}};
constexpr Texts Reserved{{"Riservato", "Reserved", "Réservée"}};

constexpr LedRow SetOut0Rows[] = {row(DriveOk, true, GREEN), row(PosFreq, true, GREEN)};
constexpr LedRow SetOut1FirstRows[] = {row(TorqueLim, true, RED), row(I2tAlarm, true, RED),
                                       row(Speed0, true, GREEN),   row(PosReached, true, GREEN),
                                       row(Brake, true, GREEN),    row(SpeedFreq, true, GREEN)};
constexpr LedRow SetOut1SecondRows[] = {row(TorqueLim, true, RED), row(I2tAlarm, true, RED),
                                        row(Speed0, true, GREEN),   row(PosReached, true, GREEN),
                                        row(Brake, true, GREEN),    row(SpeedFreq, true, GREEN),
                                        row(SecureDisable, true, RED)};
constexpr LedRow SetOut2SecondRows[] = {row(TorqueLim, true, RED), row(I2tAlarm, true, RED),
                                        row(Speed0, true, GREEN),   row(PosReached, true, GREEN),
                                        row(Brake, true, GREEN),    row(Reserved, false, GREEN),
                                        row(SecureDisable, true, RED)};

template <std::size_t N>
constexpr LedRowTable table(const LedRow (&rows)[N])
{
    return {rows, static_cast<uint16_t>(N)};
}
constexpr LedRowTable SetOut0 = table(SetOut0Rows);
constexpr LedRowTable SetOut1First = table(SetOut1FirstRows);
constexpr LedRowTable SetOut1Second = table(SetOut1SecondRows);
constexpr LedRowTable SetOut2Second = table(SetOut2SecondRows);

}  // namespace

const LedRow* Led_input_set(uint16_t bus_type, uint16_t sub_type)
{
    switch (bus_type) {
    case 0: return sub_type < 3 ? IoSet[sub_type] : nullptr;
    case 1: return sub_type < 4 ? ModbusSet[sub_type] : nullptr;
    case 2: return CanopenSet;
    default: return OtherSet;
    }
}

LedOutputSource Led_output_source(bool second_family, uint16_t r)
{
    switch (r) {
    case 0: return {&SetOut0, LedOfs::SetOut0};
    case 1: return {second_family ? &SetOut1Second : &SetOut1First, LedOfs::SetOut1};
    case 2: return {second_family ? &SetOut2Second : nullptr, LedOfs::SetOut2};
    default: return {nullptr, 0};
    }
}
