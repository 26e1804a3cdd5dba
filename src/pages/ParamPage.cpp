#include "pages/ParamPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QGroupBox>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <cstring>

#include "controls/Utx_combo.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "link/Serrx.h"
#include "platform/Tick.h"

namespace {

uint16_t bus_type_of(uint8_t slot)
{
    return Rec_get<uint16_t>(DriveRecordBank[slot & 1], RecOfs::BusType);
}

template <typename T>
MemoUpDwxBase* make_edit(const FieldSpec& f, FlowPanel* panel, uint8_t ctx)
{
    MemoUpDwx_check_fn check;
    if (f.check != nullptr)
        check = f.check;
    auto* e = new MemoUpDwx<T>(panel, SlotLoc(ctx, f.ofs), ctx, f.max, f.min, f.decimals, f.width, 0,
                               Sertx_write_var, std::move(check));
    e->zero_excluded = f.zero_excluded;
    return e;
}

template <typename T>
void delete_edit(MemoUpDwxBase* e)
{
    delete static_cast<MemoUpDwx<T>*>(e);
}

struct EditMaker {
    MemoUpDwxBase* (*make)(const FieldSpec&, FlowPanel*, uint8_t);
    void (*free)(MemoUpDwxBase*);
};
// By EditType.
constexpr EditMaker EDIT_MAKERS[] = {
    {make_edit<uint8_t>, delete_edit<uint8_t>},   {make_edit<int16_t>, delete_edit<int16_t>},
    {make_edit<uint16_t>, delete_edit<uint16_t>}, {make_edit<int32_t>, delete_edit<int32_t>},
    {make_edit<uint32_t>, delete_edit<uint32_t>},
};

}  // namespace

int Combo_index_of(const ComboSpec& spec, int32_t value)
{
    for (uint16_t i = 0; i < spec.count; ++i)
        if ((spec.values != nullptr ? spec.values[i] : i) == value)
            return i;
    return -1;
}

int32_t Combo_value_of(const ComboSpec& spec, int index)
{
    if (index < 0 || index >= spec.count)
        return -1;
    return spec.values != nullptr ? spec.values[index] : index;
}

void Combo_fill(QComboBox* combo, const ComboSpec& spec)
{
    if (combo == nullptr)
        return;
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (uint16_t i = 0; i < spec.count; ++i)
        combo->addItem(QString::fromUtf8(spec.items[Lang_index()][i]));
}

void Combo_select(QComboBox* combo, const ComboSpec& spec, int32_t value)
{
    if (combo == nullptr)
        return;
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(Combo_index_of(spec, value));
}

ParamPage::ParamPage(const PageSpec& spec) : spec_(spec) {}

ParamPage::~ParamPage()
{
    free_edits(0);
    free_edits(1);
}

void ParamPage::free_edits(uint8_t ctx)
{
    for (uint16_t i = 0; i < spec_.field_count && i < MAX_FIELDS; ++i) {
        if (edits_[ctx][i] != nullptr)
            EDIT_MAKERS[static_cast<int>(spec_.fields[i].type)].free(edits_[ctx][i]);
        edits_[ctx][i] = nullptr;
    }
}

bool ParamPage::bus_known(uint8_t slot) { return bus_type_of(slot) <= 2; }

MemoUpDwxBase* ParamPage::edit(uint8_t ctx, int index) const
{
    if (ctx > 1 || index < 0 || index >= spec_.field_count || index >= MAX_FIELDS)
        return nullptr;
    return edits_[ctx][index];
}

MemoUpDwxBase* ParamPage::edit_of(uint8_t ctx, uint16_t ofs) const
{
    for (uint16_t i = 0; i < spec_.field_count; ++i)
        if (spec_.fields[i].ofs == ofs)
            return edit(ctx, i);
    return nullptr;
}

// ---- entry points ----

void ParamPage::create(uint8_t ctx, QWidget* parent)
{
    if (ctx > 1)
        return;
    ready_ = 0;
    if (ctx == 0) {
        fill_lists();
        sent_list_ = -1;  // values read before this Create are not taken
    }
    if (!frame_[ctx])
        build_frame(ctx, parent);
    frame_[ctx]->setParent(parent);
    frame_[ctx]->show();
    creating_ = true;
    if (spec_.hooks.create_steps != nullptr) {
        spec_.hooks.create_steps(*this, ctx);
    } else {
        refresh(ctx);
        set_language(ctx);
        if (ctx == 0)
            set_access(Page_edit_state());
    }
    creating_ = false;
    if (ctx == 0 && spec_.hooks.stamp_at_create)
        stamp_ = Tick_ms();
    ready_ = 1;
}

