#include "diagrams/Blockgraph.h"

#include <QCoreApplication>
#include <QScrollArea>
#include <QScrollBar>

#include "controls/Utxgraph.h"
#include "diagrams/Blockx_draw.h"
#include "diagrams/Diagram_host.h"
#include "diagrams/Form_block.h"
#include "drivedata/Globvar.h"
#include "drivedata/Mdb.h"
#include "link/Sertx.h"

const DiagramTableEntry Blockgraph_diagram_table[5] = {
    {Blocks_speed, Blocks_speed_draw, BLOCKS_SPEED},
    {Blocks_torque, Blocks_torque_draw, BLOCKS_TORQUE},
    {Blocks_gear_box, Blocks_gear_box_draw, BLOCKS_GEAR_BOX},
    {Blocks_position, Blocks_position_draw, BLOCKS_POSITION},
    {nullptr, nullptr, 0},
};

BlockRec* Blockgraph_current[2] = {};
QPoint Blockgraph_origin[2];
QPoint Blockgraph_pointer;

namespace {

constexpr uint16_t OFS_IO_CONTROL = 118;
constexpr uint16_t OFS_MDB_CONTROL = 466;
constexpr int MARGIN = 10;

// The diagram each context painted last, placed again before its positions are used.
const DiagramTableEntry* placed_entry[2] = {};

uint8_t context() { return static_cast<uint8_t>(PageContext.load() & 1); }

bool place(const DiagramTableEntry& e, uint8_t ctx, Canvas& canvas)
{
    if (e.draw == nullptr)
        return false;
    e.draw(canvas, e.blocks, e.count, DriveRecordBank[ctx], ctx, 0, 0, 0);
    return true;
}

bool place_again(uint8_t ctx, Canvas& canvas)
{
    return placed_entry[ctx] != nullptr && place(*placed_entry[ctx], ctx, canvas);
}

DrawRect at_origin(const BlockRec& b, uint8_t ctx)
{
    return Blockx_block_rect(b, Blockgraph_origin[ctx].x(), Blockgraph_origin[ctx].y());
}

void frame(Canvas& canvas, const BlockRec& b, uint8_t ctx, bool selected)
{
    if (selected)
        Blockx_draw_select_frame(canvas, b, Blockgraph_origin[ctx].x(), Blockgraph_origin[ctx].y());
    else
        Blockx_draw_plain_frame(canvas, b, Blockgraph_origin[ctx].x(), Blockgraph_origin[ctx].y());
}

// The current block unframed; a selector also forgets its step. No current block afterwards.
void drop_current(Canvas& canvas, uint8_t ctx)
{
    BlockRec* cur = Blockgraph_current[ctx];
    if (cur == nullptr)
        return;
    frame(canvas, *cur, ctx, false);
    if (cur->kind == BlockKind::Selector) {
        Blockx_scale_leave(*cur);
        Blockx_draw_caption_block(canvas, *cur, ctx, at_origin(*cur, ctx), 0);
    }
    Blockgraph_current[ctx] = nullptr;
}

void apply_cursor(ImageBox* image)
{
    image->setCursor(Blockx_hand_cursor() ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

bool link_ready() { return (Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Ready) != 0; }

}  // namespace

uint16_t Blockgraph_control_row(const DriveRecord& rec)
{
    switch (Rec_get<uint16_t>(rec, RecOfs::BusType)) {
    case 0: {
        const uint16_t v = Rec_get<uint16_t>(rec, OFS_IO_CONTROL);
        return v < 4 ? v : 0;
    }
    case 1: return Mdb_control_type_index(Rec_get<int16_t>(rec, OFS_MDB_CONTROL));
    default: return 0;
    }
}

void Blockgraph_draw(ImageBox* image, QScrollArea* scroll, const DiagramTableEntry& entry, uint16_t,
                     uint16_t ctx_in)
{
    const auto ctx = static_cast<uint8_t>(ctx_in & 1);
    if (image == nullptr || scroll == nullptr || entry.draw == nullptr)
        return;
    image->setEnabled(false);
    Canvas& canvas = image->canvas();
    place(entry, ctx, canvas);
    const DrawRect b = Blockx_list_bounds(entry.blocks, entry.count);
    const int dw = b.width() + 2 * MARGIN;
    const int dh = b.height() + 2 * MARGIN;
    const int W = scroll->viewport()->width();
    const int H = scroll->viewport()->height();
    const int width = std::max(W, dw);
    const int height = std::max(H, dh);
    const int ox = W > dw ? (W - dw) / 2 + MARGIN : MARGIN;
    const int oy = H > dh ? (H - dh) / 2 + MARGIN : MARGIN;
    image->resize(width, height);
    image->set_image_size(width, height);
    Canvas& c = image->canvas();
    c.brush = QBrush(Qt::white);
    c.fill_rect({0, 0, width, height});
    entry.draw(c, entry.blocks, entry.count, DriveRecordBank[ctx], ctx, static_cast<int16_t>(ox),
               static_cast<int16_t>(oy), 1);
    Blockgraph_origin[ctx] = QPoint(ox, oy);
    placed_entry[ctx] = &entry;
    image->setEnabled(true);
    image->update();
}

void Blockgraph_mouse_move(ImageBox* image, const DiagramTableEntry& entry, int x, int y)
{
    const uint8_t ctx = context();
    if (image == nullptr || !place(entry, ctx, image->canvas()))
        return;
    if (ctx == 0)
        Blockgraph_pointer = QPoint(x, y);
    Canvas& canvas = image->canvas();
    const QPoint o = Blockgraph_origin[ctx];
    BlockRec* hit = Blockx_hit_test(entry.blocks, entry.count, x - o.x(), y - o.y());
    if (hit != nullptr && hit->clickable) {
        if (hit != Blockgraph_current[ctx]) {
            if (Blockgraph_current[ctx] != nullptr)
                frame(canvas, *Blockgraph_current[ctx], ctx, false);
            Blockgraph_current[ctx] = hit;
            frame(canvas, *hit, ctx, true);
        }
        if (hit->kind == BlockKind::Selector && Blockx_scale_hover(*hit, y - o.y()))
            Blockx_draw_caption_block(canvas, *hit, ctx, at_origin(*hit, ctx), 1);
    } else {
        drop_current(canvas, ctx);
    }
    const bool on_scale = hit != nullptr && hit->clickable && hit->kind == BlockKind::Selector && Blockx_hand_cursor();
    image->setCursor(on_scale ? Qt::PointingHandCursor : Qt::ArrowCursor);
    image->update();
}

void Blockgraph_click(ImageBox* image, QScrollArea* scroll, const DiagramTableEntry& entry, uint16_t control_type)
{
    const uint8_t ctx = context();
    BlockRec* cur = Blockgraph_current[ctx];
    if (image == nullptr || cur == nullptr || cur->kind != BlockKind::Selector || cur->set == nullptr)
        return;
    if (ctx == 0 && !(link_ready() && Blockx_editable(*cur, 0)))
        return;
    cur->set(*cur, ctx);
    if (cur->id == 1)  // the aux selector's value changes the speed diagram's layout
        Blockgraph_draw(image, scroll, entry, control_type, ctx);
    else
        place(entry, ctx, image->canvas());
    Blockx_draw_caption_block(image->canvas(), *cur, ctx, at_origin(*cur, ctx), 1);
    image->update();
}

void Blockgraph_dbl_click(ImageBox* image)
{
    const uint8_t ctx = context();
    BlockRec* cur = Blockgraph_current[ctx];
    if (image == nullptr || cur == nullptr || !cur->clickable)
        return;
    PageNode* node = Diagram_page(cur->node).create != nullptr ? cur->node : nullptr;
    if (node == nullptr && cur->callback == nullptr)
        return;
    if (node != nullptr)
        Form_block_node = node;
    place_again(ctx, image->canvas());
    drop_current(image->canvas(), ctx);
    image->update();
    if (node == nullptr) {
        cur->callback(*cur, ctx);
        return;
    }
    // After the handler returned: the popup's page may rebuild the tree and so delete this page.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [node, ctx] { Form_block_show(node, ctx); }, Qt::QueuedConnection);
}

void Blockgraph_scale_hover(ImageBox* image, uint8_t on)
{
    BlockRec* cur = Blockgraph_current[0];
    if (image == nullptr || cur == nullptr || cur->kind != BlockKind::Selector || !place_again(0, image->canvas()))
        return;
    if (on != 0)
        Blockx_scale_hover(*cur, Blockgraph_pointer.y() - Blockgraph_origin[0].y());
    else
        Blockx_scale_leave(*cur);
    Blockx_draw_caption_block(image->canvas(), *cur, 0, at_origin(*cur, 0), 1);
    apply_cursor(image);
    image->update();
}

void Blockgraph_redraw_current()
{
    const uint8_t ctx = context();
    const uint16_t bus = Rec_get<uint16_t>(DriveRecordBank[ctx], RecOfs::BusType);
    QWidget* page = DiagramHost.control_frame != nullptr ? DiagramHost.control_frame(bus, ctx) : nullptr;
    if (page == nullptr || bus > 1)
        return;
    const uint16_t row = Blockgraph_control_row(DriveRecordBank[ctx]);
    Blockgraph_draw(page->findChild<ImageBox*>(QStringLiteral("Image_block_control")),
                    page->findChild<QScrollArea*>(QStringLiteral("ScrollBox_Block")), Blockgraph_diagram_table[row],
                    row, ctx);
}
