// Unit-factor model on the page contexts.
#include "factors/Factor_tool.h"

#include <QComboBox>
#include <QSignalBlocker>

#include "drivedata/Globvar.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"

namespace {

FactorHostRec host;
FactorApplicationRec own_records[2];  // until the shell's records are installed

const char* const OVERFLOW_TEXT[FACTOR_QUANTITIES][3] = {
    {"Overflow calcolo fattori di posizione!", "Overflow calculation position factors!",
     "Facteurs de position de calcul de débordement"},
    {"Overflow calcolo fattori di velocità!", "Overflow calculation velocity factors!",
     "Facteurs de vitesse de calcul de débordement"},
    {"Overflow calcolo fattori di accelerazione!", "Overflow calculation acceleration factors!",
     "Facteurs de accélération de calcul de débordement"},
};

uint8_t quantity_factor(double* num, double* den, uint8_t ctx, uint16_t quantity)
{
    return Factor_tool_quantity_factor(Factor_tool_record(ctx), DriveRecordBank[ctx & 1], quantity, num, den);
}

}  // namespace

void Factor_tool_install(const FactorHostRec& h) { host = h; }

const FactorHostRec& Factor_tool_host() { return host; }

FactorApplicationRec& Factor_tool_record(uint8_t ctx)
{
    FactorApplicationRec* records = host.records != nullptr ? host.records : own_records;
    return records[ctx == 1 ? 1 : 0];
}

bool Factor_tool_application_pair(double* num, double* den, uint8_t ctx, uint16_t quantity)
{
    return Factor_tool_application_pair(Factor_tool_record(ctx), num, den, quantity);
}

bool Factor_tool_linear_motor_pair(const FactorApplicationRec& rec, uint8_t unit, double* num, double* den,
                                   uint8_t ctx)
{
    return Factor_tool_linear_motor_pair(rec, unit, num, den, DriveRecordBank[ctx & 1]);
}

uint8_t Factor_tool_position_factor(double* num, double* den, uint8_t ctx)
{
    return quantity_factor(num, den, ctx, FactorPosition);
}

uint8_t Factor_tool_velocity_factor(double* num, double* den, uint8_t ctx)
{
    return quantity_factor(num, den, ctx, FactorVelocity);
}

uint8_t Factor_tool_acceleration_factor(double* num, double* den, uint8_t ctx)
{
    return quantity_factor(num, den, ctx, FactorAcceleration);
}

void Factor_tool_overflow_message(uint16_t quantity)
{
    if (quantity >= FACTOR_QUANTITIES)
        return;
    const unsigned lang = Lang_index();
    Msgbox_show({MsgIcon::Warning, Msgbox_title(lang), OVERFLOW_TEXT[quantity][lang], MsgOk});
}

uint8_t Factor_tool_compute_all()
{
    const uint8_t ctx = PageContext.load() == 1 ? 1 : 0;
    for (uint16_t q = 0; q < FACTOR_QUANTITIES; ++q) {
        if (!quantity_factor(&Factor_tool_results.num[q], &Factor_tool_results.den[q], ctx, q)) {
            Factor_tool_overflow_message(q);
            return 0;
        }
    }
    return 1;
}

void Factor_tool_fill_unit_combo(QComboBox* combo, const FactorApplicationRec& rec)
{
    if (combo == nullptr)
        return;
    const QSignalBlocker quiet(combo);
    combo->clear();
    const bool rotary = Factor_tool_is_rotary(rec.b[FactorOfs::AppType]) != 0;
    const uint8_t count = rotary ? FACTOR_ROTARY_POS_UNITS : FACTOR_LENGTH_UNITS;
    for (uint8_t i = 0; i < count; ++i)
        combo->addItem(QString::fromUtf8(rotary ? Factor_tool_rotary_unit_name(FactorPosition, i)
                                                : Factor_tool_linear_unit_name(FactorPosition, i)));
    const int index = Factor_tool_unit_index(rec);
    combo->setCurrentIndex(index < count ? index : -1);
}