void ParamPage::destroy(uint8_t ctx)
{
    if (ctx > 1 || !frame_[ctx])
        return;
    free_edits(ctx);
    if (spec_.hooks.unbuild != nullptr)
        spec_.hooks.unbuild(*this, ctx);
    delete frame_[ctx].data();
    frame_[ctx] = nullptr;
}

void ParamPage::refresh(uint8_t ctx)
{
    if (ctx > 1 || !frame_[ctx])
        return;
    ready_ = 0;
    if (spec_.hooks.refresh_steps != nullptr)
        spec_.hooks.refresh_steps(*this, ctx);
    else
        step_refresh(ctx);
    ready_ = creating_ ? 0 : 1;
}

void ParamPage::step_refresh(uint8_t ctx)
{
    step_show_edits(ctx);
    step_show_bits(ctx);
    step_show_lives(ctx);
    if (spec_.hooks.refresh != nullptr)
        spec_.hooks.refresh(*this, ctx);
    step_timer(ctx);
}

void ParamPage::step_show_edits(uint8_t ctx)
{
    for (uint16_t i = 0; i < spec_.field_count && i < MAX_FIELDS; ++i)
        if (edits_[ctx & 1][i])
            edits_[ctx & 1][i]->show();
}

void ParamPage::step_timer(uint8_t ctx)
{
    if (QTimer* t = find<QTimer>(ctx, "Timer_com")) {
        if (ctx == 0) {
            t->setInterval(static_cast<int>(spec_.hooks.timer_ms));
            t->start();
        } else {
            t->stop();
        }
    }
}

void ParamPage::set_language(uint8_t ctx)
{
    if (ctx > 1 || !frame_[ctx])
        return;
    if (spec_.hooks.language_steps != nullptr)
        spec_.hooks.language_steps(*this, ctx);
    else
        step_set_language(ctx);
}

void ParamPage::step_set_language(uint8_t ctx)
{
    step_title(ctx);
    step_caption_edits(ctx);
    if (spec_.hooks.set_language != nullptr)
        spec_.hooks.set_language(*this, ctx);
}

void ParamPage::step_title(uint8_t ctx)
{
    if (auto* box = find<QGroupBox>(ctx, spec_.group_box))
        box->setTitle(QString::fromUtf8(spec_.title[Lang_index()]));
}

void ParamPage::step_caption_edits(uint8_t ctx)
{
    if (!bus_known(ctx) || !spec_.hooks.edit_captions)
        return;
    for (uint16_t i = 0; i < spec_.field_count && i < MAX_FIELDS; ++i)
        if (edits_[ctx & 1][i])
            edits_[ctx & 1][i]->set_language(ctx);
}

void ParamPage::set_access(uint8_t)
{
    if (!frame_[0])
        return;
    const uint8_t state = Page_edit_state();
    if (spec_.hooks.access_steps != nullptr)
        spec_.hooks.access_steps(*this, state);
    else
        step_set_access(state);
}

void ParamPage::step_set_access(uint8_t state)
{
    if (!spec_.hooks.own_access)
        step_access_edits(state);
    if (spec_.hooks.set_access != nullptr)
        spec_.hooks.set_access(*this, state);
}

void ParamPage::step_access_edits(uint8_t state)
{
    const bool known = bus_known();
    for (uint16_t i = 0; i < spec_.field_count && i < MAX_FIELDS; ++i) {
        MemoUpDwxBase* e = edits_[0][i];
        if (e == nullptr)
            continue;
        if (known) {
            e->set_access(state);
        } else {
            e->memo()->setEnabled(false);
            e->updown()->setEnabled(false);
        }
    }
    for (uint16_t i = 0; i < spec_.bit_count; ++i) {
        const BitSpec& b = spec_.bits[i];
        if (!known) {
            if (auto* w = find<QWidget>(0, b.control))
                w->setEnabled(false);
        } else if (b.combo) {
            Utxgraph_enable_combo(RecLoc(b.ofs), find<QComboBox>(0, b.control), nullptr, state);
        } else {
            Utxgraph_enable_check(RecLoc(b.ofs), find<QCheckBox>(0, b.control), state);
        }
    }
}

