#include "pages/fieldbus/Frm_mdb_speed_rampe.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "diagrams/Blockgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"
#include "pages/fieldbus/Page_tabs.h"
#include "pages/fieldbus/RampGraph.h"
#include "pages/fieldbus/Speed_flags.h"

namespace {

constexpr uint16_t OFS_ACC_CW = 572;
constexpr uint16_t OFS_DEC_CW = 576;
constexpr uint16_t OFS_ACC_CCW = 580;
constexpr uint16_t OFS_DEC_CCW = 584;
constexpr uint16_t OFS_JERK = 588;
const char* const TABS = "PageControl_rampe";
const char* const SHEETS[3] = {"TabSheet_rampe_CW", "TabSheet_rampe_CCW", "TabSheet_rampe_S"};
enum : int { TAB_CW, TAB_CCW, TAB_S };

const FieldSpec FIELDS[] = {
    {"FlowPanel_acc_CW", "Accel. CW", OFS_ACC_CW, EditType::U32, 1, 2147483647, 0, 100},
    {"FlowPanel_dec_CW", "Decel. CW", OFS_DEC_CW, EditType::U32, 1, 2147483647, 0, 100},
    {"FlowPanel_acc_CCW", "Accel. CCW", OFS_ACC_CCW, EditType::U32, 1, 2147483647, 0, 100},
    {"FlowPanel_dec_CCW", "Decel. CCW", OFS_DEC_CCW, EditType::U32, 1, 2147483647, 0, 100},
    {"FlowPanel_jerk", "Jerk", OFS_JERK, EditType::U32, 2, 2147483647, 0, 100},
};
constexpr int FIELD_SHEET[] = {TAB_CW, TAB_CW, TAB_CCW, TAB_CCW, TAB_S};

const PollSpec POLL[] = {MDB_PAIR_ITEMS(OFS_ACC_CW), MDB_PAIR_ITEMS(OFS_DEC_CW), MDB_PAIR_ITEMS(OFS_ACC_CCW),
                         MDB_PAIR_ITEMS(OFS_DEC_CCW), MDB_PAIR_ITEMS(OFS_JERK), ONE_ITEM(OFS_SPEED_FLAGS)};
static_assert(std::size(POLL) == 11);
const PollList LISTS[] = {{POLL, std::size(POLL), 0x03}};

const BitSpec BITS[] = {
    {"CheckBox_enable_rampe", SPEED_RAMPS, false, "Panel_par_cm_vel_flg_dat_enable_rampe", OFS_SPEED_FLAGS,
     "Panel_enable_rampe_on_off"},
    {"CheckBox_enable_rampe_S", SPEED_RAMPS_S, false, "Panel_par_cm_vel_flg_dat_enable_rampe_S", OFS_SPEED_FLAGS,
     "Panel_enable_rampe_S_on_off"},
};
enum : int { BIT_RAMPS, BIT_S };

const char* const S_TAB[3] = {"Tipo S", "Type S", "Type S"};
const char* const RAMPS_TEXT[3] = {"Abilita Rampe", "Enable Ramp", "Activer Rampes"};
const char* const RAMPS_S_TEXT[3] = {"Abilita Rampe S", "Enable Ramp S", "Activer Rampes S"};

ParamPage& page();
template <typename W>
W* find(uint8_t ctx, const char* name) { return page().find<W>(ctx, name); }
uint32_t u32(uint8_t ctx, uint16_t ofs) { return Rec_get<uint32_t>(DriveRecordBank[ctx & 1], ofs); }

void draw(uint8_t ctx)
{
    const RampGraphState& st = RampGraphStates[ctx & 1];
    const bool s_shape = (Rec_get<uint16_t>(DriveRecordBank[ctx & 1], OFS_SPEED_FLAGS) & SPEED_RAMPS_S) != 0;
    RampGraph_draw(find<ImageBox>(ctx, "Image_ramp"), st.shown_acc, st.shown_dec, u32(ctx, OFS_JERK), st.highlight,
                   st.direction, s_shape);
}

// Direction and shown pair of the CW or CCW tab, drawn with no highlight.
void show_direction(uint8_t ctx, uint8_t direction)
{
    RampGraphState& st = RampGraphStates[ctx & 1];
    st.direction = direction;
    st.shown_acc = u32(ctx, direction == 1 ? OFS_ACC_CW : OFS_ACC_CCW);
    st.shown_dec = u32(ctx, direction == 1 ? OFS_DEC_CW : OFS_DEC_CCW);
    st.highlight = 0;
    draw(ctx);
}

// TabSheet_rampe_CWShow, TabSheet_rampe_CCWShow, TabSheet_rampe_SShow (user tab changes).
void TabSheetShow(int index)
{
    const uint16_t pc = PageContext.load();
    if (pc > 1 || index < 0 || index > TAB_S)
        return;
    const auto ctx = static_cast<uint8_t>(pc);
    Page_show_sheet(page(), ctx, find<QWidget>(ctx, SHEETS[index]));
    if (index == TAB_S) {
        RampGraphStates[ctx].highlight = 0;
        draw(ctx);
    } else {
        show_direction(ctx, index == TAB_CW ? 1 : 2);
    }
}

void bit_changed(ParamPage&, uint8_t ctx, int index)
{
    if (index == BIT_RAMPS) {
        Blockgraph_redraw_current();
    } else {
        RampGraphStates[ctx].highlight = 0;
        draw(ctx);
    }
}

// The sketch follows its panel: once drawn, a new size draws it again at that size.
class SketchResize : public QObject {
public:
    SketchResize(uint8_t ctx, QObject* parent) : QObject(parent), ctx_(ctx) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* image = static_cast<ImageBox*>(watched);
        if (event->type() == QEvent::Resize && !image->image().isNull())
            draw(ctx_);
        return false;
    }

private:
    uint8_t ctx_;
};

