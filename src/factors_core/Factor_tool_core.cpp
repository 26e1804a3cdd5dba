// Unit-factor model on one application record and one drive record.
#include "factors_core/Factor_tool_core.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

FactorResultsRec Factor_tool_results{};

namespace {

constexpr double PI = 3.141592653589793;
constexpr double PAIR_BOUND = 2147483647.0;  // 2^31 - 1
constexpr double SHIFT_LIMIT = 2147483648.0;  // 2^31
constexpr long double COUNTS_PER_UNIT = 65536000.0L;  // 65,536 counts x 1000 thousandths
constexpr long double COUNTS_PER_REV = 65536.0L;
constexpr uint8_t PRIMES[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43, 47, 53, 59, 61, 67, 71, 73, 79, 83, 89, 97};
static_assert(std::size(PRIMES) == 25);

constexpr uint32_t DefaultLengths[7] = {1000, 1000, 1000, 1000, 2000, 1000, 1000};
// Gear ratio motor/load, teeth (type 3), N1, N2, label amount, label revolutions.
constexpr uint16_t DefaultWords[7] = {1, 1, 10, 10, 20, 1, 1};
// Position, velocity, acceleration; linear-motor position, velocity, acceleration;
// application type; linear length unit; rotary position, velocity, acceleration units.
constexpr uint8_t DefaultSelections[11] = {2, 11, 11, 2, 2, 2, 0, 0, 0, 8, 8};
constexpr char DefaultLabel[FactorOfs::LabelSize] = "label";

// Rotary unit pairs: K / C is 65,536 counts per revolution expressed per unit.
struct RotaryConst {
    double k;
    double c;
};
constexpr RotaryConst ROTARY[FACTOR_ROTARY_UNITS] = {
    {32768, PI},        {16384, 15.707963267948966}, {8192, 78.53981633974483}, {4096, 392.6990816987241},
    {8192, 45},         {4096, 225},                 {2048, 1125},              {1024, 5625},
    {16384, 15},        {8192, 75},                  {4096, 375},               {2048, 1875},
    {65536, 1},         {32768, 5},                  {16384, 25},               {8192, 125},
};

struct FixedPair {
    double num;
    double den;
};
// Unit selections 3..10 of bytes 42..44.
constexpr uint8_t ANGLE_FIRST = 3;
constexpr FixedPair ANGLE[8] = {
    {2147483648.0, 205887.41614566068}, {1073741824.0, 1029437.0807283034}, {536870912.0, 5147185.403641517},
    {268435456.0, 25735927.018207584},  {8192, 45},                         {4096, 225},
    {2048, 1125},                       {1024, 5625},
};
// Unit selections 11..18.
constexpr uint8_t SPEED_FIRST = 11;
constexpr FixedPair SPEED[8] = {{16384, 15}, {8192, 75}, {4096, 375}, {2048, 1875},
                                {65536, 1},  {32768, 5}, {16384, 25}, {8192, 125}};

// Linear-motor units 2..7: numerator over the pole pitch times a factor.
struct LinearMotorUnit {
    long double num;
    long double pitch_factor;
};
constexpr LinearMotorUnit LINEAR_MOTOR[6] = {{65536000, 1}, {6553600, 1}, {655360, 1},
                                             {65536, 1},    {65536, 10}, {65536, 100}};

uint8_t byte_at(const FactorApplicationRec& rec, std::size_t ofs) { return rec.b[ofs]; }
uint16_t word_at(const FactorApplicationRec& rec, std::size_t ofs) { return Rec_get<uint16_t>(rec.b, ofs); }
uint32_t long_at(const FactorApplicationRec& rec, std::size_t ofs) { return Rec_get<uint32_t>(rec.b, ofs); }

void store(double* num, double* den, long double n, long double d)
{
    *num = static_cast<double>(n);
    *den = static_cast<double>(d);
}

// Scales the built pair in place.
void scale(double* num, double* den)
{
    const double n = *num;
    const double d = *den;
    Factor_tool_scale_pair(num, den, n, d);
}

bool member_ok(double x) { return std::isfinite(x) && x >= 1.0; }

// Custom label pair: 65,536 x revolutions / amount.
void label_pair(const FactorApplicationRec& rec, double* num, double* den)
{
    store(num, den, COUNTS_PER_REV * word_at(rec, FactorOfs::LabelRevs), word_at(rec, FactorOfs::LabelAmount));
}

bool is_whole(double x) { return x == std::floor(x); }

}  // namespace