namespace {
// A frame not shown yet at the size its contents ask for, its layout applied to it: until it is
// first shown, its children keep the geometry of its first layout pass.
void lay_out(QWidget* frame)
{
    frame->adjustSize();
    if (QLayout* layout = frame->layout()) {
        layout->invalidate();
        layout->activate();
    }
}
}  // namespace

void ParamPage::get_size(uint8_t ctx, PageSize* out)
{
    if (ctx > 1 || !frame_[ctx] || out == nullptr)
        return;
    if (QWidget* panel = find<QWidget>(ctx, "Panel_frm")) {
        if (!frame_[ctx]->isVisible())
            lay_out(frame_[ctx]);
        out->height = panel->height();
        out->width = panel->width();
    } else if (spec_.hooks.size != nullptr) {
        *out = spec_.hooks.size(*this, ctx);
    }
}

void ParamPage::show_values(uint8_t ctx)
{
    if (ctx > 1 || !frame_[ctx])
        return;
    const uint8_t was = ready_;
    ready_ = 0;
    step_show_edits(ctx);
    ready_ = was;
}

// ---- bit controls ----

QString Page_hex_text(uint32_t value, uint8_t size)
{
    const int digits = size == 1 ? 2 : size == 4 ? 8 : 4;
    const uint32_t mask = size == 4 ? 0xFFFFFFFFu : (1u << (digits * 4)) - 1;
    return QStringLiteral("%1").arg(value & mask, digits, 16, QLatin1Char('0')).toUpper() + QLatin1Char('h');
}

namespace {

uint16_t word_of(uint8_t ctx, const BitSpec& b)
{
    return b.size == 1 ? DriveRecordBank[ctx & 1].b[b.ofs] : Rec_get<uint16_t>(DriveRecordBank[ctx & 1], b.ofs);
}

void set_word(uint8_t ctx, const BitSpec& b, uint16_t v)
{
    if (b.size == 1)
        DriveRecordBank[ctx & 1].b[b.ofs] = static_cast<uint8_t>(v);
    else
        Rec_set<uint16_t>(DriveRecordBank[ctx & 1], b.ofs, v);
}

uint16_t readback_of(const BitSpec& b)
{
    return b.size == 1 ? DriveReadBack.b[b.ofs] : Rec_get<uint16_t>(DriveReadBack, b.ofs);
}

}  // namespace

void ParamPage::connect_bits(uint8_t ctx)
{
    for (uint16_t i = 0; i < spec_.bit_count; ++i) {
        const int index = i;
        if (auto* box = find<QCheckBox>(ctx, spec_.bits[i].control))
            QObject::connect(box, &QCheckBox::clicked, box, [this, index] { bit_clicked(index, -1); });
        else if (auto* combo = find<QComboBox>(ctx, spec_.bits[i].control))
            QObject::connect(combo, &QComboBox::activated, combo, [this, index](int item) { bit_clicked(index, item); });
    }
}

void ParamPage::bit_clicked(int index, int item)
{
    const uint16_t pc = PageContext.load();
    if (ready_ != 1 || pc > 1 || index < 0 || index >= spec_.bit_count)
        return;
    const auto ctx = static_cast<uint8_t>(pc);
    const BitSpec& b = spec_.bits[index];
    bool on = false;
    if (b.combo) {
        if (item < 0)
            return;
        on = item != 0;
    } else {
        auto* box = find<QCheckBox>(ctx, b.control);
        if (box == nullptr || !box->isEnabled())
            return;
        auto* label = b.on_off != nullptr ? find<QLabel>(ctx, b.on_off) : nullptr;
        on = PagesHost.get_check_on_off != nullptr ? PagesHost.get_check_on_off(box, label) != 0 : box->isChecked();
    }
    const uint16_t word = word_of(ctx, b);
    set_word(ctx, b, static_cast<uint16_t>(on ? word | b.mask : word & ~b.mask));
    show_hex(ctx, b.ofs);
    if (spec_.hooks.bit_changed != nullptr)
        spec_.hooks.bit_changed(*this, ctx, index);
    if (ctx == 0)
        Sertx_write_var(RecLoc(b.ofs));
}

