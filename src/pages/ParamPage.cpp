#include "pages/ParamPage.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

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
    if (spec_.hooks.language_first)
        set_language(ctx);
    refresh(ctx);
    ready_ = 0;
    if (!spec_.hooks.language_first)
        set_language(ctx);
    if (ctx == 0) {
        set_access(Page_edit_state());
        if (spec_.hooks.stamp_at_create)
            stamp_ = Tick_ms();
    }
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
    for (uint16_t i = 0; i < spec_.field_count && i < MAX_FIELDS; ++i)
        if (edits_[ctx][i])
            edits_[ctx][i]->show();
    if (spec_.hooks.refresh != nullptr)
        spec_.hooks.refresh(*this, ctx);
    if (QTimer* t = find<QTimer>(ctx, "Timer_com")) {
        if (ctx == 0) {
            t->setInterval(static_cast<int>(spec_.hooks.timer_ms));
            t->start();
        } else {
            t->stop();
        }
    }
    ready_ = 1;
}

void ParamPage::set_language(uint8_t ctx)
{
    if (ctx > 1 || !frame_[ctx])
        return;
    if (auto* box = find<QGroupBox>(ctx, spec_.group_box))
        box->setTitle(QString::fromUtf8(spec_.title[Lang_index()]));
    if (bus_known(ctx) && spec_.hooks.edit_captions)
        for (uint16_t i = 0; i < spec_.field_count && i < MAX_FIELDS; ++i)
            if (edits_[ctx][i])
                edits_[ctx][i]->set_language(ctx);
    if (spec_.hooks.set_language != nullptr)
        spec_.hooks.set_language(*this, ctx);
}

void ParamPage::set_access(uint8_t)
{
    if (!frame_[0])
        return;
    const uint8_t state = Page_edit_state();
    if (!spec_.hooks.own_access) {
        for (uint16_t i = 0; i < spec_.field_count && i < MAX_FIELDS; ++i) {
            MemoUpDwxBase* e = edits_[0][i];
            if (e == nullptr)
                continue;
            if (bus_known()) {
                e->set_access(state);
            } else {
                e->memo()->setEnabled(false);
                e->updown()->setEnabled(false);
            }
        }
    }
    if (spec_.hooks.set_access != nullptr)
        spec_.hooks.set_access(*this, state);
}

