#include "pages/fieldbus/Fieldbus_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstring>

#include "controls/FlowPanel.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"

// ---- field combos ----

int32_t Field_combo_value(const FieldCombo& c, uint8_t ctx)
{
    const uint8_t* p = DriveRecordBank[ctx & 1].b + c.ofs;
    if (c.size == 1)
        return c.is_signed ? static_cast<int8_t>(p[0]) : p[0];
    uint16_t v;
    std::memcpy(&v, p, 2);
    return c.is_signed ? static_cast<int16_t>(v) : v;
}

namespace {

void set_value(const FieldCombo& c, uint8_t ctx, int32_t value)
{
    uint8_t* p = DriveRecordBank[ctx & 1].b + c.ofs;
    if (c.size == 1) {
        p[0] = static_cast<uint8_t>(value);
    } else {
        const auto v = static_cast<uint16_t>(value);
        std::memcpy(p, &v, 2);
    }
}

void select(ParamPage& page, uint8_t ctx, const FieldCombo& c)
{
    if (auto* combo = page.find<QComboBox>(ctx, c.combo)) {
        const QSignalBlocker quiet(combo);
        combo->setCurrentIndex(Field_combo_index(c, ctx));
    }
}

}  // namespace

int Field_combo_index(const FieldCombo& c, uint8_t ctx)
{
    const int32_t v = Field_combo_value(c, ctx);
    const int i = c.to_index != nullptr ? c.to_index(v) : Combo_index_of(*c.items, v);
    return i >= 0 && i < c.items->count ? i : -1;
}

void Field_combo_change(ParamPage& page, const FieldCombo& c, int index)
{
    const uint16_t pc = PageContext.load();
    if (page.ready() != 1 || pc > 1 || index < 0 || index >= c.items->count)
        return;
    int32_t value = 0;
    if (c.to_value != nullptr) {
        if (!c.to_value(index, &value))
            return;
    } else {
        value = Combo_value_of(*c.items, index);
    }
    set_value(c, static_cast<uint8_t>(pc), value);
    if (pc == 0)
        Sertx_write_var(RecLoc(c.ofs));
}

FlowPanel* Field_combo_build(ParamPage& page, const FieldCombo& c, QWidget* parent, QBoxLayout* layout)
{
    FlowPanel* panel = Page_flow(parent, layout, c.panel);
    auto* combo = Page_combo(panel, c.combo);
    if (c.change != nullptr)
        QObject::connect(combo, &QComboBox::activated, combo, c.change);
    else
        QObject::connect(combo, &QComboBox::activated, combo, [&page, &c](int i) { Field_combo_change(page, c, i); });
    return panel;
}

// ---- builders ----

QGroupBox* Fieldbus_group(QWidget* parent, QBoxLayout* layout, const char* name, QVBoxLayout** column)
{
    QGroupBox* box = Page_group(parent, layout, name);
    auto* c = new QVBoxLayout(box);
    if (column != nullptr)
        *column = c;
    return box;
}

void Fieldbus_move(QWidget* box, const char* panel, QBoxLayout* layout)
{
    auto* p = box->findChild<FlowPanel*>(QString::fromLatin1(panel));
    if (p == nullptr || layout == nullptr)
        return;
    p->setParent(layout->parentWidget());
    layout->addWidget(p);
}

void Fieldbus_live_row(QWidget* parent, QBoxLayout* layout, const char* caption, const char* value)
{
    auto* row = new QHBoxLayout;
    row->addWidget(Page_label(parent, nullptr, caption), 1);
    QLabel* v = Page_label(parent, nullptr, value);
    v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    v->setMinimumWidth(90);
    v->setFrameShape(QFrame::Panel);
    v->setFrameShadow(QFrame::Sunken);
    row->addWidget(v);
    layout->addLayout(row);
}

QCheckBox* Fieldbus_check_row(QWidget* parent, QBoxLayout* layout, const char* check, const char* on_off,
                              const char* hex)
{
    auto* row = new QHBoxLayout;
    auto* box = new QCheckBox(parent);
    box->setObjectName(QString::fromLatin1(check));
    row->addWidget(box, 1);
    row->addWidget(Page_label(parent, nullptr, on_off));
    if (hex != nullptr)
        row->addWidget(Page_label(parent, nullptr, hex));
    layout->addLayout(row);
    return box;
}

void Fieldbus_live_rows(const PageSpec& spec, const LiveCaption* captions, QWidget* parent, QBoxLayout* layout,
                        uint16_t first, uint16_t count)
{
    for (uint16_t i = first; i < spec.live_count && i - first < count; ++i)
        Fieldbus_live_row(parent, layout, captions[i].panel, spec.lives[i].label);
}

void Fieldbus_check_rows(const PageSpec& spec, QWidget* parent, QBoxLayout* layout)
{
    for (uint16_t i = 0; i < spec.bit_count; ++i)
        if (!spec.bits[i].combo)
            Fieldbus_check_row(parent, layout, spec.bits[i].control, spec.bits[i].on_off, spec.bits[i].hex_label);
}

// ---- the unit's tables ----

int Fieldbus_modbus_list(uint16_t bus_type) { return bus_type <= 1 ? 0 : -1; }
int Fieldbus_canopen_list(uint16_t bus_type) { return bus_type == 2 ? 0 : -1; }