void ParamPage::set_bit_control(uint8_t ctx, int index)
{
    const BitSpec& b = spec_.bits[index];
    const bool on = (word_of(ctx, b) & b.mask) != 0;
    if (b.combo) {
        if (auto* combo = find<QComboBox>(ctx, b.control)) {
            const QSignalBlocker quiet(combo);
            combo->setCurrentIndex(on ? 1 : 0);
        }
    } else if (auto* box = find<QCheckBox>(ctx, b.control)) {
        auto* label = b.on_off != nullptr ? find<QLabel>(ctx, b.on_off) : nullptr;
        const QSignalBlocker quiet(box);
        if (PagesHost.set_check_on_off != nullptr)
            PagesHost.set_check_on_off(box, label, on);
        else
            box->setChecked(on);
    }
}

void ParamPage::show_hex(uint8_t ctx, uint16_t ofs)
{
    for (uint16_t i = 0; i < spec_.bit_count; ++i) {
        const BitSpec& b = spec_.bits[i];
        if (b.ofs == ofs && b.hex_label != nullptr)
            Utxgraph_set_text(find<QWidget>(ctx, b.hex_label), Page_hex_text(word_of(ctx, b), b.size));
    }
}

void ParamPage::step_show_bits(uint8_t ctx)
{
    for (uint16_t i = 0; i < spec_.bit_count; ++i) {
        set_bit_control(ctx, i);
        show_hex(ctx, spec_.bits[i].ofs);
    }
}

void ParamPage::step_copy_bits()
{
    for (uint16_t i = 0; i < spec_.bit_count; ++i) {
        const BitSpec& b = spec_.bits[i];
        const uint16_t mask = b.copy_whole ? (b.size == 1 ? 0x00FF : 0xFFFF) : b.mask;
        const uint16_t word = word_of(0, b);
        const uint16_t got = readback_of(b);
        if (!polled(b.ofs) || ((word ^ got) & mask) == 0)
            continue;
        set_word(0, b, static_cast<uint16_t>((word & ~mask) | (got & mask)));
        for (uint16_t j = 0; j < spec_.bit_count; ++j)
            if (spec_.bits[j].ofs == b.ofs)
                set_bit_control(0, j);
        show_hex(0, b.ofs);
    }
}

// ---- live values ----

QString Live_text(Loc loc, LiveSpec::Format format, uint16_t size)
{
    const uint8_t* p = (size == 1 || size == 2 || size == 4) ? Loc_ptr_n(loc, size) : nullptr;
    if (p == nullptr)
        return QString::fromLatin1(PAGE_NO_VALUE);
    uint32_t u = 0;
    int32_t i = 0;
    switch (size) {
    case 1: u = p[0]; i = static_cast<int8_t>(p[0]); break;
    case 2: { uint16_t v; std::memcpy(&v, p, 2); u = v; i = static_cast<int16_t>(v); break; }
    default: { std::memcpy(&u, p, 4); i = static_cast<int32_t>(u); break; }
    }
    switch (format) {
    case LiveSpec::Int: return QString::number(i);
    case LiveSpec::Uint: return QString::number(u);
    default: return Page_hex_text(u, static_cast<uint8_t>(size));
    }
}

namespace {
bool drive_answers() { return (Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Answers) != 0; }
}  // namespace

void ParamPage::step_show_lives(uint8_t ctx)
{
    const bool values = ctx == 0 && drive_answers();
    for (uint16_t i = 0; i < spec_.live_count; ++i) {
        const LiveSpec& l = spec_.lives[i];
        Utxgraph_set_text(find<QWidget>(ctx, l.label), values || l.any_context ? Live_text(l.value, l.format, l.size)
                                                                               : QString::fromLatin1(PAGE_NO_VALUE));
    }
    if (ctx == 0)
        lives_shown_ = values;
}

void ParamPage::step_copy_lives()
{
    for (uint16_t i = 0; i < spec_.live_count; ++i) {
        const LiveSpec& l = spec_.lives[i];
        if (!polled(l.value))
            continue;
        using Update = void (*)(Loc, Loc, QWidget*, uint16_t);
        constexpr Update UPDATES[] = {Utxgraph_update_int, Utxgraph_update_uint, Utxgraph_update_hex};
        UPDATES[l.format](l.value, Loc_readback(l.value), find<QWidget>(0, l.label), l.size);
    }
}

