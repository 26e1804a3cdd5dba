// The sections of a printout, as tables of rows run by one interpreter, and the few lines whose
// value needs more than a field and a text table.
#include "print/Print_sections.h"

#include <bit>
#include <cstring>
#include <initializer_list>

#include "controls/Utxgraph.h"
#include "drivedata/Canopen.h"
#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Globvar.h"
#include "drivedata/Messaggi.h"
#include "drivedata/Utx.h"
#include "link/Fieldbus_link.h"
#include "link/Serrx.h"
#include "pages/drive/Frm_field_bus.h"
#include "pages/drive/Frm_modo_allarmi.h"
#include "pages/drive/Frm_mot_feedback.h"
#include "pages/drive/Frm_motore.h"
#include "pages/drive/Frm_output.h"
#include "pages/fieldbus/Control_set.h"
#include "pages/fieldbus/Frm_cands301.h"
#include "pages/fieldbus/Frm_cands402_ctrl.h"
#include "pages/fieldbus/Frm_cands402_ctrl_var.h"
#include "pages/fieldbus/Frm_cands402_position.h"
#include "pages/fieldbus/Frm_cands402_torque.h"
#include "pages/fieldbus/Frm_mdb_ctrl_var.h"
#include "pages/fieldbus/Frm_mdb_gearbox.h"
#include "pages/fieldbus/Frm_mdb_gearbox_aggc.h"
#include "pages/fieldbus/Frm_mdb_gearbox_sgnc.h"
#include "pages/fieldbus/Frm_mdb_input.h"
#include "pages/fieldbus/Frm_mdb_pos.h"
#include "pages/fieldbus/Frm_mdb_speed_aux.h"
#include "pages/fieldbus/Frm_mdb_speed_main.h"
#include "pages/fieldbus/Frm_mdb_torque.h"
#include "pages/fieldbus/HomingMethodList.h"
#include "pages/fieldbus/Positioning.h"
#include "print_core/Print_list.h"
#include "shell/Allarmi.h"
#include "shell/Main_display.h"
#include "shell/Settings.h"