// clang-format off
const char* const FactorAppTypeText[3][FACTOR_APP_TYPES] = {
    {"0 - Asse disco (misura angolare)", "1 - Asse disco (misura lineare)", "2 - Asse nastro (cinghia piatta)",
     "3 - Asse nastro (cinghia dentata)", "4 - Asse trasmissione (cinghia piatta)",
     "5 - Asse trasmissione (cinghia dentata)", "6 - Asse con vite senza fine", "7 - Asse con motore albero cavo"},
    {"0 - Disk axis (angular measurement)", "1 - Disk axis (linear measurement)",
     "2 - Axis conveyor belt (flat belts)", "3 - Axis conveyor belt (toothed belt)",
     "4 - Transmission axis  (flat belts)", "5 - Transmission axis  (toothed belt)", "6 - Axis with worm",
     "7 - Axis motor with hollow shaft"},
    {"0 - Axe du disque (mesure d'angle)", "1 - Axe du disque (mesure linéaire)",
     "2 - Convoyeur à bande axe (Courroie plate)", "3 - Convoyeur à bande axe (courroie crantée)",
     "4 - Axe de transmission (Courroie plate)", "5 - Axe de transmission (courroie crantée)",
     "6 - Axe avec le ver", "7 - Moteur de l'axe avec arbre creux"},
};

const char* const FactorLinearUnitText[FACTOR_QUANTITIES][FACTOR_LENGTH_UNITS] = {
    {"cm", "mm", "µm", "nm", "inches", "mils"},
    {"cm/s", "mm/s", "µm/s", "nm/s", "inches/s", "mils/s"},
    {"cm/s²", "mm/s²", "µm/s²", "nm/s²", "inches/s²", "mils/s²"},
};

const char* const FactorRotaryUnitText[FACTOR_QUANTITIES][FACTOR_ROTARY_UNITS] = {
    {"Rad", "Rad/10", "Rad/10²", "Rad/10³", "Deg", "Deg/10", "Deg/10²", "Deg/10³"},
    {"Rad/s", "Rad/(10s)", "Rad/(10²s)", "Rad/(10³s)", "Deg/s", "Deg/(10s)", "Deg/(10²s)", "Deg/(10³s)",
     "rpm", "rpm/10", "rpm/10²", "rpm/10³", "rps", "rps/10", "rps/10²", "rps/10³"},
    {"Rad/s²", "Rad/(10s²)", "Rad/(10²s²)", "Rad/(10³s²)", "Deg/s²", "Deg/(10s²)", "Deg/(10²s²)", "Deg/(10³s²)",
     "rpm/s", "rpm/(10s)", "rpm/(10²s)", "rpm/(10³s)", "rps/s", "rps/(10s)", "rps/(10²s)", "rps/(10³s)"},
};
// clang-format on

const char* Factor_tool_rotary_unit_name(uint16_t quantity, uint32_t index)
{
    if (quantity >= FACTOR_QUANTITIES || index >= FACTOR_ROTARY_UNITS)
        return "";
    const char* name = FactorRotaryUnitText[quantity][index];
    return name != nullptr ? name : "";  // position has 8 names only
}

const char* Factor_tool_linear_unit_name(uint16_t quantity, uint32_t index)
{
    if (quantity >= FACTOR_QUANTITIES || index >= FACTOR_LENGTH_UNITS)
        return "";
    return FactorLinearUnitText[quantity][index];
}

// ---- record ----

void Factor_tool_set_defaults(FactorApplicationRec* rec)
{
    if (rec == nullptr)
        return;
    for (std::size_t i = 0; i < std::size(DefaultLengths); ++i)
        Rec_set<uint32_t>(rec->b, FactorOfs::DiskDiameter + 4 * i, DefaultLengths[i]);
    for (std::size_t i = 0; i < std::size(DefaultWords); ++i)
        Rec_set<uint16_t>(rec->b, FactorOfs::GearMotor + 2 * i, DefaultWords[i]);
    std::memcpy(rec->b + FactorOfs::Selection, DefaultSelections, sizeof DefaultSelections);
    std::memcpy(rec->b + FactorOfs::Label, DefaultLabel, sizeof DefaultLabel);
}