void Timer_comTimer()
{
    if (page().frame(0) != nullptr)
        page().tick();
    else if (Ser_data_flags.load(std::memory_order_acquire) & DataFlag::ListReads)
        Frm_mdb_speed_rampe_track(static_cast<uint8_t>(PageContext.load()));
}

QCheckBox* add_check(FlowPanel* panel, const BitSpec& b)
{
    auto* check = new QCheckBox(panel);
    check->setObjectName(QString::fromLatin1(b.control));
    panel->addRightToLeft(Page_label(panel, nullptr, b.hex_label));
    panel->addRightToLeft(Page_label(panel, nullptr, b.on_off));
    panel->addRightToLeft(check);
    return check;
}

void build(ParamPage& p, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout)
{
    auto* top = Page_flow(p.frame(ctx), nullptr, "Panel55");
    add_check(top, BITS[BIT_RAMPS]);
    if (auto* outer = qobject_cast<QVBoxLayout*>(box->parentWidget()->layout()))
        outer->insertWidget(0, top);
    QTabWidget* tabs = Page_tabs(box, layout, TABS, {SHEETS[0], SHEETS[1], SHEETS[2]});
    tabs->setTabText(TAB_CW, QStringLiteral("CW"));
    tabs->setTabText(TAB_CCW, QStringLiteral("CCW"));
    QWidget* s_sheet = tabs->widget(TAB_S);
    add_check(Page_flow(s_sheet, qobject_cast<QVBoxLayout*>(s_sheet->layout()), "Panel2"), BITS[BIT_S]);
    for (std::size_t i = 0; i < std::size(FIELDS); ++i)
        Page_move_flow(box, tabs->widget(FIELD_SHEET[i]), FIELDS[i].panel);
    auto* panel20 = new QWidget(box);
    panel20->setObjectName(QStringLiteral("Panel20"));
    panel20->setMinimumSize(375, 211);  // grows with the page
    auto* panel_layout = new QVBoxLayout(panel20);
    panel_layout->setContentsMargins(0, 0, 0, 0);
    auto* image = new ImageBox(panel20);
    image->setObjectName(QStringLiteral("Image_ramp"));
    panel_layout->addWidget(image);  // fills the panel
    image->installEventFilter(new SketchResize(ctx, image));
    layout->addWidget(panel20, 1);
    auto* timer = new QTimer(p.frame(ctx));
    timer->setObjectName(QStringLiteral("Timer_com"));
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, Timer_comTimer);
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, TabSheetShow);
}