void ParamPage::get_size(uint8_t ctx, PageSize* out)
{
    if (ctx > 1 || !frame_[ctx] || out == nullptr)
        return;
    if (QWidget* panel = find<QWidget>(ctx, "Panel_frm")) {
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
    for (uint16_t i = 0; i < spec_.field_count && i < MAX_FIELDS; ++i)
        if (edits_[ctx][i])
            edits_[ctx][i]->show();
    ready_ = was;
}

// ---- frame ----

void ParamPage::build_frame(uint8_t ctx, QWidget* parent)
{
    free_edits(ctx);  // edits left by a frame its parent deleted
    auto* frame = new QWidget(parent);
    frame->setObjectName(QString::fromLatin1(spec_.frame_class));
    auto* outer = new QVBoxLayout(frame);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QFrame(frame);
    panel->setObjectName(QStringLiteral("Panel_frm"));
    outer->addWidget(panel);
    auto* inner = new QVBoxLayout(panel);
    auto* box = new QGroupBox(QString::fromUtf8(spec_.title[0]), panel);
    box->setObjectName(QString::fromLatin1(spec_.group_box));
    inner->addWidget(box);
    auto* fields = new QVBoxLayout(box);
    FlowPanel* panels[MAX_FIELDS] = {};
    for (uint16_t i = 0; i < spec_.field_count && i < MAX_FIELDS; ++i) {
        panels[i] = new FlowPanel(QString::fromLatin1(spec_.fields[i].panel), box);
        panels[i]->setCaption(QString::fromUtf8(spec_.fields[i].caption));
        fields->addWidget(panels[i]);
    }
    if (!spec_.hooks.no_timer) {
        auto* timer = new QTimer(frame);
        timer->setObjectName(QStringLiteral("Timer_com"));
        timer->setInterval(100);
        QObject::connect(timer, &QTimer::timeout, frame, [this] { tick(); });
    }
    frame_[ctx] = frame;
    if (spec_.hooks.build != nullptr)
        spec_.hooks.build(*this, ctx, box, fields);
    for (uint16_t i = 0; i < spec_.field_count && i < MAX_FIELDS; ++i)
        edits_[ctx][i] = EDIT_MAKERS[static_cast<int>(spec_.fields[i].type)].make(spec_.fields[i], panels[i], ctx);
    panel->adjustSize();
    frame->adjustSize();
}

// ---- polling ----

void ParamPage::fill_lists()
{
    for (uint16_t l = 0; l < spec_.list_count && l < MAX_LISTS; ++l) {
        const PollList& list = spec_.lists[l];
        for (uint16_t i = 0; i < list.count && i < SER_READ_LIST_MAX; ++i) {
            const PollSpec& p = list.items[i];
            items_[l][i] = p.live ? PollItem{0, 0, {Area::Live, p.field}, {Area::LiveReadBack, p.readback}, 0}
                                  : PollItem{0, 0, RecLoc(p.field), {Area::ReadBack, p.readback}, 0};
        }
        if (bus_known() && (list.bus_types >> bus_type_of(0) & 1))
            Busx_fill_poll_list(items_[l].data(), std::min<uint16_t>(list.count, SER_READ_LIST_MAX));
        for (uint16_t i = 0; i < list.count && i < SER_READ_LIST_MAX; ++i)
            if (list.items[i].key != 0) {
                items_[l][i].key = list.items[i].key;
                items_[l][i].subindex = list.items[i].subindex;
            }
    }
}

int ParamPage::current_list() const
{
    const int l = spec_.hooks.select_list != nullptr ? spec_.hooks.select_list(bus_type_of(0)) : 0;
    return (l < 0 || l >= spec_.list_count || l >= MAX_LISTS) ? -1 : l;
}

const PollItem* ParamPage::next_list(uint16_t* count) const
{
    const int l = bus_known() ? current_list() : -1;
    if (count != nullptr)
        *count = l < 0 ? 0 : std::min<uint16_t>(spec_.lists[l].count, SER_READ_LIST_MAX);
    return l < 0 ? nullptr : items_[l].data();
}

bool ParamPage::polled(uint16_t ofs) const { return polled(RecLoc(ofs)); }

bool ParamPage::polled(Loc var) const
{
    const int l = current_list();
    if (l < 0 || l != sent_list_ || Ser_list_reply_count.load(std::memory_order_acquire) == sent_count_)
        return false;
    const PollList& list = spec_.lists[l];
    const bool live = var.area == Area::Live;
    for (uint16_t i = 0; i < list.count; ++i)
        if (list.items[i].field == var.ofs && list.items[i].live == live && !list.items[i].pair_half)
            return true;
    return false;
}

bool ParamPage::default_may_copy()
{
    return (Ser_data_flags.load(std::memory_order_acquire) & DataFlag::ListReads) &&
           !(DriveUiFlags.load(std::memory_order_acquire) & UiFlag::Remote) && bus_type_of(0) != 0 && bus_known();
}

void ParamPage::copy_edits()
{
    for (uint16_t i = 0; i < spec_.field_count && i < MAX_FIELDS; ++i) {
        const FieldSpec& f = spec_.fields[i];
        if (polled(f.ofs))
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
    const int l = current_list();
    if (l != sent_list_) {
        sent_list_ = l;
        sent_count_ = Ser_list_reply_count.load(std::memory_order_acquire);
    }
}

void ParamPage::tick()
{
    if (!frame_[0])
        return;
    if (spec_.hooks.may_copy != nullptr ? spec_.hooks.may_copy() : default_may_copy()) {
        if (spec_.hooks.copy != nullptr) {
            spec_.hooks.copy(*this);
        } else {
            if (spec_.hooks.copy_controls != nullptr)
                spec_.hooks.copy_controls(*this);
            copy_edits();
        }
    }
    poll();
    if (spec_.hooks.tick != nullptr)
        spec_.hooks.tick(*this);
}