std::size_t Factor_tool_label(const FactorApplicationRec& rec, char out[FactorOfs::LabelSize])
{
    std::size_t n = 0;
    while (n + 1 < FactorOfs::LabelSize && rec.b[FactorOfs::Label + n] != 0) {
        out[n] = static_cast<char>(rec.b[FactorOfs::Label + n]);
        ++n;
    }
    out[n] = 0;
    return n;
}

void Factor_tool_set_label(FactorApplicationRec* rec, const char* text, std::size_t length)
{
    if (rec == nullptr)
        return;
    std::memset(rec->b + FactorOfs::Label, 0, FactorOfs::LabelSize);
    if (text != nullptr)
        std::memcpy(rec->b + FactorOfs::Label, text, std::min(length, FactorOfs::LabelSize - 1));
}

// ---- model ----

int16_t Factor_tool_is_rotary(uint16_t type) { return type == 0 || type == 4 || type == 5 ? 1 : 0; }

int16_t Factor_tool_unit_index(const FactorApplicationRec& rec)
{
    return Factor_tool_is_rotary(byte_at(rec, FactorOfs::AppType)) ? byte_at(rec, FactorOfs::RotaryUnit)
                                                                   : byte_at(rec, FactorOfs::LengthUnit);
}

const char* Factor_tool_linear_unit_text(const FactorApplicationRec& rec, uint16_t quantity)
{
    if (quantity >= FACTOR_QUANTITIES)
        return "";
    if (Factor_tool_is_rotary(byte_at(rec, FactorOfs::AppType))) {
        const uint8_t unit = byte_at(rec, FactorOfs::RotaryUnit + quantity);
        return quantity == FactorPosition && unit >= FACTOR_ROTARY_POS_UNITS ? ""
                                                                             : Factor_tool_rotary_unit_name(quantity, unit);
    }
    return Factor_tool_linear_unit_name(quantity, byte_at(rec, FactorOfs::LengthUnit));
}

uint16_t Factor_tool_pair_shift(double a, double b)
{
    const double m = a > b ? a : b;
    if (!member_ok(m) || !std::isfinite(a) || !std::isfinite(b))
        return 0;
    uint16_t s = 0;
    while (std::ldexp(m, s + 1) < SHIFT_LIMIT)
        ++s;
    return s;
}

void Factor_tool_scale_pair(double* num, double* den, double a, double b)
{
    const int s = Factor_tool_pair_shift(a, b);
    *num = std::ldexp(a, s);
    *den = std::ldexp(b, s);
}

uint8_t Factor_tool_reduce_pair(double* num, double* den)
{
    double n = *num;
    double d = *den;
    if (!member_ok(n) || !member_ok(d))
        return 0;
    if (!(n < PAIR_BOUND && d < PAIR_BOUND)) {
        const double q = n / d;
        if (q >= PAIR_BOUND)
            return 0;
        if (n > d)
            Factor_tool_scale_pair(&n, &d, q, 1.0);
        else
            Factor_tool_scale_pair(&n, &d, 1.0, d / n);
        if (n >= PAIR_BOUND || d >= PAIR_BOUND || !member_ok(n) || !member_ok(d))
            return 0;
    }
    n = std::floor(n + 0.5);
    d = std::floor(d + 0.5);
    for (const uint8_t p : PRIMES)
        while (is_whole(n / p) && is_whole(d / p)) {
            n /= p;
            d /= p;
        }
    *num = n;
    *den = d;
    return 1;
}

bool Factor_tool_rotary_pair(const FactorApplicationRec& rec, double* num, double* den, double a, double b,
                             uint16_t quantity)
{
    if (quantity >= FACTOR_QUANTITIES)
        return false;
    const uint8_t u = byte_at(rec, FactorOfs::RotaryUnit + quantity);
    if (u >= FACTOR_ROTARY_UNITS)
        return false;
    store(num, den, static_cast<long double>(ROTARY[u].k) * b * word_at(rec, FactorOfs::GearMotor),
          static_cast<long double>(ROTARY[u].c) * a * word_at(rec, FactorOfs::GearLoad));
    scale(num, den);
    return true;
}

bool Factor_tool_linear_pair(const FactorApplicationRec& rec, double* num, double* den, double length)
{
    store(num, den, COUNTS_PER_UNIT * word_at(rec, FactorOfs::GearMotor),
          static_cast<long double>(word_at(rec, FactorOfs::GearLoad)) * length);
    scale(num, den);
    return true;
}

bool Factor_tool_hollow_shaft_pair(double* num, double* den, double length)
{
    store(num, den, COUNTS_PER_UNIT, length);
    scale(num, den);
    return true;
}