// ---- frame ----

void ParamPage::build_frame(uint8_t ctx, QWidget* parent)
{
    free_edits(ctx);  // edits left by a frame its parent deleted
    auto* frame = new QWidget(parent);
    frame->setObjectName(QString::fromLatin1(spec_.frame_class));
    auto* outer = new QVBoxLayout(frame);
    outer->setContentsMargins(0, 0, 0, 0);
    QFrame* panel = nullptr;
    QGroupBox* box = nullptr;
    QVBoxLayout* fields = outer;
    FlowPanel* panels[MAX_FIELDS] = {};
    if (!spec_.hooks.bare_frame) {
        panel = new QFrame(frame);
        panel->setObjectName(QStringLiteral("Panel_frm"));
        outer->addWidget(panel);
        auto* inner = new QVBoxLayout(panel);
        box = new QGroupBox(QString::fromUtf8(spec_.title[0]), panel);
        box->setObjectName(QString::fromLatin1(spec_.group_box));
        inner->addWidget(box);
        fields = new QVBoxLayout(box);
        for (uint16_t i = 0; i < spec_.field_count && i < MAX_FIELDS; ++i) {
            panels[i] = new FlowPanel(QString::fromLatin1(spec_.fields[i].panel), box);
            panels[i]->setCaption(QString::fromUtf8(spec_.fields[i].caption));
            fields->addWidget(panels[i]);
        }
    }
    // Pages that poll or tick have the page timer, unless the unit has none.
    if (!spec_.hooks.no_timer && (spec_.list_count != 0 || spec_.hooks.tick != nullptr)) {
        auto* timer = new QTimer(frame);
        timer->setObjectName(QStringLiteral("Timer_com"));
        timer->setInterval(100);
        QObject::connect(timer, &QTimer::timeout, frame, [this] { tick(); });
    }
    frame_[ctx] = frame;
    if (spec_.hooks.build != nullptr)
        spec_.hooks.build(*this, ctx, box, fields);
    connect_bits(ctx);
    for (uint16_t i = 0; i < spec_.field_count && i < MAX_FIELDS && panels[i] != nullptr; ++i)
        edits_[ctx][i] = EDIT_MAKERS[static_cast<int>(spec_.fields[i].type)].make(spec_.fields[i], panels[i], ctx);
    Utx_fit_texts(frame);
    if (panel != nullptr)
        panel->adjustSize();
    frame->adjustSize();
}

// ---- polling ----

void ParamPage::fill_list(uint16_t l, PollItem* out) const
{
    const PollList& list = spec_.lists[l];
    for (uint16_t i = 0; i < list.count && i < SER_READ_LIST_MAX; ++i) {
        const Loc var{list.items[i].area, list.items[i].field};
        out[i] = PollItem{0, 0, var, {Loc_readback(var).area, list.items[i].readback}, 0};
    }
    if (bus_known() && (list.bus_types >> bus_type_of(0) & 1))
        Busx_fill_poll_list(out, std::min<uint16_t>(list.count, SER_READ_LIST_MAX));
    for (uint16_t i = 0; i < list.count && i < SER_READ_LIST_MAX; ++i)
        if (list.items[i].key != 0) {
            out[i].key = list.items[i].key;
            out[i].subindex = list.items[i].subindex;
        }
}

void ParamPage::fill_lists()
{
    for (uint16_t l = 0; l < spec_.list_count && l < MAX_LISTS; ++l)
        fill_list(l, items_[l].data());
}

int ParamPage::current_list() const
{
    const uint16_t bus = bus_type_of(0);
    const int l = spec_.hooks.select_list != nullptr ? spec_.hooks.select_list(bus) : 0;
    if (l < 0 || l >= spec_.list_count || l >= MAX_LISTS || bus > 2)
        return -1;
    return (spec_.lists[l].bus_types >> bus & 1) ? l : -1;  // a list is sent only on its bus types
}

const PollItem* ParamPage::next_list(uint16_t* count) const
{
    const int l = bus_known() ? current_list() : -1;
    if (count != nullptr)
        *count = l < 0 ? 0 : std::min<uint16_t>(spec_.lists[l].count, SER_READ_LIST_MAX);
    return l < 0 ? nullptr : items_[l].data();
}