namespace {

// A text in the three languages.
struct Tr {
    const char* t[3] = {nullptr, nullptr, nullptr};
    bool empty() const { return t[0] == nullptr; }
    QString str() const { return QString::fromUtf8(t[Lang_index()]); }
};

const Tr OUT_OF_RANGE = {{"Fuori range!", "Fuori range!", "Fuori range!"}};
const Tr CONTACT_TYPE = {{"Tipo Contatto", "Contact Type", "Type Contact"}};
const Tr SOFTWARE_DRIVE = {{"Software Drive", "Software Drive", "Software Drive"}};
const Tr VERSION = {{"Versione ", "Version ", "Version "}};
const char* const NO_TEXT = "-----";
const char* const NO_VALUE = "----";

const char* const CONTACT_ITEMS[] = {"0 V", "24 V"};
const ComboSpec ContactCombo = {{CONTACT_ITEMS, CONTACT_ITEMS, CONTACT_ITEMS}, 2};
// The I/O control type has the first three of the control-type items.
const ComboSpec IoControlCombo = {{ControlTypeItemsIt, ControlTypeItemsEn, ControlTypeItemsFr}, 3};
const ComboSpec MdbControlCombo = {{ControlTypeItemsIt, ControlTypeItemsEn, ControlTypeItemsFr}, 4};

// Raw value of a field as its dictionary entry describes it; 0 without an entry.
int64_t value_of(const DriveRecord& r, Loc field, uint16_t profile)
{
    const BusLookup l = Busx_find(profile, field);
    return l.found() ? Print_field_value(*l.entry(), r, field, profile) : 0;
}

struct Choice {
    QString text;
    uint32_t colour;
};

// The row of a text table, "Fuori range!" in grey for a row outside it.
Choice choose(const ComboSpec& items, int64_t row, uint32_t colour = PrintColour::Green)
{
    if (row < 0 || row >= items.count)
        return {OUT_OF_RANGE.str(), PrintColour::Grey};
    return {QString::fromUtf8(items.items[Lang_index()][row]), colour};
}

int quick_stop_row(int64_t v)
{
    switch (v) {
    case 0:
    case 1:
    case 2: return static_cast<int>(v);
    case 5: return 3;
    case 6: return 4;
    default: return -1;
    }
}
int can_mode_row(int64_t v) { return Canopen_mode_to_index(static_cast<int16_t>(v)); }
int motion_profile_row(int64_t v) { return Utx_motion_profile_to_index(static_cast<int16_t>(v)); }
int torque_profile_row(int64_t v) { return Utx_torque_profile_to_index(static_cast<int16_t>(v)); }

// ---- rows ----

enum class Mk : uint8_t {
    Num,      // PrintParamLine, arg decimals
    Hex,      // PrintParamLineHex, arg digits
    Section,  // heading and column head
    Enum,     // enum line in green, dictionary name unless named; the row of the selected value
    Text,     // text line in green with the row of the selected value
    OnOff,    // on/off line of the selected value
    Homing,   // enum line, the homing method's row
    Reported, // a value the connected drive reported (reported_line), black, arg digits
};

struct Row {
    Mk mk;
    Loc field{};
    uint8_t arg = 0;                   // decimals or digits
    Tr name{};
    const ComboSpec* items = nullptr;  // text table
    uint8_t shift = 0;                 // selected value = (value >> shift) & mask (mask 0: the value)
    uint16_t mask = 0;
    int (*map)(int64_t) = nullptr;     // value -> row (none: the value)
    const char* unit = nullptr;
};

Row num(uint16_t ofs, uint8_t decimals = 0) { return {Mk::Num, RecLoc(ofs), decimals}; }
Row hex(Loc field, uint8_t digits) { return {Mk::Hex, field, digits}; }
Row hex(uint16_t ofs, uint8_t digits) { return hex(RecLoc(ofs), digits); }
Row sec(Tr name) { return {Mk::Section, {}, 0, name}; }
Row enumr(uint16_t ofs, const ComboSpec& items, int (*map)(int64_t) = nullptr)
{
    return {Mk::Enum, RecLoc(ofs), 0, {}, &items, 0, 0, map};
}
Row enum_bit(uint16_t ofs, uint8_t bit, const ComboSpec& items, Tr name)
{
    return {Mk::Enum, RecLoc(ofs), 0, name, &items, bit, 1};
}
Row text(uint16_t ofs, const ComboSpec& items, Tr name, const char* unit = nullptr)
{
    return {Mk::Text, RecLoc(ofs), 0, name, &items, 0, 0, nullptr, unit};
}
Row text_bits(uint16_t ofs, uint8_t shift, uint16_t mask, const ComboSpec& items, Tr name)
{
    return {Mk::Text, RecLoc(ofs), 0, name, &items, shift, mask};
}
Row onoff(uint16_t ofs, uint8_t bit, Tr name) { return {Mk::OnOff, RecLoc(ofs), 0, name, nullptr, bit, 1}; }
Row homing(uint16_t ofs) { return {Mk::Homing, RecLoc(ofs)}; }
Row reported(Loc field, uint8_t digits) { return {Mk::Reported, field, digits}; }

// A value the connected drive reported, in hex; "-----" for one it has not (zero_unknown: or has
// reported as 0), and for the archive's data set (live false), which no drive reported.
void reported_line(Loc var, uint32_t colour, int digits, bool live, bool zero_unknown = false)
{
    const std::optional<uint32_t> v = live ? Ds301Identity_value(var) : std::nullopt;
    PrintEnumLine(var, PrintBus::Canopen, colour,
                  v && !(zero_unknown && *v == 0) ? Print_hex(*v, digits) : QString::fromLatin1(NO_TEXT));
}

int64_t selected(const DriveRecord& r, const Row& row, uint16_t p)
{
    int64_t v = value_of(r, row.field, p);
    if (row.mask != 0)
        v = (v >> row.shift) & row.mask;
    return row.map != nullptr ? row.map(v) : v;
}

void run_row(const DriveRecord& r, uint16_t p, const Row& row, bool live = false)
{
    switch (row.mk) {
    case Mk::Num: PrintParamLine(r, row.field, p, row.arg); break;
    case Mk::Hex: PrintParamLineHex(r, row.field, p, row.arg); break;
    case Mk::Section: PrintSectionLine(row.name.str(), p); break;
    case Mk::Enum: {
        const Choice c = choose(*row.items, selected(r, row, p));
        if (row.name.empty())
            PrintEnumLine(row.field, p, c.colour, c.text);
        else
            PrintEnumLineNamed(row.field, p, row.name.str(), c.colour, c.text);
        break;
    }
    case Mk::Text: {
        const Choice c = choose(*row.items, selected(r, row, p));
        PrintTextLine(row.field, p, row.name.str(), QString::fromUtf8(row.unit), c.colour, c.text);
        break;
    }
    case Mk::OnOff: PrintOnOffLine(row.field, p, row.name.str(), selected(r, row, p) != 0); break;
    case Mk::Reported: reported_line(row.field, PrintColour::Black, row.arg, live); break;
    case Mk::Homing: {
        const char* t = HomingMethodList_text(static_cast<int>(Lang_index()),
                                              HomingMethodList_row(static_cast<int32_t>(value_of(r, row.field, p))));
        if (t != nullptr)
            PrintEnumLine(row.field, p, PrintColour::Green, QString::fromUtf8(t));
        else
            PrintEnumLine(row.field, p, PrintColour::Grey, OUT_OF_RANGE.str());
        break;
    }
    }
}

// live: the rows of reported values print what the connected drive reported.
void run(const DriveRecord& r, uint16_t p, std::initializer_list<Row> rows, bool live = false)
{
    for (const Row& row : rows)
        run_row(r, p, row, live);
}

bool connected(const DriveRecord& r) { return &r == &DriveRecordBank[0]; }

QString hex8(uint32_t v) { return Print_hex(v, 8); }

// "[1] auto reset" -> "auto reset": the alarm-mode value without its item number.
QString without_item_number(const QString& item)
{
    if (!item.startsWith('['))
        return item;
    const qsizetype end = item.indexOf(']');
    return end < 0 ? item : item.mid(end + 1).trimmed();
}

// ---- field bus ----

const Tr FIELD_BUS = {{"Bus di Campo", "Field Bus", "Bus de Terrain"}};

void field_bus_rows(const DriveRecord& r)
{
    const Tr rate = {{"Bit-rate", "Bit-rate", "Débit binaire"}};
    const Tr timeout_on = {{"Abilita Timeout", "Timeout Enable", "Activer Timeout"}};
    run(r, PrintBus::Io,
        {sec(FIELD_BUS), enumr(110, BusTypeCombo),
         enum_bit(108, 0, BusSourceCombo, {{"Modo indirizzo/bit-rate", "Mode address/bit-rate", "Mode adresse/débit binaire"}}),
         sec({{"ModBus", "ModBus", "ModBus"}}), num(94), text(98, ModbusRateCombo, rate, "Bits/s"), enumr(96, ParityCombo),
         num(100), onoff(108, 1, timeout_on),
         sec({{"CanOpen", "CanOpen", "CanOpen"}}), num(102), text(104, CanRateCombo, rate, "Kbits/s"), num(106),
         onoff(108, 2, timeout_on)});
}

// ---- drive sections ----

// "Taglia Drive", "Taglia tensione" and "Software Drive" (the setup and reserved sections).
void size_lines(const DriveRecord& r)
{
    const DriveSizeTable& table = CurrentSizeTable;
    const uint8_t size = r.b[RecOfs::SizeIndex];
    Choice s{OUT_OF_RANGE.str(), PrintColour::Grey};
    if (size < table.count)
        s = {QString::fromLatin1(table.src[size].name, static_cast<qsizetype>(strnlen(table.src[size].name, 12))).trimmed() +
                 " A",
             PrintColour::Green};
    PrintTextLine(RecLoc(RecOfs::SizeIndex), PrintBus::Io, Tr{{"Taglia Drive", "Drive Size", "Calibre Variateur"}}.str(),
                  {}, s.colour, s.text);

    static const char* const FIRST[] = {"60 V"};
    static const char* const SECOND[] = {"230 V", "460 V"};
    const ComboSpec voltage = Settings_second_family() ? ComboSpec{{SECOND, SECOND, SECOND}, 2}
                                                       : ComboSpec{{FIRST, FIRST, FIRST}, 1};
    const int64_t cls = Settings_second_family() ? (Rec_get<uint16_t>(r, RecOfs::VoltageClass) & 3) : 0;
    const Choice v = choose(voltage, cls);
    PrintTextLine(RecLoc(RecOfs::VoltageClass), PrintBus::Io,
                  Tr{{"Taglia tensione", "Voltage Size", "Calibre tension"}}.str(), {}, v.colour, v.text);

    if (connected(r) && (Ser_link_flags.load() & LinkFlag::Answers)) {
        const QString version = VERSION.str() + QString::fromStdString(Drive_ident_version(Drive_ident_get()));
        PrintLineAdd(NO_VALUE, SOFTWARE_DRIVE.str(), version, {}, 1, PrintColour::Green, PrintKind::Param);
    } else {
        PrintLineAdd(NO_VALUE, SOFTWARE_DRIVE.str(), NO_VALUE, {}, 1, PrintColour::Black, PrintKind::Param);
    }
}

void motor_section(const DriveRecord& r, uint16_t p)
{
    const uint16_t type = Rec_get<uint16_t>(r, RecOfs::MotorType);
    run(r, p, {sec({{"Dati Motore", "Motor Data", "Données Moteur"}}), enumr(132, MotorTypeCombo)});
    PrintParamLineNamed(r, RecLoc(134), p, 0, Tr{{"Velocità Nominale", "Nominal Speed", "Vitesse Nominale"}}.str(),
                        type == 1 ? "mm/s" : "rpm");
    run(r, p, {num(136, 2), num(138, 2), num(142), num(144, 2), num(146, 2), num(148)});
    if (type == 1) {
        PrintEnumLine(RecLoc(150), p, PrintColour::Green, QStringLiteral("2"));
        run_row(r, p, num(124, 2));
    } else {
        PrintEnumLine(RecLoc(150), p, PrintColour::Green, QString::number(2 * value_of(r, RecLoc(150), p)));
    }
}

void feedback_section(const DriveRecord& r, uint16_t p)
{
    const Tr cogging = {{"Compensazione cogging", "Cogging compensation", "Compensation cogging"}};
    run(r, p, {sec({{"Feedback", "Feedback", "Feedback"}}),
               onoff(130, 1, {{"Inverti feedback", "Reverse feedback", "Inverser réaction"}}), enumr(162, FeedbackTypeCombo)});
    const int64_t feedback = value_of(r, RecLoc(162), p);
    const uint16_t type = Rec_get<uint16_t>(r, RecOfs::MotorType);
    switch (feedback) {
    case 0:
    case 1: {
        static const Tr PULSES[3] = {{{"Impulsi/giro", "Pulses/revolution", "Impulsions/tour"}},
                                     {{"Impulsi/passo polare", "Pulses/magnet pitch", "Impulsions/pas polaire"}},
                                     {{"Risoluzione/giro", "Resolution/revolution", "Résolution/tour"}}};
        static const Tr RESOLUTION[3] = {{{"Risoluzione/giro", "Resolution/revolution", "Résolution/tour"}},
                                         {{"Risoluzione/passo polare", "Resolution/magnet pitch", "Résolution/pas polaire"}},
                                         {{"Risoluzione/giro", "Resolution/revolution", "Résolution/tour"}}};
        const unsigned t = type < 3 ? type : 0;
        PrintParamLineNamed(r, RecLoc(152), p, 0, PULSES[t].str(), {});
        const auto pulses = static_cast<uint64_t>(value_of(r, RecLoc(152), p));
        PrintLineAdd(NO_VALUE, RESOLUTION[t].str(), QString::number(4 * pulses), {}, 1, PrintColour::Black,
                     PrintKind::Param);
        if (feedback == 1)
            run_row(r, p, num(128, 2));
        run(r, p, {enum_bit(130, 3, EncoderInputCombo, {{"Ingresso encoder", "Encoder input", "Entrée codeur"}}),
                   onoff(130, 2, cogging)});
        break;
    }
    case 3:
        PrintParamLineNamed(r, RecLoc(164), p, 0, Tr{{"Bit singolo giro", "Bit single turn", "Bits monotour"}}.str(), {});
        PrintParamLineNamed(r, RecLoc(166), p, 0, Tr{{"Bit multi giro", "Bit multi turn", "Bits multitour"}}.str(), {});
        run(r, p, {num(128, 2), onoff(130, 2, cogging)});
        break;
    case 4:
        run(r, p,
            {sec({{"Covarianza-rumore", "Covariance-noise", "Covariance-bruit"}}), num(224, 2), num(226, 2), num(228, 4),
             num(230, 2), sec({{"Parametri start", "Start parameters", "Paramètres démarrage"}}), num(234, 1), num(236, 3),
             num(240), num(242), num(244), num(248, 3), sec({{"Impostazioni", "Settings", "Réglages"}}),
             text_bits(232, 0, 1, ZeroCrossCombo, {{"Passaggio per zero", "Zero crossing", "Passage par zéro"}}),
             num(246), num(238, 1)});
        break;
    default: break;
    }
}

void alarm_memory_section(const DriveRecord& r, uint16_t p)
{
    PrintSectionLine(Tr{{"Memoria Allarmi", "Alarm Memory", "Mémoire Alarmes"}}.str(), p);
    const uint16_t bus = Rec_get<uint16_t>(r, RecOfs::BusType);
    const BusObjectEntry* object = Busx_find(bus, RecLoc(RecOfs::AlarmMem)).entry();
    const unsigned position = r.b[RecOfs::AlarmMemByte] % 16;
    for (unsigned k = 1; k <= 16; ++k) {
        const uint8_t b = r.b[RecOfs::AlarmMem + (position + 16 - (k - 1)) % 16];
        const unsigned code = b & 0x3F;
        const bool alarm = (b & 0x80) != 0;
        QString address = NO_VALUE;
        if (bus != 0 && object != nullptr)
            address = "[" + Print_hex(object->index, 4) + QStringLiteral(" ,%1]").arg(k);
        QString name = NO_TEXT;
        QString value = NO_TEXT;
        if (code != 0) {
            name = QStringLiteral("MEM %1: ").arg(k) + (alarm ? "AL - " : "WR - ") + QString::fromUtf8(Print_alarm_text(code));
            value = QString(alarm ? "FA -" : "F  -") + QStringLiteral(" [%1]").arg(code, 2, 10, QLatin1Char('0'));
        }
        PrintLineAdd(address, name, value, {}, 1, PrintColour::Red, PrintKind::Param);
    }
}

void alarm_mode_section(const DriveRecord& r, uint16_t p)
{
    constexpr uint16_t ALARM_MODE = 184;
    PrintSectionLine(Tr{{"Modo Allarmi", "Alarm Mode", "Mode Alarmes"}}.str(), p);
    const int64_t flags = value_of(r, RecLoc(ALARM_MODE), p);
    struct ModeLine {
        Tr name;
        const ComboSpec* items;
        uint8_t bit;
    };
    std::vector<ModeLine> lines = {
        {{{"Sovra-tensione", "Overvoltage", "Surtension"}}, &AlarmModeResetCombo, 0},
        {{{"Sotto-Tensione", "Undervoltage", "Sous-tension"}}, &AlarmModeResetCombo, 1},
        {{{"I2t Drive", "I2t Drive", "I2t Variateur"}}, &AlarmModeI2tCombo, 2},
    };
    if (Settings_second_family())
        lines.push_back({{{"Secure Disable", "Secure Disable", "Secure Disable"}}, &AlarmModeResetCombo, 3});
    for (const ModeLine& l : lines) {
        const Choice c = choose(*l.items, (flags >> l.bit) & 1);
        PrintTextLine(RecLoc(ALARM_MODE), p, l.name.str(), {}, c.colour, without_item_number(c.text));
    }
}

void output_section(const DriveRecord& r, uint16_t p)
{
    static const Tr OUT_NAME[3] = {{{"Imposta Out 0", "Set out 0", "Réglez la sortie 0"}},
                                   {{"Imposta Out 1", "Set out 1", "Réglez la sortie 1"}},
                                   {{"Imposta Out 2", "Set out 2", "Réglez la sortie 2"}}};
    PrintSectionLine(Tr{{"Output", "Output", "Sortie"}}.str(), p);
    for (uint16_t i = 0; i < 3; ++i) {
        // Out 2 exists in the second family only; its one list prints for either.
        const LedOutputSource src = Led_output_source(i < 2 ? Settings_second_family() : true, i);
        if (src.table == nullptr)
            continue;
        const Loc field = RecLoc(src.offset);
        const int64_t sel = value_of(r, field, p);
        Choice c{OUT_OF_RANGE.str(), PrintColour::Grey};
        if (sel >= 0 && sel < src.table->count)
            c = {QString::fromUtf8(src.table->rows[sel].text[Lang_index()]), PrintColour::Green};
        PrintTextLine(field, p, OUT_NAME[i].str(), {}, c.colour, c.text);
    }
    run(r, p, {num(212), num(214), num(222)});
    constexpr uint16_t DIVISOR = 264;
    const int64_t code = value_of(r, RecLoc(DIVISOR), p);
    Choice d{OUT_OF_RANGE.str(), PrintColour::Grey};
    if (code >= 0 && code < OutputDividerCombo.count)
        d = {QString::number(uint64_t{1} << (code + 1)), PrintColour::Black};
    PrintTextLine(RecLoc(DIVISOR), p, Tr{{"Divisore count encoder", "Divisor count encoder", "Diviseur comptage codeur"}}.str(),
                  {}, d.colour, d.text);
}

// ---- I/O and Modbus control ----

QString input_name(const LedRow* rows, unsigned i)
{
    return rows != nullptr ? QString::fromUtf8(rows[i].text[Lang_index()]) : QString::fromLatin1(NO_TEXT);
}

constexpr uint16_t INPUT_SETTINGS = 504;

void io_inputs(const DriveRecord& r)
{
    const uint16_t t = Rec_get<uint16_t>(r, RecOfs::ControlType);
    const LedRow* rows = Led_input_set(0, t);
    const Loc f = RecLoc(INPUT_SETTINGS);
    const uint16_t p = PrintBus::Io;
    auto in = [&](unsigned i) { return QStringLiteral("IN%1: ").arg(i) + input_name(rows, i); };
    auto none = [&](unsigned i) { PrintTextLine(f, p, in(i), {}, PrintColour::Black, NO_TEXT); };
    const int64_t v = value_of(r, f, p);
    auto contact = [&](unsigned i, uint8_t bit) {
        const Choice c = choose(ContactCombo, (v >> bit) & 1);
        PrintTextLine(f, p, QStringLiteral("IN%1: ").arg(i) + CONTACT_TYPE.str(), {}, c.colour, c.text);
    };
    PrintSectionLine(Tr{{"Impostazione Ingressi", "Setting Inputs", "Réglage Entrées"}}.str(), p);
    const Choice power = choose(InputPowerModeCombo, (v >> 5) & 1);
    PrintTextLine(f, p, in(0), {}, power.colour, power.text);
    none(1);
    if (t == 0 || t == 2) {
        PrintOnOffLine(f, p, in(2), v & (1 << 0));
        contact(2, 1);
        PrintOnOffLine(f, p, in(3), v & (1 << 2));
        contact(3, 3);
        if (t == 0)
            PrintOnOffLine(f, p, in(4), v & (1 << 6));
        else
            none(4);
    } else {
        none(2);
        none(3);
        none(4);
    }
    none(5);
}

void modbus_inputs(const DriveRecord& r)
{
    const uint16_t m = Rec_get<uint16_t>(r, 466);
    const LedRow* rows = Led_input_set(1, m);
    const Loc f = RecLoc(INPUT_SETTINGS);
    const uint16_t p = PrintBus::Modbus;
    const int64_t v = value_of(r, f, p);
    auto bit_name = [](unsigned bit, unsigned in) { return QStringLiteral("Bit %1 - IN%2: ").arg(bit).arg(in); };
    auto onoff_line = [&](unsigned bit, unsigned in) { PrintOnOffLine(f, p, bit_name(bit, in) + input_name(rows, in), (v >> bit) & 1); };
    auto text_line = [&](unsigned bit, unsigned in, const Tr& what, const ComboSpec& items) {
        const Choice c = choose(items, (v >> bit) & 1);
        PrintTextLine(f, p, bit_name(bit, in) + what.str(), {}, c.colour, c.text);
    };
    PrintSectionLine("Bit-" + Tr{{"Impostazione Ingressi", "Setting Inputs", "Réglage Entrées"}}.str(), p);
    if (m == 0 || m == 2 || m == 3) {
        onoff_line(0, 2);
        text_line(1, 2, CONTACT_TYPE, ContactCombo);
        onoff_line(2, 3);
        text_line(3, 3, CONTACT_TYPE, ContactCombo);
        if (m == 3)
            text_line(4, 4, CONTACT_TYPE, ContactCombo);
    }
    onoff_line(7, 5);
    text_line(8, 5, CONTACT_TYPE, ContactCombo);
    text_line(9, 5, {{"Modo misura posizione", "Measuring position mode", "Mode position de mesure"}}, InputCaptureModeCombo);
}

const Tr GEARBOX = {{"Asse Elettrico", "GearBox Mode", "Axe Électrique"}};
const Tr ENGAGE = {{"Aggancio", "Engaging", "Engagement"}};
const Tr ENGAGE_SPEED = {{"Dati aggancio velocità", "Velocity engagement data", "Données d'engagement de vitesse"}};
const Tr ENGAGE_POS = {{"Dati aggancio posizione", "Position engagement data", "Données d'engagement de position"}};
const Tr DISENGAGE = {{"Sgancio", "Disengaging", "Désengagement"}};
const Tr DISENGAGE_SPEED = {{"Dati sgancio velocità", "Velocity disengagement data", "Données désengagement de vitesse"}};
const Tr DISENGAGE_POS = {{"Dati sgancio posizione", "Position disengagement data", "Données désengagement de position"}};
const Tr ENCODER_TYPE = {{"Tipo encoder", "Encoder type", "Type codeur"}};
const Tr ENGAGE_TYPE = {{"Tipo aggancio", "Engage type", "Type engagement"}};
const Tr DISENGAGE_TYPE = {{"Tipo sgancio", "Disengage type", "Type désengagement"}};
const Tr POSITION_TYPE = {{"Tipo Posizione", "Position Type", "Type Position"}};
const Tr INPUT_FILTER = {{"Filtro ingressi digitali", "Digital input filter", "Filtre entrées numériques"}};
const Tr TYPE = {{"Tipo", "Type", "Type"}};
const Tr POS_SETTINGS = {{"Pos. Impostazioni", "Pos. Settings", "Réglages Pos."}};
const Tr ROUNDING = {{"Modo arrotondamento", "Mode rounding", "mode d'arrondi"}};
const Tr POS_INPUT1 = {{"Abilita posizionamento - input 1", "Enable positioning - input 1", "Activer positionnement - entrée 1"}};
const Tr POS_LIMITS = {{"Abilita limiti pos.", "Enable pos. limits", "Activer limites pos."}};
const Tr POS_TORQUE = {{"Abilita Pos-limite coppia", "Enable Pos-torque limit", "Activer Pos-limite couple"}};
const Tr HOMING = {{"Ricerca Origine", "Homing", "Recherche Origine"}};
const Tr CONTROL_SETTINGS = {{"Impost. Controllo", "Control Settings", "Réglages Contrôle"}};

uint8_t bit_of(uint16_t mask) { return static_cast<uint8_t>(std::countr_zero(mask)); }

void io_common_rows(const DriveRecord& r, uint16_t p)
{
    run(r, p,
        {sec(INPUT_FILTER), num(250, 1), num(252, 1), num(254, 1), num(256, 1), num(258, 1), num(260, 1),
         sec({{"Fattori", "Factors", "Facteurs"}}), num(476), num(480), num(484), num(488),
         onoff(464, 0, {{"Inverti Velocità", "Reverse Speed", "Inverser Vitesse"}}),
         sec(POS_SETTINGS), num(492), num(496),
         sec({{"Velocità Principale", "Main Speed", "Vitesse Principale"}}), text(596, MdbSpeedMainTypeCombo, TYPE), num(548),
         num(552, 1), num(600, 3), num(556), text_bits(594, 0, 3, MdbSpeedFreqModeCombo, {{"Freq. Modo", "Freq. Mode", "Fréq. Mode"}}),
         num(592),
         sec({{"Velocità Aux", "Aux Speed", "Vitesse Aux"}}), text(598, MdbSpeedAuxTypeCombo, TYPE), num(560), num(564, 1),
         num(568), num(602, 1), num(604, 1), onoff(594, 2, {{"Abilita", "Enable", "Activer"}}),
         sec({{"Rampe", "Ramps", "Rampes"}}), num(572), num(576), num(580), num(584), num(588),
         onoff(594, 4, {{"Abilita Rampe S", "Enable Ramp S", "Activer Rampes S"}}),
         onoff(594, 3, {{"Abilita Rampe", "Enable Ramp", "Activer Rampes"}}),
         sec({{"Coppia", "Torque", "Couple"}}), text_bits(792, 0, 1, MdbTorqueSourceCombo, TYPE), num(794, 1), num(796, 1),
         num(798, 1),
         sec(GEARBOX), num(730), num(732), text(738, GearboxEncoderCombo, ENCODER_TYPE), num(740), num(772), num(776),
         num(774), num(780),
         sec(ENGAGE), text(734, GearboxModeCombo, ENGAGE_TYPE), sec(ENGAGE_SPEED), num(744), num(748), sec(ENGAGE_POS),
         num(752),
         sec(DISENGAGE), text(736, GearboxModeCombo, DISENGAGE_TYPE), sec(DISENGAGE_SPEED), num(756), num(760),
         sec(DISENGAGE_POS), enum_bit(728, 0, GearboxPosTypeCombo, POSITION_TYPE), num(768), num(764), num(766)});
}

// ---- CANopen ----

void identity_section(uint8_t context)
{
    constexpr uint16_t p = PrintBus::Canopen;
    PrintSectionLine(Tr{{"Informazioni drive", "Drive information", "Informations variateur"}}.str(), p);
    const bool live = context == 0;
    reported_line(LiveLoc::DeviceType, PrintColour::Green, 8, live);
    for (const Loc text : {LiveLoc::DeviceName, LiveLoc::SwVersion}) {  // as the CiA 301 page shows them
        const QString s = live && Ds301Identity_reported(text) ? Frm_cands301_drive_text(text) : QString();
        PrintEnumLine(text, p, PrintColour::Green, s.isEmpty() ? QString::fromLatin1(NO_TEXT) : s);
    }
    reported_line(LiveLoc::VendorId, PrintColour::Green, 8, live);
    reported_line(LiveLoc::ProductCode, PrintColour::Black, 8, live, true);
    reported_line(LiveLoc::Revision, PrintColour::Black, 8, live, true);
}

void error_history(const DriveRecord& r)
{
    constexpr uint16_t HISTORY = 1540;
    for (unsigned i = 0; i < 8; ++i) {
        const Loc f = RecLoc(HISTORY + 4 * i);
        const uint32_t entry = Rec_get<uint32_t>(r, f.ofs);
        const int alarm = entry != 0 ? Canopen_emcy_to_alarm(entry) : -1;
        const QString name = QStringLiteral("MEM %1: ").arg(i + 1) +
                             (alarm >= 0 ? QString::fromUtf8(Print_alarm_text(static_cast<unsigned>(alarm) + 1))
                                         : QString::fromLatin1(NO_TEXT));
        PrintTextLine(f, PrintBus::Canopen, name, {}, alarm >= 0 ? PrintColour::Red : PrintColour::Black, hex8(entry));
    }
}

void pdo_lines(const DriveRecord& r, uint16_t cob, uint16_t map, bool transmit)
{
    constexpr uint16_t p = PrintBus::Canopen;
    run_row(r, p, hex(cob, 8));
    const uint8_t type = r.b[cob + 4];
    const QString cls = QString::fromUtf8(PdoTypeClassText[Lang_index()][Messaggi_pdo_type_class(type)]);
    PrintEnumLine(RecLoc(cob + 4), p, PrintColour::Green, QString::number(type) + " - " + cls);
    if (transmit)
        run_row(r, p, num(cob + 6, 1));
    run_row(r, p, num(map + 32));
    for (unsigned i = 0; i < 8; ++i) {
        const Loc f = RecLoc(map + 4 * i);
        PrintTextLine(f, p, QStringLiteral("%1 MAP %2").arg(transmit ? "TPDO" : "RPDO").arg(i + 1), {}, PrintColour::Black,
                      hex8(Rec_get<uint32_t>(r, f.ofs)));
    }
}

void ds402_rows(const DriveRecord& r, bool live)
{
    const Tr in_bits[] = {
        {{"Bit 0 - IN2: Fine Corsa CW", "Bit 0 - IN2: End Stop CW", "Bit 0 - IN2: Fin de course CW"}},
        {{"Bit 1 - IN2: Tipo Contatto", "Bit 1 - IN2: Contact Type", "Bit 1 - IN2: Type Contact"}},
        {{"Bit 2 - IN3: Fine Corsa CCW", "Bit 2 - IN3: End Run CCW", "Bit 2 - IN3: Fin de course CCW"}},
        {{"Bit 3 - IN3: Tipo Contatto", "Bit 3 - IN3: Contact Type", "Bit 3 - IN3: Type Contact"}},
        {{"Bit 4 - IN4: Tipo Contatto", "Bit 4 - IN4: Contact Type", "Bit 4 - IN4: Type Contact"}},
        {{"Bit 5 - IN5: Misura posizione", "Bit 5 - IN5: Measuring position", "Bit 5 - IN5: Position de mesure"}},
        {{"Bit 6 - IN5: Tipo Contatto", "Bit 6 - IN5: Contact Type", "Bit 6 - IN5: Type Contact"}},
        {{"Bit 7 - IN5: Modo misura posizione", "Bit 7 - IN5: Measuring position mode", "Bit 7 - IN5: Mode position de mesure"}},
    };
    constexpr uint16_t IN = 2266;
    constexpr uint16_t FLAGS = PosFlagsCanopen.ofs;
    run(r, PrintBus::Canopen,
        {sec({{"Controllo", "Control", "Contrôle"}}), enumr(2052, Ds402ModeCombo, can_mode_row),
         reported(LiveLoc::CanCtrlWord, 4), reported(LiveLoc::CanStatusWord, 4),
         sec(CONTROL_SETTINGS), enumr(2000, CanAbortCombo), enumr(2048, CanQuickStopCombo, quick_stop_row),
         enumr(2050, CanHaltCombo), enumr(2308, CanFaultCombo), num(2252), num(2040), num(2044), num(2310),
         sec({{"Ingressi Digitali", "Digital Inputs", "Entrées Numériques"}}), hex(IN, 2),
         sec({{"Bit-Impostazione Ingressi", "Bit-Setting Inputs", "Bit-Réglage Entrées"}}), onoff(IN, 0, in_bits[0]),
         text_bits(IN, 1, 1, ContactCombo, in_bits[1]), onoff(IN, 2, in_bits[2]), text_bits(IN, 3, 1, ContactCombo, in_bits[3]),
         text_bits(IN, 4, 1, ContactCombo, in_bits[4]), onoff(IN, 5, in_bits[5]), text_bits(IN, 6, 1, ContactCombo, in_bits[6]),
         text_bits(IN, 7, 1, InputCaptureModeCombo, in_bits[7]),
         sec(INPUT_FILTER), num(250, 1), num(252, 1), num(254, 1), num(256, 1), num(258, 1), num(260, 1),
         sec({{"DS402 Fattori", "DS402 Factors", "DS402 Facteurs"}}), num(2240), num(2244), num(2144), num(2148), num(2156),
         num(2160), num(2168), num(2172),
         onoff(2185, 7, {{"Bit Polarità-Posizione", "Bit Polarity-Position", "Bit Polarité-Position"}}),
         onoff(2185, 6, {{"Bit Polarità-Velocità", "Bit Polarity-Velocity", "Bit Polarité-Vitesse"}}),
         sec({{"Posizionatore", "Position", "Positionneur"}}), enumr(2128, CanProfileCombo, motion_profile_row), num(2100),
         num(2116), num(2120), num(2124), num(2256), num(2312), num(2260),
         onoff(FLAGS, bit_of(PosFlagsCanopen.input1), POS_INPUT1),
         sec(POS_SETTINGS), num(2068), num(2072), num(2108), num(2104),
         onoff(FLAGS, bit_of(PosFlagsCanopen.limits), {{"Abilita limiti posizione", "Enable position limits", "Activer limites position"}}),
         onoff(FLAGS, bit_of(PosFlagsCanopen.torque), POS_TORQUE),
         enum_bit(FLAGS, bit_of(PosFlagsCanopen.rounding), RoundingCombo, ROUNDING), num(2180),
         sec({{"Profile Velocity", "Profile Velocity", "Profile Velocity"}}), num(2236), num(2120), num(2124), num(2088),
         num(2090), num(2092), num(2094), onoff(2314, 0, {{"Abilita errore velocità", "Enable error speed", "Activer vitesse d'erreur"}}),
         num(2316), num(2320),
         sec({{"Velocity Mode", "Velocity Mode", "Velocity Mode"}}), num(2004), num(2024), num(2028), num(2032), num(2036),
         num(2016), num(2020),
         sec(HOMING), homing(2184), num(2188), num(2192), num(2200),
         sec({{"Interpolatore", "Interpolator", "Interpolateur"}}), num(2204), num(2221), num(2222),
         sec({{"Modo Coppia", "Torque Mode", "Mode Couple"}}), enumr(2136, CanTorqueProfileCombo, torque_profile_row),
         num(2096), num(2132),
         sec(GEARBOX), num(2268), num(2270), text(2274, GearboxEncoderCombo, ENCODER_TYPE), num(2304), num(2324), num(2322),
         num(2328),
         sec(ENGAGE), text(2272, GearboxModeCombo, ENGAGE_TYPE), sec(ENGAGE_SPEED), num(2276), num(2280), sec(ENGAGE_POS),
         num(2284),
         sec(DISENGAGE), text(2273, GearboxModeCombo, DISENGAGE_TYPE), sec(DISENGAGE_SPEED), num(2288), num(2292),
         sec(DISENGAGE_POS), enumr(2275, GearboxPosTypeCombo), num(2300), num(2296), num(2298)},
        live);
}

}  // namespace