bool Factor_tool_application_pair(const FactorApplicationRec& rec, double* num, double* den, uint16_t quantity)
{
    const auto times_pi = [&rec](std::size_t ofs) {
        return static_cast<double>(static_cast<long double>(long_at(rec, ofs)) * PI);
    };
    switch (byte_at(rec, FactorOfs::AppType)) {
    case 0: return Factor_tool_rotary_pair(rec, num, den, 1, 1, quantity);
    case 1: return Factor_tool_linear_pair(rec, num, den, times_pi(FactorOfs::DiskDiameter));
    case 2: return Factor_tool_linear_pair(rec, num, den, times_pi(FactorOfs::PulleyDiameter));
    case 3: {
        const long double l = static_cast<long double>(word_at(rec, FactorOfs::Teeth)) * long_at(rec, FactorOfs::ToothPitch);
        return Factor_tool_linear_pair(rec, num, den, static_cast<double>(l));
    }
    case 4:
        return Factor_tool_rotary_pair(rec, num, den, long_at(rec, FactorOfs::D1), long_at(rec, FactorOfs::D2), quantity);
    case 5:
        return Factor_tool_rotary_pair(rec, num, den, word_at(rec, FactorOfs::N1), word_at(rec, FactorOfs::N2), quantity);
    case 6: return Factor_tool_linear_pair(rec, num, den, long_at(rec, FactorOfs::ScrewPitch));
    case 7: return Factor_tool_hollow_shaft_pair(num, den, long_at(rec, FactorOfs::HollowPitch));
    default: return false;
    }
}

bool Factor_tool_linear_motor_pair(const FactorApplicationRec& rec, uint8_t unit, double* num, double* den,
                                   const DriveRecord& drive)
{
    const long double pitch = Rec_get<uint32_t>(drive, DRIVE_POLE_PITCH_OFS);
    switch (unit) {
    case 0: store(num, den, 1, 1); break;
    case 1: label_pair(rec, num, den); break;
    default:
        if (unit >= FACTOR_LINEAR_SELECTIONS)
            return false;
        store(num, den, LINEAR_MOTOR[unit - 2].num, pitch * LINEAR_MOTOR[unit - 2].pitch_factor);
        break;
    }
    scale(num, den);
    return true;
}

bool Factor_tool_fixed_pair_angle(uint8_t selection, double* num, double* den)
{
    const unsigned i = selection - ANGLE_FIRST;
    if (selection < ANGLE_FIRST || i >= std::size(ANGLE))
        store(num, den, 1, 1);
    else
        store(num, den, ANGLE[i].num, ANGLE[i].den);
    return true;
}

bool Factor_tool_fixed_pair_speed(uint8_t selection, double* num, double* den)
{
    const unsigned i = selection - SPEED_FIRST;
    if (selection < SPEED_FIRST || i >= std::size(SPEED))
        return false;
    store(num, den, SPEED[i].num, SPEED[i].den);
    return true;
}

uint8_t Factor_tool_quantity_factor(const FactorApplicationRec& rec, const DriveRecord& drive, uint16_t quantity,
                                    double* num, double* den)
{
    if (quantity >= FACTOR_QUANTITIES)
        return 0;
    double n = *num;
    double d = *den;
    bool wrote = false;
    if (Rec_get<uint16_t>(drive, RecOfs::MotorType) == MOTOR_TYPE_LINEAR) {
        wrote = Factor_tool_linear_motor_pair(rec, byte_at(rec, FactorOfs::LinearSelection + quantity), &n, &d, drive);
    } else {
        const uint8_t sel = byte_at(rec, FactorOfs::Selection + quantity);
        if (sel == 0) {
            wrote = Factor_tool_application_pair(rec, &n, &d, quantity);
        } else if (sel == 1) {
            label_pair(rec, &n, &d);
            wrote = true;
        } else if (sel == 2) {
            store(&n, &d, 1, 1);
            wrote = true;
        } else if (sel < SPEED_FIRST) {
            wrote = Factor_tool_fixed_pair_angle(sel, &n, &d);
        } else if (quantity != FactorPosition) {
            wrote = Factor_tool_fixed_pair_speed(sel, &n, &d);
        }
    }
    if (!wrote)
        return 0;
    *num = n;
    *den = d;
    return Factor_tool_reduce_pair(num, den);
}