void Fieldbus_refresh(const FieldbusUnit& u, ParamPage& page, uint8_t ctx)
{
    for (uint16_t i = 0; i < u.combo_count; ++i)
        select(page, ctx, u.combos[i]);
}

namespace {

QString text_of(const char* const (&text)[3]) { return QString::fromUtf8(text[Lang_index()]); }

// Tag of the entry with `key` that holds var (a value with two key pairs), its name and unit.
void caption_by_key(Loc var, uint16_t key, QWidget* panel, uint8_t ctx)
{
    const BusLookup found = Busx_find(Rec_get<uint16_t>(DriveRecordBank[ctx & 1], RecOfs::BusType), var);
    if (!found.found())
        return;
    for (uint16_t i = 0; i < found.count; ++i) {
        const BusObjectEntry& e = found.table[i];
        if (e.var != var || e.index != key)
            continue;
        char tag[30];
        Utxgraph_address_tag(found.table, i, tag, sizeof tag, ctx);
        QString text = QString::fromLatin1(tag);
        if (e.caption[Lang_index()] != nullptr)
            text += QString::fromUtf8(e.caption[Lang_index()]);
        if (e.unit != nullptr && *e.unit != '\0')
            text += QStringLiteral(" [") + QString::fromUtf8(e.unit) + QLatin1Char(']');
        Utxgraph_set_text(panel, text);
        return;
    }
}

}  // namespace

void Fieldbus_set_language(const FieldbusUnit& u, ParamPage& page, uint8_t ctx)
{
    const bool known = ParamPage::bus_known(ctx);
    for (uint16_t i = 0; i < u.combo_count; ++i) {
        const FieldCombo& c = u.combos[i];
        Combo_fill(page.find<QComboBox>(ctx, c.combo), *c.items);
        select(page, ctx, c);
        if (known)
            Utxgraph_set_caption(SlotLoc(ctx, c.ofs), page.find<QWidget>(ctx, c.panel), ctx);
    }
    for (uint16_t i = 0; i < u.bit_combo_count; ++i)
        Combo_fill(page.find<QComboBox>(ctx, u.bit_combos[i].combo), *u.bit_combos[i].items);
    if (u.bit_combo_count != 0) {
        const uint8_t was = page.ready();
        page.set_ready(0);
        page.step_show_bits(ctx);
        page.set_ready(was);
    }
    for (uint16_t i = 0; i < u.text_count; ++i) {
        QWidget* w = page.find<QWidget>(ctx, u.texts[i].control);
        QWidget* stack = w != nullptr ? w->parentWidget() : nullptr;
        auto* tabs = stack != nullptr ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
        if (tabs != nullptr && tabs->indexOf(w) >= 0)
            tabs->setTabText(tabs->indexOf(w), text_of(u.texts[i].text));
        else
            Utxgraph_set_text(w, text_of(u.texts[i].text));
    }
    for (uint16_t i = 0; i < u.hint_count; ++i)
        if (QWidget* w = page.find<QWidget>(ctx, u.hints[i].control))
            w->setToolTip(text_of(u.hints[i].text));
    if (!known)
        return;
    for (uint16_t i = 0; i < u.flag_count; ++i) {
        const FlagCaption& f = u.flags[i];
        Utxgraph_set_caption_txt(SlotLoc(ctx, f.ofs), page.find<QWidget>(ctx, f.control), f.text[Lang_index()],
                                 nullptr, ctx);
    }
    if (u.live_captions == nullptr)
        return;
    const PageSpec& spec = page.spec();
    for (uint16_t i = 0; i < spec.live_count; ++i) {
        const LiveCaption& l = u.live_captions[i];
        QWidget* panel = page.find<QWidget>(ctx, l.panel);
        if (l.key != 0)
            caption_by_key(spec.lives[i].value, l.key, panel, ctx);
        else
            Utxgraph_set_caption(spec.lives[i].value, panel, ctx);
    }
}

void Fieldbus_set_access(const FieldbusUnit& u, ParamPage& page, uint8_t state)
{
    const bool known = ParamPage::bus_known(0);
    for (uint16_t i = 0; i < u.combo_count; ++i) {
        const FieldCombo& c = u.combos[i];
        auto* combo = page.find<QComboBox>(0, c.combo);
        if (known)
            Utxgraph_enable_combo(RecLoc(c.ofs), combo, page.find<QWidget>(0, c.panel), state);
        else if (combo != nullptr)
            combo->setEnabled(false);
    }
    if (!known)
        return;
    const PageSpec& spec = page.spec();
    for (uint16_t i = 0; i < u.bit_combo_count; ++i)
        for (uint16_t b = 0; b < spec.bit_count; ++b)
            if (std::strcmp(spec.bits[b].control, u.bit_combos[i].combo) == 0)
                Utxgraph_enable_combo(RecLoc(spec.bits[b].ofs), page.find<QComboBox>(0, u.bit_combos[i].combo),
                                      page.find<QWidget>(0, u.bit_combos[i].panel), state);
}

void Fieldbus_copy_combos(const FieldbusUnit& u, ParamPage& page)
{
    for (uint16_t i = 0; i < u.combo_count; ++i) {
        const FieldCombo& c = u.combos[i];
        if (page.copy_polled(c.ofs, c.size))
            select(page, 0, c);
    }
}
