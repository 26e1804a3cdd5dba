#include "pages/drive/Frm_filtro_notch.h"

#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <QSignalBlocker>

#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"
#include "pages/drive/Filter_flags.h"

namespace {

constexpr uint16_t OFS_FREQUENCY = 198;
constexpr uint16_t OFS_DAMPING = 200;

const FieldSpec FIELDS[] = {{"FlowPanel_freq_notch", "Notch Frequency", OFS_FREQUENCY, EditType::U16, 2, 400, 0}};
const PollSpec POLL[] = {{OFS_FREQUENCY, OFS_FREQUENCY}, {OFS_DAMPING, OFS_DAMPING}, {FILTER_FLAGS_OFS, FILTER_FLAGS_OFS}};
const PollList LISTS[] = {{POLL, std::size(POLL)}};
const BitSpec BITS[] = {
    {"CheckBox_enable_filtro_notch", 1u << 0, false, FILTER_FLAGS_HEX, FILTER_FLAGS_OFS, "Panel_dato_filtro_notch"}};
const char* const ENABLE_TEXT[3] = {"Abilita Notch", "Enable Notch", "Activer Notch"};

bool bar_access = false;  // the scroll bar's state from the last SetAccess

ParamPage& page() { return Frm_filtro_notch_page(); }
uint16_t damping(uint8_t ctx) { return Rec_get<uint16_t>(DriveRecordBank[ctx & 1], OFS_DAMPING); }

// The damping as "0.0000" and, within its range, the bar's position (signals blocked).
void show_damping(uint8_t ctx)
{
    Utxgraph_set_text(page().find<QWidget>(ctx, "Panel_r_notch"),
                      Graph_format_float(QStringLiteral("0.0000"), damping(ctx) * 0.0001));
    if (auto* bar = page().find<QScrollBar>(ctx, "ScrollBar_r_notch")) {
        const QSignalBlocker quiet(bar);
        bar->setRange(NOTCH_DAMPING_MIN, NOTCH_DAMPING_MAX);
        bar->setValue(damping(ctx));  // a value outside the range only clamps the bar
    }
}

void ScrollBar_r_notchChange(QScrollBar* bar)
{
    const uint16_t ctx = PageContext.load();
    if (page().ready() != 1 || ctx > 1)
        return;
    Rec_set<uint16_t>(DriveRecordBank[ctx], OFS_DAMPING, static_cast<uint16_t>(bar->sliderPosition()));
    Utxgraph_set_text(page().find<QWidget>(static_cast<uint8_t>(ctx), "Panel_r_notch"),
                      Graph_format_float(QStringLiteral("0.0000"), damping(static_cast<uint8_t>(ctx)) * 0.0001));
    if (ctx == 0)
        Sertx_write_var(RecLoc(OFS_DAMPING));
}

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    QGroupBox* group = Page_group(box, layout, "GroupBox_r_notch");
    auto* column = new QVBoxLayout(group);
    auto* bar = new QScrollBar(Qt::Horizontal, group);
    bar->setObjectName(QStringLiteral("ScrollBar_r_notch"));
    bar->setRange(1, 60000);
    column->addWidget(bar);
    Page_label(group, column, "Panel_r_notch");
    // Only the user's moves: a position the page sets never reaches the drive.
    QObject::connect(bar, &QScrollBar::actionTriggered, bar, [bar](int) { ScrollBar_r_notchChange(bar); });
    Filter_flags_build(box, layout, BITS[0]);
}

void refresh(ParamPage&, uint8_t ctx) { show_damping(ctx); }

void set_language(ParamPage& p, uint8_t ctx)
{
    if (ParamPage::bus_known(ctx))
        Utxgraph_set_caption(SlotLoc(ctx, OFS_DAMPING), p.find<QWidget>(ctx, "GroupBox_r_notch"), ctx);
    Filter_flags_caption(p, ctx, BITS[0], ENABLE_TEXT);
}

// Scroll bar (its result kept), the edit, the check box.
void access_steps(ParamPage& p, uint8_t state)
{
    auto* bar = p.find<QScrollBar>(0, "ScrollBar_r_notch");
    bar_access = ParamPage::bus_known() && Utxgraph_enable_scrollbar(RecLoc(OFS_DAMPING), bar, state);
    if (!ParamPage::bus_known() && bar != nullptr)
        bar->setEnabled(false);
    p.step_access_edits(state);
}

// Frequency, the page's bit, then the damping (stored and shown, never sent).
void copy(ParamPage& p)
{
    p.step_copy_field(OFS_FREQUENCY);
    p.step_copy_bits();
    if (p.copy_polled(OFS_DAMPING))
        show_damping(0);
}

// The bar keeps the state SetAccess gave it.
void tick(ParamPage& p)
{
    if (auto* bar = p.find<QScrollBar>(0, "ScrollBar_r_notch"); bar != nullptr && bar->isEnabled() != bar_access)
        bar->setEnabled(bar_access);
}

const PageSpec SPEC = {
    "TFrame_filtro_notch", "GroupBox_filtro_notch",
    {"Filtro Notch", "Notch Filter", "Filtre Notch"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS),
    PageHooks{.copy = copy,
              .tick = tick,
              .build = build,
              .refresh = refresh,
              .set_language = set_language,
              .bit_changed = Filter_flags_changed,
              .access_steps = access_steps},
    BITS, std::size(BITS),
};

}  // namespace

PARAM_PAGE_UNIT(filtro_notch, SPEC)
