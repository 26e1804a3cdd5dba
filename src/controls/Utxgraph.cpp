#include "controls/Utxgraph.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QVariant>

#include "controls/FlowPanel.h"
#include "controls/Graph_draw.h"
#include "drivedata/Globvar.h"
#include "drivedata/Messaggi.h"
#include "drivedata/Record.h"
#include "drivedata/Utx.h"

const char PdoTypeClassText[3][7][25] = {
    {"(Aciclica-Sync)", "(Ciclica-Sync)", "---", "(Sync-RTR)", "(Async-RTR)", "(Async-Munfact)", "(Async-Device)"},
    {"(Acyclic-Sync)", "(Cyclic-Sync)", "---", "(Sync-RTR)", "(Async-RTR)", "(Async-Munfact)", "(Async-Device)"},
    {"(Acyclique-Sync)", "(Cyclique-Sync)", "---", "(Sync-RTR)", "(Async-RTR)", "(Async-Munfact)", "(Async-Device)"},
};

namespace {

constexpr uint16_t BUS_MODBUS = 1;
constexpr uint16_t BUS_CANOPEN = 2;
constexpr uint16_t MOTOR_LINEAR = 1;
constexpr uint16_t TAG_BUF = 30;

unsigned language() { return LanguageIndex < 3 ? LanguageIndex : 0; }

bool has_text(const char* s) { return s != nullptr && s[0] != '\0'; }

uint16_t slot_word(uint8_t slot, std::size_t ofs) { return Rec_get<uint16_t>(DriveRecordBank[slot & 3], ofs); }

// Copies text into buf (zero-filled first) when it fits with its terminating zero.
void put_text(const std::string& text, char* buf, uint16_t size)
{
    if (buf == nullptr || size == 0)
        return;
    std::memset(buf, 0, size);
    if (text.size() < size)
        std::memcpy(buf, text.data(), text.size());
}

std::string hex4(unsigned v)
{
    char s[8];
    std::snprintf(s, sizeof s, "%04X", v & 0xFFFFu);
    return s;
}

// "[0102h] " or "[0102h,0103h] " for a register pair.
std::string modbus_tag(const BusObjectEntry& e)
{
    if (BusFlag_pair(e.flags) == 1)
        return "[" + hex4(e.index) + "h," + hex4(e.index + 1u) + "h] ";
    return "[" + hex4(e.index) + "h] ";
}

std::string address_tag(const BusObjectEntry& e, uint16_t bus_type)
{
    if (bus_type == BUS_MODBUS)
        return modbus_tag(e);
    if (bus_type == BUS_CANOPEN)
        return "[" + hex4(e.index) + "h," + std::to_string(e.subindex) + "] ";
    return {};
}

// Unit shown for the entry in data set `slot`, or nullptr.
const char* entry_unit(const BusObjectEntry& e, uint8_t slot)
{
    if (slot_word(slot, RecOfs::MotorType) == MOTOR_LINEAR && has_text(e.unit_linear))
        return e.unit_linear;
    return has_text(e.unit) ? e.unit : nullptr;
}

QString unit_part(const char* unit)
{
    return has_text(unit) ? QStringLiteral(" [") + QString::fromUtf8(unit) + QLatin1Char(']') : QString();
}

// Tag of the field for the data set, with its entry; false when the field has no entry.
bool caption_tag(Loc field, uint8_t slot, QString& tag, const BusObjectEntry*& entry)
{
    const BusLookup r = Busx_find_slot(field, slot);
    if (!r.found())
        return false;
    char buf[TAG_BUF];
    Utxgraph_address_tag(r.table, r.index, buf, sizeof buf, slot);
    tag = QString::fromUtf8(buf);
    entry = r.entry();
    return true;
}

void set_caption_from_dictionary(Loc field, QWidget* control, uint8_t slot)
{
    QString text;
    const BusObjectEntry* e = nullptr;
    if (!caption_tag(field, slot, text, e))
        return;
    const char* name = e->caption[language()];
    if (name != nullptr)
        text += QString::fromUtf8(name);
    Utxgraph_set_text(control, text + unit_part(entry_unit(*e, slot)));
}

void set_caption_with_text(Loc field, QWidget* control, const char* name, const char* unit, uint8_t slot)
{
    QString text;
    const BusObjectEntry* e = nullptr;
    if (!caption_tag(field, slot, text, e))
        return;
    if (name != nullptr)
        text += QString::fromUtf8(name);
    Utxgraph_set_text(control, text + unit_part(unit));
}

// ---- appliers ----

// Outcome of the rule, or NoEntry; applies the enabled state and text colour when there is one.
bool apply_plain(Loc field, QWidget* control, uint16_t access)
{
    if (control == nullptr)
        return false;
    const EditDecision d = Utxgraph_edit_rule(field, access);
    if (d != EditDecision::NoEntry) {
        const UtxAccessLook& look = Utxgraph_access_look(d);
        control->setEnabled(look.enabled);
        Graph_set_text_colour(control, look.text);
    }
    return control->isEnabled();
}

// ---- update functions ----

enum class ValueText { Signed, Unsigned, Hex };

uint32_t read_unsigned(const void* p, uint16_t size)
{
    switch (size) {
    case 1: return *static_cast<const uint8_t*>(p);
    case 2: {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    default: {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    }
}

int32_t read_signed(const void* p, uint16_t size)
{
    const uint32_t u = read_unsigned(p, size);
    switch (size) {
    case 1: return static_cast<int8_t>(u);
    case 2: return static_cast<int16_t>(u);
    default: return static_cast<int32_t>(u);
    }
}

QString value_text(const void* p, uint16_t size, ValueText how)
{
    switch (how) {
    case ValueText::Signed: return QString::number(read_signed(p, size));
    case ValueText::Unsigned: return QString::number(read_unsigned(p, size));
    case ValueText::Hex:
        return QString::number(read_unsigned(p, size), 16).toUpper().rightJustified(2 * size, QLatin1Char('0')) +
               QLatin1Char('h');
    }
    return {};
}

void update_value(void* stored, const void* received, QWidget* control, uint16_t size, ValueText how)
{
    if (Utxgraph_copy_on_change(stored, received, size) && control != nullptr)
        Utxgraph_set_text(control, value_text(stored, size, how));
}

void update_value(Loc stored, Loc received, QWidget* control, uint16_t size, ValueText how)
{
    update_value(Loc_ptr_n(stored, size), Loc_ptr_n(received, size), control, size, how);
}

}  // namespace

// ---- edit rule ----

EditDecision Utxgraph_edit_rule(Loc field, uint16_t access)
{
    uint8_t kind = 0;
    uint16_t flags = 0;
    const bool found = get_bus_ob_flg(field, &kind, &flags) != 0;
    return Busx_edit_decision(found, kind, flags, access, DriveUiFlags.load(std::memory_order_acquire));
}

uint8_t Utxgraph_is_editable(Loc field, uint16_t access)
{
    return Utxgraph_edit_rule(field, access) == EditDecision::Editable ? 1 : 0;
}

const UtxAccessLook& Utxgraph_access_look(EditDecision decision)
{
    static const UtxAccessLook link_not_ready{false, clInactiveCaption, clInactiveCaption};
    static const UtxAccessLook field_bus_lock{false, clInactiveCaption, clNavy};
    static const UtxAccessLook level_lock{false, clInactiveCaption, clBlack};
    static const UtxAccessLook editable{true, clWindowText, clBlack};
    switch (decision) {
    case EditDecision::Editable: return editable;
    case EditDecision::LevelLock: return level_lock;
    case EditDecision::FieldBusLock: return field_bus_lock;
    case EditDecision::LinkNotReady:
    case EditDecision::NoEntry: break;
    }
    return link_not_ready;
}

bool Utxgraph_enable_panel(Loc field, QWidget* panel, uint16_t access) { return apply_plain(field, panel, access); }

bool Utxgraph_enable_check(Loc field, QCheckBox* check, uint16_t access) { return apply_plain(field, check, access); }

bool Utxgraph_enable_button(Loc field, QWidget* button, uint16_t access) { return apply_plain(field, button, access); }

bool Utxgraph_enable_combo(Loc field, QComboBox* combo, QWidget* caption, uint16_t access)
{
    if (combo == nullptr)
        return false;
    const EditDecision d = Utxgraph_edit_rule(field, access);
    if (d != EditDecision::NoEntry) {
        const UtxAccessLook& look = Utxgraph_access_look(d);
        combo->setEnabled(look.enabled);
        Graph_set_text_colour(combo, look.text);
        if (caption != nullptr)
            Graph_set_text_colour(caption, look.caption);
    }
    return combo->isEnabled();
}

bool Utxgraph_enable_scrollbar(Loc field, QScrollBar* bar, uint16_t access)
{
    if (bar == nullptr)
        return false;
    const EditDecision d = Utxgraph_edit_rule(field, access);
    if (d != EditDecision::NoEntry)
        bar->setEnabled(Utxgraph_access_look(d).enabled);
    return bar->isEnabled();
}

// ---- tags and captions ----

void Utxgraph_address_tag(const BusObjectEntry* table, int32_t index, char* buf, uint16_t size, uint8_t slot)
{
    if (buf == nullptr || size == 0)
        return;
    std::memset(buf, 0, size);
    if (table == nullptr || index < 0 || slot > 3)
        return;
    put_text(address_tag(table[index], slot_word(slot, RecOfs::BusType)), buf, size);
}

char* Utxgraph_tag_text(Loc field, const char* text, char* buf, uint16_t size, uint8_t slot)
{
    if (buf == nullptr || size == 0)
        return buf;
    std::memset(buf, 0, size);
    const BusLookup r = Busx_find_slot(field, slot);
    if (!r.found())
        return buf;
    const BusObjectEntry& e = *r.entry();
    const uint16_t bus_type = slot_word(slot, RecOfs::BusType);
    std::string out;
    if (bus_type == BUS_MODBUS)
        out = modbus_tag(e);
    else if (bus_type == BUS_CANOPEN)
        out = "[" + hex4(e.index) + "h] ";
    if (text != nullptr)
        out += text;
    put_text(out, buf, size);
    return buf;
}

void Utxgraph_set_caption(Loc field, QWidget* control, uint8_t slot)
{
    set_caption_from_dictionary(field, control, slot);
}

void Utxgraph_set_caption2(Loc field, QWidget* control, uint8_t slot)
{
    set_caption_from_dictionary(field, control, slot);
}

void Utxgraph_set_caption_txt(Loc field, QWidget* control, const char* name, const char* unit, uint8_t slot)
{
    set_caption_with_text(field, control, name, unit, slot);
}

void Utxgraph_set_caption_txt2(Loc field, QWidget* control, const char* name, const char* unit, uint8_t slot)
{
    set_caption_with_text(field, control, name, unit, slot);
}

void Utxgraph_set_caption_txt3(Loc field, QWidget* control, const char* name, const char* unit, uint8_t slot)
{
    set_caption_with_text(field, control, name, unit, slot);
}

void Utxgraph_set_text(QWidget* control, const QString& text)
{
    if (control == nullptr || Utxgraph_text(control) == text)
        return;
    if (auto* p = qobject_cast<FlowPanel*>(control))
        p->setCaption(text);
    else if (auto* l = qobject_cast<QLabel*>(control))
        l->setText(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(control))
        b->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(control))
        g->setTitle(text);
    else if (auto* e = qobject_cast<QLineEdit*>(control))
        e->setText(text);
    else
        control->setProperty("text", text);
}

QString Utxgraph_text(const QWidget* control)
{
    if (control == nullptr)
        return {};
    if (auto* p = qobject_cast<const FlowPanel*>(control))
        return p->caption();
    if (auto* l = qobject_cast<const QLabel*>(control))
        return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(control))
        return b->text();
    if (auto* g = qobject_cast<const QGroupBox*>(control))
        return g->title();
    if (auto* e = qobject_cast<const QLineEdit*>(control))
        return e->text();
    return control->property("text").toString();
}

