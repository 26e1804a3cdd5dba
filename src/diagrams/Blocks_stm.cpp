#include "diagrams/Blocks_stm.h"

#include <QGuiApplication>
#include <QPalette>

#include "controls/Graph_draw.h"

namespace {

// ---- texts ----
#define STM_TEXT(name, it, en, fr) const char* const name[3] = {it, en, fr}
STM_TEXT(T_START, "Start", "Start", "Start");
STM_TEXT(T_NOT_READY, "Not Ready to", "Not Ready to", "Not Ready to");
STM_TEXT(T_SWITCH_ON, "Switch On", "Switch On", "Switch On");
STM_TEXT(T_DISABLED, "Disabled", "Disabled", "Disabled");
STM_TEXT(T_READY_TO, "Ready to", "Ready to", "Ready to");
STM_TEXT(T_SWITCHING_ON, "Switching On", "Switching On", "Switching On");
STM_TEXT(T_OPERATION, "Operation", "Operation", "Operation");
STM_TEXT(T_ENABLED, "Enabled", "Enabled", "Enabled");
STM_TEXT(T_QUICK_STOP, "Quick Stop", "Quick Stop", "Quick Stop");
STM_TEXT(T_ACTIVE, "Active", "Active", "Active");
STM_TEXT(T_FAULT, "Fault", "Fault", "Fault");
STM_TEXT(T_REACTION_ACTIVE, "Reaction Active", "Reaction Active", "Reaction Active");
STM_TEXT(T_RAMP, "Rampa", "Ramp", "Rampe");
STM_TEXT(T_HALT, "Halt", "Halt", "Halt");
STM_TEXT(T_STOP, "Stop", "Stop", "Stop");
STM_TEXT(T_FAULT_REACTION, "Fault reaction", "Fault reaction", "R\u00e9action d\u00e9faut");
#undef STM_TEXT

constexpr uint32_t YELLOW = 0x8AFFFF;

StateRec state(uint16_t kind, BlockText l1, BlockText l2, uint32_t number, uint32_t highlight, int16_t w)
{
    return StateRec{kind, l1, l2, number, 0, 0xFFFFFF, highlight, 0, 0, 0, w, 35};
}

StateRec Can[9] = {
    state(5, T_START, nullptr, 0, STM_TOOLTIP_FILL, 90),      state(4, T_NOT_READY, T_SWITCH_ON, 1, STM_TOOLTIP_FILL, 90),
    state(4, T_SWITCH_ON, T_DISABLED, 2, STM_TOOLTIP_FILL, 90), state(4, T_READY_TO, T_SWITCHING_ON, 3, STM_TOOLTIP_FILL, 90),
    state(4, T_SWITCH_ON, nullptr, 4, YELLOW, 90),            state(4, T_OPERATION, T_ENABLED, 5, YELLOW, 90),
    state(5, T_QUICK_STOP, T_ACTIVE, 6, YELLOW, 90),          state(5, T_FAULT, T_REACTION_ACTIVE, 7, YELLOW, 100),
    state(4, T_FAULT, nullptr, 8, YELLOW, 60),
};

StateRec Mdb[8] = {
    state(5, T_START, nullptr, 0, STM_TOOLTIP_FILL, 90),  state(4, T_SWITCH_ON, T_DISABLED, 1, STM_TOOLTIP_FILL, 90),
    state(4, T_SWITCH_ON, nullptr, 2, YELLOW, 90),        state(4, T_OPERATION, T_ENABLED, 3, YELLOW, 90),
    state(5, T_RAMP, T_HALT, 5, YELLOW, 50),              state(5, T_RAMP, T_STOP, 4, YELLOW, 50),
    state(5, T_FAULT_REACTION, nullptr, 6, YELLOW, 100),  state(4, T_FAULT, nullptr, 7, YELLOW, 60),
};

// ---- transitions ----
enum class Link : uint8_t { Straight, Bent, Detour };
struct StmLink {
    uint8_t from, to;  // state numbers
    Link kind;
    uint8_t side;      // 0 left, 1 right, 2 top, 3 bottom
    uint8_t attach_a, attach_b;  // 0 one third, 1 half, 2 two thirds
    uint8_t distance;  // detour
};

const StmLink CAN_LINKS[] = {
    {0, 1, Link::Straight, 3, 1, 1, 0},  {1, 2, Link::Straight, 3, 1, 1, 0},  {2, 3, Link::Straight, 3, 0, 0, 0},
    {3, 2, Link::Straight, 2, 2, 2, 0},  {3, 4, Link::Straight, 3, 0, 0, 0},  {4, 3, Link::Straight, 2, 2, 2, 0},
    {4, 2, Link::Detour, 1, 1, 2, 35},   {4, 5, Link::Straight, 3, 0, 0, 0},  {5, 4, Link::Straight, 2, 2, 2, 0},
    {5, 2, Link::Detour, 0, 2, 1, 35},   {5, 3, Link::Detour, 0, 0, 1, 20},   {5, 6, Link::Straight, 1, 0, 0, 0},
    {6, 5, Link::Straight, 0, 2, 2, 0},  {6, 2, Link::Bent, 2, 1, 1, 0},      {7, 8, Link::Straight, 3, 1, 1, 0},
    {8, 2, Link::Bent, 3, 1, 0, 0},
};

const StmLink MDB_LINKS[] = {
    {0, 1, Link::Straight, 3, 1, 1, 0}, {1, 2, Link::Straight, 3, 0, 0, 0}, {2, 1, Link::Straight, 2, 2, 2, 0},
    {4, 2, Link::Straight, 2, 1, 1, 0}, {2, 3, Link::Straight, 3, 0, 0, 0}, {3, 4, Link::Straight, 2, 2, 2, 0},
    {3, 1, Link::Detour, 0, 1, 1, 30},  {3, 5, Link::Bent, 1, 2, 2, 0},     {5, 3, Link::Bent, 3, 0, 0, 0},
    {5, 1, Link::Bent, 2, 1, 2, 0},     {6, 7, Link::Straight, 3, 1, 1, 0}, {7, 1, Link::Straight, 0, 1, 1, 0},
};

// Drawing order: a box (state number) or a transition (row of the links table).
struct Step {
    bool box;
    uint8_t index;
};
constexpr Step B(uint8_t s) { return {true, s}; }
constexpr Step T(uint8_t row) { return {false, static_cast<uint8_t>(row - 1)}; }

const Step CAN_ORDER[] = {B(0), B(1), T(1),  B(2),  T(2),  B(3),  T(3),  T(4),  B(4),  T(5),  T(6),  T(7), B(5),
                          T(8), T(9), T(10), T(11), B(6),  T(12), T(13), T(14), B(7),  T(15), B(8),  T(16)};
const Step MDB_ORDER[] = {B(0), B(1), T(1), B(2), T(2), T(3),  B(4),  T(4),  B(3), T(5),
                          T(6), T(7), B(5), T(8), T(9), T(10), B(6), B(7), T(11), T(12)};

struct Diagram {
    const StmLink* links;
    const Step* order;
    std::size_t order_count;
    StateRec* const* list;
    uint16_t count;
    uint16_t fault_a, fault_b;  // the two fault states, text red when highlighted
    void (*position)(StateRec* const* list, uint16_t count);
};

StateRec* by_state(StateRec* const* list, uint16_t count, uint32_t number)
{
    for (uint16_t i = 0; i < count; ++i)
        if (list[i] != nullptr && list[i]->reserved1 == number)
            return list[i];
    static StateRec none{};
    return &none;
}

void at(StateRec* s, int x, int y)
{
    s->x = static_cast<int16_t>(x);
    s->y = static_cast<int16_t>(y);
}

void place_can(StateRec* const* list, uint16_t count)
{
    StateRec* s[9];
    for (uint16_t n = 0; n < 9; ++n)
        s[n] = by_state(list, count, n);
    for (int n = 0; n <= 5; ++n)
        at(s[n], 0, n == 0 ? 0 : s[n - 1]->y + s[n - 1]->h + 15);
    at(s[6], s[5]->x + s[5]->w + 30, s[5]->y);
    at(s[7], s[0]->x + s[0]->w + 30, s[0]->y);
    at(s[8], s[7]->x + (s[7]->w - s[8]->w) / 2, s[7]->y + s[7]->h + 15);
}

void place_mdb(StateRec* const* list, uint16_t count)
{
    StateRec* s[8];
    for (uint16_t n = 0; n < 8; ++n)
        s[n] = by_state(list, count, n);
    at(s[0], 0, 0);
    at(s[1], 0, s[0]->y + s[0]->h + 15);
    at(s[2], 0, s[1]->y + s[1]->h + 15);
    at(s[4], (2 * s[2]->w) / 3 - s[4]->w / 2, s[2]->y + s[2]->h + 15);
    at(s[3], 0, s[4]->y + s[4]->h + 15);
    at(s[5], s[3]->x + s[3]->w + 35, s[2]->y);
    at(s[6], s[0]->x + s[0]->w + 60, s[0]->y);
    at(s[7], s[6]->x + (s[6]->w - s[7]->w) / 2, s[1]->y - s[1]->h / 4);
}

const Diagram CAN = {CAN_LINKS, CAN_ORDER, std::size(CAN_ORDER), Ds402StateList, DS402_STATE_LIST_COUNT, 7, 8,
                     place_can};
const Diagram MDB = {MDB_LINKS, MDB_ORDER, std::size(MDB_ORDER), MdbStateList, MDB_STATE_LIST_COUNT, 6, 7, place_mdb};

void draw_link(Canvas& canvas, const StmLink& l, StateRec* const* list, uint16_t count, int dx, int dy, uint32_t rgb)
{
    const StateRec& a = *by_state(list, count, l.from);
    const StateRec& b = *by_state(list, count, l.to);
    constexpr int WIDTH = 5;
    switch (l.kind) {
    case Link::Straight:
        Blockx_stm_connect_arrow(canvas, a, b, l.side, l.attach_a, WIDTH, rgb, BlockPen::Solid, dx, dy);
        break;
    case Link::Bent:
        Blockx_stm_connect_bent_arrow(canvas, a, b, l.side, l.attach_a, l.attach_b, WIDTH, rgb, BlockPen::Solid, dx, dy);
        break;
    case Link::Detour:
        Blockx_stm_connect_wide_arrow(canvas, a, b, l.side, l.attach_a, l.attach_b, WIDTH, l.distance, rgb,
                                      BlockPen::Solid, dx, dy);
        break;
    }
}

void place(const Diagram& d, Canvas& canvas, StateRec* const* list, uint16_t count, int dx, int dy, uint8_t draw,
           uint8_t live)
{
    if (list == nullptr)
        return;
    d.position(list, count);
    if (!draw)
        return;
    const uint32_t rgb = bgr_to_rgb(live ? 0xB6F0B5 : 0xDFDFDF) & 0xFFFFFFu;
    for (std::size_t i = 0; i < d.order_count; ++i) {
        const Step& s = d.order[i];
        if (s.box) {
            const StateRec& r = *by_state(list, count, s.index);
            Blockx_stm_draw_state(canvas, r, 0, Blockx_stm_state_rect(r, dx, dy));
        } else {
            draw_link(canvas, d.links[s.index], list, count, dx, dy, rgb);
        }
    }
}

uint32_t rgb_of(uint32_t bgr_value)
{
    if (bgr_value == STM_TOOLTIP_FILL)
        return QGuiApplication::palette().color(QPalette::ToolTipBase).rgb() & 0xFFFFFFu;
    return bgr_to_rgb(bgr_value) & 0xFFFFFFu;
}

void colour(const Diagram& d, uint16_t state, uint8_t live)
{
    for (uint16_t i = 0; i < d.count; ++i) {
        StateRec& s = *d.list[i];
        if (!live) {
            s.frame_colour = rgb_of(0x808080);
            s.fill_colour = rgb_of(0xFFFFFF);
            s.text_colour = rgb_of(0x808080);
        } else if (s.reserved1 == state) {
            s.frame_colour = rgb_of(0x0000FF);
            s.fill_colour = rgb_of(s.reserved2);
            s.text_colour = rgb_of(state == d.fault_a || state == d.fault_b ? 0x0000FF : 0xFF0000);
        } else {
            s.frame_colour = rgb_of(0x02C0F0);
            s.fill_colour = rgb_of(0xFFFFFF);
            s.text_colour = rgb_of(s.kind == 4 ? 0x800000 : 0x000000);
        }
    }
}

// Rounded towards minus infinity.
int half_floor(int v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

void draw(const Diagram& d, ImageBox* image, uint16_t state, uint8_t live)
{
    if (image == nullptr)
        return;
    colour(d, state, live);
    Canvas& canvas = image->canvas();
    place(d, canvas, d.list, d.count, 0, 0, 0, live);
    const DrawRect b = Blockx_stm_bounds(d.list, d.count);
    const int dx = half_floor(image->image().width() - b.width());
    const int dy = half_floor(image->image().height() - b.height());
    place(d, canvas, d.list, d.count, dx, dy, 1, live);
    image->update();
}

}  // namespace

StateRec* const Ds402StateList[DS402_STATE_LIST_COUNT] = {&Can[0], &Can[1], &Can[2], &Can[3], &Can[4],
                                                            &Can[5], &Can[6], &Can[0], &Can[7], &Can[8]};
StateRec* const MdbStateList[MDB_STATE_LIST_COUNT] = {&Mdb[0], &Mdb[1], &Mdb[2], &Mdb[3],
                                                       &Mdb[4], &Mdb[5], &Mdb[6], &Mdb[7]};

void Blocks_can_stm_draw(ImageBox* image, uint16_t state, uint8_t live) { draw(CAN, image, state, live); }
void Blocks_mdb_stm_draw(ImageBox* image, uint16_t state, uint8_t live) { draw(MDB, image, state, live); }

void Blocks_can_stm_place(Canvas& canvas, StateRec* const* list, uint16_t count, int16_t dx, int16_t dy, uint8_t draw,
                          uint8_t live)
{
    place(CAN, canvas, list, count, dx, dy, draw, live);
}

void Blocks_mdb_stm_place(Canvas& canvas, StateRec* const* list, uint16_t count, int16_t dx, int16_t dy, uint8_t draw,
                          uint8_t live)
{
    place(MDB, canvas, list, count, dx, dy, draw, live);
}