bool ParamPage::polled(uint16_t ofs) const { return polled(RecLoc(ofs)); }

bool ParamPage::copy_polled(uint16_t ofs, uint16_t size) const
{
    return polled(ofs) && Utxgraph_copy_on_change(DriveRecordBank[0].b + ofs, DriveReadBack.b + ofs, size);
}

bool ParamPage::polled(Loc loc) const
{
    const int l = current_list();
    const uint32_t replies = Ser_list_reply_count.load(std::memory_order_acquire);
    if (l < 0 || l != sent_list_ || replies == sent_count_ ||
        static_cast<int32_t>(replies - Ser_list_write_mark.load(std::memory_order_acquire)) <= 0)
        return false;
    const PollList& list = spec_.lists[l];
    for (uint16_t i = 0; i < list.count; ++i)
        if (Loc{list.items[i].area, list.items[i].field} == loc && !list.items[i].pair_half)
            return true;
    return false;
}

bool ParamPage::default_may_copy()
{
    return (Ser_data_flags.load(std::memory_order_acquire) & DataFlag::ListReads) &&
           !(DriveUiFlags.load(std::memory_order_acquire) & UiFlag::Remote) && bus_type_of(0) != 0 && bus_known();
}

void ParamPage::step_copy_edits()
{
    for (uint16_t i = 0; i < spec_.field_count && i < MAX_FIELDS; ++i)
        step_copy_field(spec_.fields[i].ofs);
}

void ParamPage::step_copy_field(uint16_t ofs)
{
    for (uint16_t i = 0; i < spec_.field_count && i < MAX_FIELDS; ++i) {
        const FieldSpec& f = spec_.fields[i];
        if (f.ofs == ofs && polled(f.ofs))
            MemoUpDwx_update(edits_[0][i], RecLoc(f.ofs), Loc{Area::ReadBack, f.ofs}, Edit_size(f.type));
    }
}

void ParamPage::poll()
{
    const uint32_t now = Tick_ms();
    const uint32_t interval = spec_.hooks.poll_interval != nullptr ? spec_.hooks.poll_interval() : spec_.hooks.poll_ms;
    if (Tick_diff(now, stamp_) <= interval)
        return;
    uint16_t count = 0;
    const PollItem* list = next_list(&count);
    if (list == nullptr) {
        stamp_ = now;
        return;
    }
    if (!Sertx_read_var_list(list, count))
        return;
    stamp_ = now;
    if (spec_.hooks.list_sent != nullptr)
        spec_.hooks.list_sent(*this);
    const int l = current_list();
    if (l != sent_list_) {
        sent_list_ = l;
        sent_count_ = Ser_list_reply_count.load(std::memory_order_acquire);
    }
}

ListSend ParamPage::ask_once()
{
    const int l = bus_known() ? current_list() : -1;
    if (l < 0)
        return ListSend::Nothing;
    std::array<PollItem, SER_READ_LIST_MAX> items{};
    fill_list(static_cast<uint16_t>(l), items.data());
    const ListSend sent =
        Sertx_send_read_list(items.data(), std::min<uint16_t>(spec_.lists[l].count, SER_READ_LIST_MAX), false);
    if (sent == ListSend::Sent && spec_.hooks.list_sent != nullptr)
        spec_.hooks.list_sent(*this);
    return sent;
}

void ParamPage::tick()
{
    if (!frame_[0])
        return;
    if (spec_.live_count != 0 && lives_shown_ != drive_answers())
        step_show_lives(0);
    if (spec_.hooks.may_copy != nullptr ? spec_.hooks.may_copy() : default_may_copy()) {
        if (spec_.hooks.copy != nullptr) {
            spec_.hooks.copy(*this);
        } else {
            if (spec_.hooks.copy_controls != nullptr)
                spec_.hooks.copy_controls(*this);
            step_copy_edits();
            step_copy_bits();
            if (!spec_.hooks.lives_on_list_reads)
                step_copy_lives();
        }
    }
    if (spec_.hooks.lives_on_list_reads && (Ser_data_flags.load(std::memory_order_acquire) & DataFlag::ListReads) &&
        bus_known())
        step_copy_lives();
    poll();
    if (spec_.hooks.tick != nullptr)
        spec_.hooks.tick(*this);
}
