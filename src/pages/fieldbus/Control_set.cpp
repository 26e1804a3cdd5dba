#include "pages/fieldbus/Control_set.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QScrollArea>
#include <QVBoxLayout>

#include "controls/FlowPanel.h"
#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "diagrams/Blockgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"

namespace {

bool& built(const ControlSetUnit& u, uint8_t ctx) { return u.built[ctx & 1]; }

uint16_t control_type(const ControlSetUnit& u, uint8_t ctx) { return Rec_get<uint16_t>(DriveRecordBank[ctx & 1], u.field); }
uint8_t page_context() { return static_cast<uint8_t>(PageContext.load() & 1); }
uint16_t row_of(uint8_t ctx) { return Blockgraph_control_row(DriveRecordBank[ctx & 1]); }

// The unit's field has an entry in the dictionary of slot's bus type (the Modbus page is shown on
// Modbus only; elsewhere it stays silent).
bool field_known(const ControlSetUnit& u, uint8_t slot)
{
    return Busx_find(Rec_get<uint16_t>(DriveRecordBank[slot & 1], RecOfs::BusType), SlotLoc(slot, u.field)).entry() !=
           nullptr;
}

ImageBox* image_of(const ControlSetUnit& u, uint8_t ctx) { return u.page().find<ImageBox>(ctx, "Image_block_control"); }
QScrollArea* scroll_of(const ControlSetUnit& u, uint8_t ctx) { return u.page().find<QScrollArea>(ctx, "ScrollBox_Block"); }

void ComboBox_type_controlChange(const ControlSetUnit& u, int index)
{
    const uint8_t ctx = page_context();
    if (u.page().ready() != 1 || Combo_value_of(u.items, index) < 0)
        return;
    Rec_set<uint16_t>(DriveRecordBank[ctx], u.field, static_cast<uint16_t>(index));
    Control_set_draw(u, ctx);
    Blockgraph_current[ctx] = nullptr;
    if (ctx == 0)
        Sertx_write_var(RecLoc(u.field));
}

// Resizes of the scroll box and the pointer over the diagram. A click is a release that does not
// end a double-click.
class DiagramEvents : public QObject {
public:
    DiagramEvents(const ControlSetUnit& u, QObject* parent) : QObject(parent), u_(u) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const uint8_t ctx = page_context();
        auto* image = qobject_cast<ImageBox*>(watched);
        switch (event->type()) {
        case QEvent::Resize:  // ScrollBox_BlockResize (the box's viewport)
            if (image == nullptr && Control_set_built(u_, ctx))
                Control_set_draw(u_, ctx);
            break;
        case QEvent::MouseMove:
            if (image != nullptr) {
                const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
                Blockgraph_mouse_move(image, Blockgraph_diagram_table[row_of(ctx)], p.x(), p.y());
            }
            break;
        case QEvent::MouseButtonRelease:
            if (image != nullptr && !std::exchange(double_click_, false))
                Blockgraph_click(image, scroll_of(u_, ctx), Blockgraph_diagram_table[row_of(ctx)], row_of(ctx));
            break;
        case QEvent::MouseButtonDblClick:
            if (image != nullptr) {
                double_click_ = true;
                Blockgraph_dbl_click(image);
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    const ControlSetUnit& u_;
    bool double_click_ = false;
};

}  // namespace

bool Control_set_built(const ControlSetUnit& u, uint8_t ctx) { return built(u, ctx); }

void Control_set_build(const ControlSetUnit& u, ParamPage& page, uint8_t ctx, QVBoxLayout* layout)
{
    built(u, ctx) = false;
    QWidget* frame = page.frame(ctx);
    frame->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);  // the diagram fills the page area
    auto* bar = new QWidget(frame);
    bar->setObjectName(QStringLiteral("ControlBar1"));
    auto* bar_layout = new QVBoxLayout(bar);
    bar_layout->setContentsMargins(0, 0, 0, 0);
    auto* tools = new QWidget(bar);
    tools->setObjectName(QStringLiteral("ToolBar3"));
    bar_layout->addWidget(tools);
    auto* tools_layout = new QVBoxLayout(tools);
    tools_layout->setContentsMargins(0, 0, 0, 0);
    FlowPanel* caption = Page_flow(tools, tools_layout, "Panel_type_control");
    QFont f = caption->font();
    f.setPixelSize(static_cast<int>(16 * 96 / 72.0 + 0.5));
    caption->setFont(f);
    Page_set_colour(caption, clNavy);
    // The control type under its caption: the header is no wider than the longer of the two.
    auto* combo = new QComboBox(tools);
    combo->setObjectName(QStringLiteral("ComboBox_type_control"));
    combo->setFont(f);
    auto* combo_row = new QHBoxLayout;
    combo_row->addWidget(combo);
    combo_row->addStretch(1);
    tools_layout->addLayout(combo_row);
    layout->addWidget(bar);