const char* Print_alarm_text(unsigned code)
{
    return code >= 1 && code <= 32 ? AlarmTexts[code - 1][Lang_index()] : NO_TEXT;
}

// ---- builders ----

void Print_list_field_bus(const DriveRecord* record)
{
    if (record == nullptr)
        return;
    PrintTitleLine(FIELD_BUS.str());
    field_bus_rows(*record);
}

void PrintSectionDrive(const DriveRecord& r, uint16_t p)
{
    motor_section(r, p);
    feedback_section(r, p);
    PrintSectionLine(Tr{{"Setup Avanzato", "Advanced Setup", "Configuration Avancée"}}.str(), p);
    size_lines(r);
    run(r, p,
        {sec({{"Regolatore Velocità", "Speed Regulator", "Régulateur Vitesse"}}), num(186), num(188), num(190),
         sec({{"Regolatore Corrente", "Current Regulator", "Régulateur Courant"}}), num(156), num(158), num(160),
         sec({{"Reg. Posizione", "Position Reg.", "Rég. Position"}}), num(192)});
    if (connected(r))
        alarm_memory_section(r, p);
    alarm_mode_section(r, p);
    run(r, p,
        {sec({{"Limiti", "Limits", "Limites"}}), num(196, 1), num(194),
         sec({{"Filtri", "Filters", "Filtres"}}), num(198), num(200, 4), onoff(182, 0, {{"Abilita Notch", "Enable Notch", "Activer Notch"}}),
         num(202), onoff(182, 1, {{"Abilita Filtro Iq", "Enable Filter Iq", "Activer Filtre Iq"}})});
    output_section(r, p);
    run(r, p, {sec({{"Freno Motore", "Motor Brake", "Moteur de Freins"}}), num(204), num(206), num(208), num(210)});
}

