#pragma once
// Status bar: a row of sunken panes painted on a picture that fills the owner's panel.
#include <cstdint>

#include <QPointer>
#include <QWidget>

#include "controls/Graph_draw.h"

struct StbarPane;

// Paints pane `index` of `panes` into its content area
// (x + 1, y + 1) .. (x + width - 1, y + height - 2), right and bottom exclusive.
using StbarPaint = void (*)(ImageBox* picture, StbarPane* const* panes, uint16_t index);

struct StbarPane {
    uint16_t x = 0;       // set by the layout
    uint16_t y = 0;       // set by the layout (1)
    uint16_t height = 0;  // set by the layout (picture height)
    int16_t width = 0;    // set by the owner
    StbarPaint paint = nullptr;
    uint32_t reserved = 0;
};

// Self-check bits of Stbarx::error_code().
enum : uint32_t {
    StbarErrNoPanel = 1u << 0,
    StbarErrNoPicture = 1u << 1,
    StbarErrNoImage = 1u << 2,
    StbarErrNoGraphic = 1u << 3,
};

class StbarHook;

class Stbarx {
public:
    // panes: null-terminated array kept by the owner. With a null panel the bar reports the error
    // once and every operation on it does nothing.
    Stbarx(QWidget* panel, StbarPane* const* panes, uint8_t size_grip);
    ~Stbarx();
    Stbarx(const Stbarx&) = delete;
    Stbarx& operator=(const Stbarx&) = delete;

    uint32_t error_code() const { return error_code_; }
    uint16_t count() const { return count_; }
    int32_t width() const { return width_; }
    ImageBox* picture() const { return image_; }

private:
    friend void Stbarx_repaint(Stbarx*);
    friend void Stbarx_repaint_pane(Stbarx*, uint16_t);
    friend void Stbarx_layout(Stbarx*);
    friend int Stbarx_panes_width(const Stbarx*);
    friend void Stbarx_on_resize(Stbarx*);
    friend void Stbarx_redraw(Stbarx*);
    friend void Stbarx_draw_size_grip(Stbarx*);
    friend uint32_t Stbarx_check(Stbarx*);
    friend const StbarPane& Stbarx_pane(const Stbarx*, uint16_t);
    friend struct StbarOps;

    QPointer<QWidget> panel_;
    QPointer<ImageBox> image_;
    StbarPane* const* panes_ = nullptr;
    int32_t width_ = 0;
    uint16_t count_ = 0;
    uint8_t size_grip_ = 0;
    uint32_t error_code_ = 0;
    StbarHook* hook_ = nullptr;
};

// Deletes the bar held in `bar`, if any, and clears the variable.
void Stbarx_free(Stbarx*& bar);
void Stbarx_repaint(Stbarx* bar);
// Repaints one pane's content; an index at or beyond the pane count does nothing.
void Stbarx_repaint_pane(Stbarx* bar, uint16_t index);
void Stbarx_layout(Stbarx* bar);
// The panel width that shows every pane whole (0 for a bar without panes).
int Stbarx_panes_width(const Stbarx* bar);
// The panel's resize handler (installed by the constructor).
void Stbarx_on_resize(Stbarx* bar);
void Stbarx_redraw(Stbarx* bar);
void Stbarx_draw_size_grip(Stbarx* bar);
// ORs the failed conditions into the error code and returns the bits found now. New bits are
// reported once with a message box.
uint32_t Stbarx_check(Stbarx* bar);
// The bar painted on panel, or null; pane index of bar (index below count()).
const Stbarx* Stbarx_on(const QWidget* panel);
const StbarPane& Stbarx_pane(const Stbarx* bar, uint16_t index);