QString Utxgraph_drive_text(const char (&area)[32])
{
    return QString::fromLatin1(area, static_cast<qsizetype>(strnlen(area, sizeof area)));
}

// ---- update functions ----

bool Utxgraph_copy_on_change(void* stored, const void* received, uint16_t size)
{
    if (stored == nullptr || received == nullptr || (size != 1 && size != 2 && size != 4))
        return false;
    if (std::memcmp(stored, received, size) == 0)
        return false;
    std::memmove(stored, received, size);
    return true;
}

void Utxgraph_update_int(void* stored, const void* received, QWidget* control, uint16_t size)
{
    update_value(stored, received, control, size, ValueText::Signed);
}

void Utxgraph_update_uint(void* stored, const void* received, QWidget* control, uint16_t size)
{
    update_value(stored, received, control, size, ValueText::Unsigned);
}

void Utxgraph_update_hex(void* stored, const void* received, QWidget* control, uint16_t size)
{
    update_value(stored, received, control, size, ValueText::Hex);
}

void Utxgraph_update_int(Loc stored, Loc received, QWidget* control, uint16_t size)
{
    update_value(stored, received, control, size, ValueText::Signed);
}

void Utxgraph_update_uint(Loc stored, Loc received, QWidget* control, uint16_t size)
{
    update_value(stored, received, control, size, ValueText::Unsigned);
}