void PrintSectionIoControl(const DriveRecord& r, uint16_t p)
{
    const bool modbus = p == PrintBus::Modbus;
    PrintTitleLine(choose(BusTypeCombo, modbus ? 1 : 0).text);
    const uint16_t control_field = modbus ? 466 : RecOfs::ControlType;
    const ComboSpec& control = modbus ? MdbControlCombo : IoControlCombo;
    run(r, p,
        {sec(modbus ? Tr{{"Controllo ModBus", "ModBus Control", "Contrôle ModBus"}}
                    : Tr{{"Controllo In Out", "In Out Control", "Contrôle Entrées Sorties"}}),
         text(control_field, control, {{"Tipo Controllo", "Control Type", "Type Contrôle"}})});
    PrintSectionDrive(r, p);
    PrintSectionLine("Input: " + choose(control, Rec_get<uint16_t>(r, control_field)).text, p);
    run_row(r, p, hex(INPUT_SETTINGS, 2));
    if (modbus)
        modbus_inputs(r);
    else
        io_inputs(r);
    io_common_rows(r, p);
}

void PrintSectionReservedSetup(const DriveRecord& r)
{
    constexpr uint16_t p = PrintBus::Io;
    PrintTitleLine(Tr{{"Setup Riservato", "Reserved Setup", "Configuration Réservée"}}.str());
    PrintSectionLine(Tr{{"Dati taglia", "Size data", "Données calibre"}}.str(), p);
    size_lines(r);
    run(r, p,
        {num(46, 1), num(36, 2), num(48, 1),
         sec({{"Test I2t", "I2t Test", "Test I2t"}}), num(28, 2), num(32), num(30, 2), num(34),
         sec({{"Soglie tensioni DCBUS", "DCBUS voltage thresholds", "Seuils tension DCBUS"}}), num(38), num(40), num(42), num(44),
         sec({{"Resist. frenatura", "Braking resist.", "Résist. freinage"}}), num(54), num(56), num(58), num(60), num(62),
         sec({{"Ventola radiatore", "Heat sink fan", "Ventilateur radiateur"}}), num(50, 1), num(52, 1)});
}