// Edits and both boxes; the four ramp values into the state (the jerk kept); the CW sketch.
void refresh_steps(ParamPage& p, uint8_t ctx)
{
    p.step_show_edits(ctx);
    p.step_show_bits(ctx);
    RampGraphState& st = RampGraphStates[ctx & 1];
    st.acc_cw = u32(ctx, OFS_ACC_CW);
    st.dec_cw = u32(ctx, OFS_DEC_CW);
    st.acc_ccw = u32(ctx, OFS_ACC_CCW);
    st.dec_ccw = u32(ctx, OFS_DEC_CCW);
    Page_select_tab(p, ctx, TABS, TAB_CW);
    show_direction(ctx, 1);
}

void set_language(ParamPage&, uint8_t ctx)
{
    const unsigned lang = Lang_index();
    if (auto* tabs = find<QTabWidget>(ctx, TABS))
        tabs->setTabText(TAB_S, QString::fromUtf8(S_TAB[lang]));
    if (!ParamPage::bus_known(ctx))
        return;
    Utxgraph_set_caption_txt3(SlotLoc(ctx, OFS_SPEED_FLAGS), find<QWidget>(ctx, BITS[BIT_RAMPS].control),
                              RAMPS_TEXT[lang], nullptr, ctx);
    Utxgraph_set_caption_txt3(SlotLoc(ctx, OFS_SPEED_FLAGS), find<QWidget>(ctx, BITS[BIT_S].control),
                              RAMPS_S_TEXT[lang], nullptr, ctx);
}

void copy(ParamPage& p)
{
    p.step_copy_edits();
    p.step_copy_bits();
    Frm_mdb_speed_rampe_track(0);
}

void tick(ParamPage&)
{
    if (Ser_data_flags.load(std::memory_order_acquire) & DataFlag::ListReads)
        Frm_mdb_speed_rampe_track(static_cast<uint8_t>(PageContext.load()));
}

void create_steps(ParamPage& p, uint8_t ctx)
{
    p.refresh(ctx);
    p.set_language(ctx);
    if (ctx == 0)
        p.set_access(0);
    if (auto* timer = p.find<QTimer>(ctx, "Timer_com"))
        timer->start();
}

const PageHooks HOOKS = {.copy = copy,
                         .tick = tick,
                         .build = build,
                         .set_language = set_language,
                         .bit_changed = bit_changed,
                         .create_steps = create_steps,
                         .refresh_steps = refresh_steps,
                         .no_timer = true};

const PageSpec SPEC = {
    "TFrame_mdb_speed_rampe", "GroupBox_rampe", {"Rampe", "Ramps", "Rampes"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS, BITS, std::size(BITS),
};

}  // namespace

PARAM_PAGE_UNIT(mdb_speed_rampe, SPEC)

void Frm_mdb_speed_rampe_track(uint8_t ctx)
{
    if (ctx > 1 || page().frame(ctx) == nullptr)
        return;
    RampGraphState& st = RampGraphStates[ctx];
    const RampValues v{u32(ctx, OFS_ACC_CW), u32(ctx, OFS_DEC_CW), u32(ctx, OFS_ACC_CCW), u32(ctx, OFS_DEC_CCW),
                       u32(ctx, OFS_JERK)};
    const bool jerk_only = v.acc_cw == st.acc_cw && v.dec_cw == st.dec_cw && v.acc_ccw == st.acc_ccw &&
                           v.dec_ccw == st.dec_ccw;
    if (!RampGraph_track(st, v))
        return;
    if (!jerk_only)
        Page_select_tab(page(), ctx, TABS, st.direction == 1 ? TAB_CW : TAB_CCW);
    draw(ctx);
}

namespace {
ParamPage& page() { return Frm_mdb_speed_rampe_page(); }
}  // namespace