    auto* scroll = new QScrollArea(frame);
    scroll->setObjectName(QStringLiteral("ScrollBox_Block"));
    scroll->setFrameShape(QFrame::NoFrame);
    auto* image = new ImageBox;
    image->setObjectName(QStringLiteral("Image_block_control"));
    image->setMouseTracking(true);
    scroll->setWidget(image);
    layout->addWidget(scroll, 1);

    auto* events = new DiagramEvents(u, frame);
    scroll->viewport()->installEventFilter(events);  // its size is the one the diagram fills
    image->installEventFilter(events);
    QObject::connect(combo, &QComboBox::activated, combo, [&u](int index) { ComboBox_type_controlChange(u, index); });
}

void Control_set_create_steps(const ControlSetUnit& u, ParamPage& page, uint8_t ctx)
{
    Blockgraph_current[ctx & 1] = nullptr;
    built(u, ctx) = false;
    page.refresh(ctx);
    page.set_language(ctx);
    if (ctx == 0)
        page.set_access(0);
    built(u, ctx) = true;
}

void Control_set_draw(const ControlSetUnit& u, uint8_t ctx)
{
    const uint16_t row = row_of(ctx);
    Blockgraph_draw(image_of(u, ctx), scroll_of(u, ctx), Blockgraph_diagram_table[row], row, ctx);
}

void Control_set_refresh_steps(const ControlSetUnit& u, ParamPage& page, uint8_t ctx)
{
    Combo_select(page.find<QComboBox>(ctx, "ComboBox_type_control"), u.items, control_type(u, ctx));
    Control_set_draw(u, ctx);
    page.step_timer(ctx);
}

void Control_set_language_steps(const ControlSetUnit& u, ParamPage& page, uint8_t ctx)
{
    auto* caption = page.find<QWidget>(ctx, "Panel_type_control");
    if (u.caption != nullptr)
        Utxgraph_set_text(caption, QString::fromUtf8(u.caption[Lang_index()]));
    else if (field_known(u, ctx))
        Utxgraph_set_caption(SlotLoc(ctx, u.field), caption, ctx);
    auto* combo = page.find<QComboBox>(ctx, "ComboBox_type_control");
    Combo_fill(combo, u.items);
    Combo_select(combo, u.items, control_type(u, ctx));
    if (built(u, ctx))
        Control_set_draw(u, ctx);
}

void Control_set_access_steps(const ControlSetUnit& u, ParamPage& page, uint8_t state)
{
    auto* caption = page.find<QWidget>(0, "Panel_type_control");
    auto* combo = page.find<QComboBox>(0, "ComboBox_type_control");
    bool on = false;
    if (u.modbus) {
        if (!field_known(u, 0)) {
            combo->setEnabled(false);  // not on this bus: no message, nothing to edit
        } else {
            Utxgraph_enable_combo(RecLoc(u.field), combo, caption, state);
            on = Utxgraph_is_editable(RecLoc(u.field), state) != 0;
        }
    } else {
        bool enabled[3] = {false, false, false};
        QColor colour[3] = {clInactiveCaption, clInactiveCaption, clInactiveCaption};
        if (PagesHost.enable_by_state3 != nullptr)
            PagesHost.enable_by_state3(state, enabled, colour);
        Page_set_colour(caption, colour[0]);
        Page_set_state(combo, enabled[0], colour[0]);
        on = enabled[0];
    }
    Blockgraph_scale_hover(image_of(u, 0), on ? 1 : 0);
}

PageSize Control_set_size(ParamPage& page, uint8_t ctx)
{
    QWidget* f = page.frame(ctx);
    return f == nullptr ? PageSize{0, 0} : PageSize{f->height(), f->width()};
}