void Utxgraph_update_hex(Loc stored, Loc received, QWidget* control, uint16_t size)
{
    update_value(stored, received, control, size, ValueText::Hex);
}

void Utxgraph_update_pdo_type(uint8_t* stored, const uint8_t* received, QWidget* control)
{
    if (!Utxgraph_copy_on_change(stored, received, 1) || control == nullptr)
        return;
    const uint8_t cls = Messaggi_pdo_type_class(*stored);
    Utxgraph_set_text(control, QString::number(*stored) + QStringLiteral(" - ") +
                                   QString::fromUtf8(PdoTypeClassText[language()][cls < 7 ? cls : 2]));
}

void Utxgraph_update_pdo_type(Loc stored, Loc received, QWidget* control)
{
    Utxgraph_update_pdo_type(Loc_ptr(stored), Loc_ptr(received), control);
}

// ---- word bit table ----

namespace {

constexpr int BITS_HEADER_HEIGHT = 18;
constexpr int BITS_ROW_TOP = 19;
constexpr int BITS_ROW_PITCH = 15;
constexpr int BITS_NUMBER_RIGHT = 18;
constexpr int BITS_STATE_RIGHT = 36;

struct BitLook {
    bool bold;
    QColor text;
    QColor face;
};

BitLook bit_look(bool set, uint8_t enabled, bool used)
{
    BitLook look{false, clGray, clWhite};
    if (enabled != 0)
        look = set ? BitLook{true, clBlue, bgr(0xFBFAEA)} : BitLook{false, clBlack, clWhite};
    const bool answers = (Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Answers) != 0;
    if (!used || !answers)
        look.text = clGray;
    return look;
}

void draw_cell(Canvas& c, const DrawRect& r, bool bold, const QColor& text, const QColor& face, uint8_t raised,
               uint8_t align, const QString& s)
{
    c.font.setBold(bold);
    c.font_colour = text;
    Graph_draw_button(c, r, face, 1, raised, 0, align, s);
}

}  // namespace