void PrintSectionRpdo(const DriveRecord& r, unsigned pdo)
{
    pdo %= 4;
    PrintSectionLine(QStringLiteral("DS301 RPDO%1").arg(pdo + 1), PrintBus::Canopen);
    pdo_lines(r, static_cast<uint16_t>(1596 + 8 * pdo), static_cast<uint16_t>(1628 + 36 * pdo), false);
}

void PrintSectionTpdo(const DriveRecord& r, unsigned pdo)
{
    pdo %= 4;
    PrintSectionLine(QStringLiteral("DS301 TPDO%1").arg(pdo + 1), PrintBus::Canopen);
    pdo_lines(r, static_cast<uint16_t>(1772 + 16 * pdo), static_cast<uint16_t>(1836 + 36 * pdo), true);
}

void Print_list_io_profile(const DriveRecord* record)
{
    if (record == nullptr)
        return;
    PrintSectionIoControl(*record, PrintBus::Io);
    PrintSectionReservedSetup(*record);
}

void Print_list_modbus_profile(const DriveRecord* record)
{
    if (record == nullptr)
        return;
    const DriveRecord& r = *record;
    constexpr uint16_t p = PrintBus::Modbus;
    constexpr uint16_t FLAGS = PosFlagsModbus.ofs;
    PrintSectionIoControl(r, p);
    run(r, p,
        {sec(CONTROL_SETTINGS), num(468), enumr(514, MdbHaltCombo), num(472), enumr(498, MdbTimeoutCombo), num(500),
         enumr(506, MdbFaultCombo), num(508), num(512, 1), num(516), num(520)});
    PrintTitleLine(Tr{{"Posizionatore", "Position", "Positionneur"}}.str());
    run(r, p,
        {sec({{"Parametri Posizione", "Position Parameters", "Paramètres Position"}}), num(632), num(636), num(640), num(648),
         num(644), onoff(FLAGS, 0, {{"Inverti posizione", "Reverse position", "Inverser position"}}),
         onoff(FLAGS, bit_of(PosFlagsModbus.limits), POS_LIMITS), onoff(FLAGS, bit_of(PosFlagsModbus.torque), POS_TORQUE),
         enum_bit(FLAGS, bit_of(PosFlagsModbus.rounding), RoundingCombo, ROUNDING), num(676),
         onoff(FLAGS, bit_of(PosFlagsModbus.input1), POS_INPUT1),
         sec({{"Dati Posizione", "Position Data", "Données Position"}}), enumr(668, MdbProfileCombo), num(616), num(660),
         num(620), num(624), num(628), num(672),
         sec(HOMING), homing(712), num(700), num(704), num(708),
         sec({{"Jog Posizione", "Jog Position", "Jog Position"}}), num(664), num(652), num(656)});
    PrintSectionReservedSetup(r);
}

void Print_list_canopen_profile(const DriveRecord* record, uint8_t context)
{
    if (record == nullptr)
        return;
    const DriveRecord& r = *record;
    constexpr uint16_t p = PrintBus::Canopen;
    PrintSectionDrive(r, p);
    PrintTitleLine(QStringLiteral("CanOpen DS301"));
    identity_section(context);
    run(r, p,
        {sec({{"Dati Comunicazione", "Communication Data", "Données Communication"}}), reported(LiveLoc::CobIdSync, 8),
         num(1576), num(1578), hex(1584, 8), hex(1588, 8), hex(1580, 8),
         sec({{"DS301 Allarmi", "DS301 Alarms", "DS301 Alarmes"}}), hex(1536, 2), num(1572)},
        context == 0);
    error_history(r);
    for (unsigned i = 0; i < 4; ++i)
        PrintSectionRpdo(r, i);
    for (unsigned i = 0; i < 4; ++i)
        PrintSectionTpdo(r, i);
    PrintTitleLine(QStringLiteral("CanOpen 402"));
    ds402_rows(r, context == 0);
    PrintSectionReservedSetup(r);
}