void Utxgraph_draw_word_bits(ImageBox* box, uint16_t word, const BitNameRow* table, uint8_t enabled)
{
    if (box == nullptr || table == nullptr)
        return;
    Canvas& c = box->canvas();
    const int width = box->image().width();
    Graph_draw_fill(c, clBtnFace);

    char bits[24];
    Utx_bits_to_text(word, 16, bits, sizeof bits);
    c.font.setBold(false);
    c.font_colour = clBlack;
    Graph_draw_button(c, {0, 0, width, BITS_HEADER_HEIGHT}, bgr(0xE3FDF9), 2, 1, 1, AlignCentre,
                      QString::fromLatin1(bits));

    for (int i = 0; i < 16; ++i) {
        const int y = BITS_ROW_TOP + BITS_ROW_PITCH * i;
        const BitNameRow& row = table[i];
        const bool set = (word >> i) & 1u;
        const BitLook look = bit_look(set, enabled, row.used != 0);
        const char* name = row.name[language()];
        draw_cell(c, {0, y, BITS_NUMBER_RIGHT, y + BITS_ROW_PITCH}, true, clBlack, clBtnFace, 1, AlignCentre,
                  QString::number(i));
        draw_cell(c, {BITS_NUMBER_RIGHT, y, BITS_STATE_RIGHT, y + BITS_ROW_PITCH}, look.bold, look.text, look.face, 0,
                  AlignCentre, set ? QStringLiteral("1") : QStringLiteral("0"));
        draw_cell(c, {BITS_STATE_RIGHT, y, width, y + BITS_ROW_PITCH}, false, look.text, clBtnFace, 1, AlignLeft,
                  QString::fromUtf8(name, static_cast<qsizetype>(strnlen(name, sizeof row.name[0]))));
    }
    c.font.setBold(false);
    box->update();
}
