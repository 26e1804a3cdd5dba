// Main window input and output LED images: one row per input or output with its function text
// and lamp, laid out for the screen's font and redrawn when a bit, the bus type or the sub-type
// changed.
#include <algorithm>

#include <QGuiApplication>
#include <QScreen>

#include "controls/Graph_draw.h"
#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "shell/Main.h"
#include "shell/Main_display.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"

using MainDisplay::list_reads_on;
using MainDisplay::rec_u16;

namespace {

int screen_ppi()
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? qRound(s->logicalDotsPerInch()) : 96;
}

QFont led_font(int points, bool bold)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(std::max(1, (points * screen_ppi() + 36) / 72));
    f.setBold(bold);
    return f;
}

// ---- LED rows ----

void draw_row_frame(Canvas& c, const IoGeometry& g, uint16_t r, const QString& label, const QString& text,
                    const QColor& text_colour)
{
    const int h = g.row_height;
    const int top = r * h;
    if (r == 0) {
        c.brush.setColor(clWhite);
        c.fill_rect({0, 0, c.clip_rect().width(), c.clip_rect().height()});
    }
    c.font = led_font(10, true);
    c.font_colour = clBlack;
    Graph_draw_button(c, {0, top, g.label_width, top + h}, clBtnFace, 1, 1, 0, AlignCentre, label);
    c.font = led_font(9, false);
    c.font_colour = text_colour;
    Graph_draw_button(c, {g.label_width, top, g.image_width - 1, top + h}, clBtnFace, 1, 1, 0, AlignLeft, text);
}

// The LED at the right end of cell 2: outer ring (inputs) and inner lamp.
DrawRect led_rect(const IoGeometry& g, uint16_t r)
{
    const int h = g.row_height;
    const int right = g.image_width - 1;
    const int left = right - (h - 1);
    const int top = r * h + 1;
    return {left, top, left + h - 2, top + h - 2};
}

void draw_circle(Canvas& c, const DrawRect& r, const QColor& fill)
{
    if (!c.active() || r.width() <= 0 || r.height() <= 0)
        return;
    c.pen = QPen(clBlack, 1, Qt::SolidLine);
    c.brush = QBrush(fill, Qt::SolidPattern);
    QPainter* p = c.painter();
    p->setPen(c.pen);
    p->setBrush(c.brush);
    p->drawEllipse(QRect(r.left, r.top, r.width() - 1, r.height() - 1));
}

const QString NO_FUNCTION = QStringLiteral(" ----");

QString row_text(const LedRow& row) { return QString::fromUtf8(row.text[Lang_index()]); }

}  // namespace

// One input row: the function's text and its LED (on bit, red ring when the ring bit is set).
void Main_draw_input_row(Canvas& c, const LedRow* row, const QString& prefix, const IoGeometry& g, uint16_t r,
                         uint8_t on_bits, uint8_t ring_bits, bool linked)
{
    const bool shown = row && linked;
    draw_row_frame(c, g, r, prefix + QString::number(r), shown ? row_text(*row) : NO_FUNCTION,
                   shown && row->enabled ? clBlack : clGray);
    const DrawRect led = led_rect(g, r);
    if (!shown) {
        draw_circle(c, led, clBtnFace);
        draw_circle(c, {led.left + 3, led.top + 3, led.right - 3, led.bottom - 3}, clBtnFace);
        return;
    }
    draw_circle(c, led, (ring_bits >> r) & 1 ? clRed : clBtnFace);
    const uint32_t lamp = (on_bits >> r) & 1 ? row->on_colour : row->off_colour;
    draw_circle(c, {led.left + 3, led.top + 3, led.right - 3, led.bottom - 3}, bgr(lamp));
}

// One output row: the function chosen by `selection` in `table` (none when beyond the table).
void Main_draw_output_row(Canvas& c, const LedRowTable* table, uint16_t selection, const QString& prefix,
                          const IoGeometry& g, uint16_t r, uint8_t on_bits, bool linked)
{
    const LedRow* row = table && selection < table->count ? &table->rows[selection] : nullptr;
    const bool aux_input = r == 2 && (rec_u16(LedOfs::SpeedMode) & LedOfs::AuxInputBit);
    const bool shown = row && linked && !aux_input;
    QString text = shown ? row_text(*row) : NO_FUNCTION;
    if (linked && aux_input)
        text = QStringLiteral("Analog-Input Aux");
    draw_row_frame(c, g, r, prefix + QString::number(r), text, shown && row->enabled ? clBlack : clGray);
    const QColor lamp = !shown ? clBtnFace : bgr((on_bits >> r) & 1 ? row->on_colour : row->off_colour);
    draw_circle(c, led_rect(g, r), lamp);
}
namespace {

// ---- LED images ----

void draw_inputs(TForm_main& f, const LedRow* set, uint8_t on_bits, uint8_t ring_bits, bool linked)
{
    if (!f.Image_Input)
        return;
    Canvas& c = f.Image_Input->canvas();
    for (uint16_t r = 0; r < LED_INPUT_ROWS; ++r)
        Main_draw_input_row(c, set ? &set[r] : nullptr, "I.", f.IoGeometryInput, r, on_bits, ring_bits, linked);
    f.Image_Input->update();
}

void draw_outputs(TForm_main& f, uint8_t on_bits, bool linked)
{
    if (!f.Image_Output)
        return;
    const bool second = Settings_second_family();
    const uint16_t rows = f.OutputRows[second ? 1 : 0];
    Canvas& c = f.Image_Output->canvas();
    for (uint16_t r = 0; r < rows && r < LED_OUTPUT_ROWS_MAX; ++r) {
        const LedOutputSource src = Led_output_source(second, r);
        const uint16_t selection = src.table ? rec_u16(src.offset) : 0;
        Main_draw_output_row(c, src.table, selection, "O.", f.IoGeometryOutput, r, on_bits, linked);
    }
    f.Image_Output->update();
}

}  // namespace

void Main_draw_io_status(TForm_main& f, uint8_t mode, const Drive_status& st)
{
    if (mode == 0) {
        draw_inputs(f, nullptr, 0, 0, false);
        draw_outputs(f, 0, false);
        return;
    }
    const uint16_t bus = rec_u16(RecOfs::BusType);
    const uint16_t sub = bus == 0 ? rec_u16(RecOfs::ControlType) : bus == 1 ? rec_u16(LedOfs::ModbusControl) : 0;
    const bool same_bits = st.outputs == StatusShown.outputs && st.inputs[0] == StatusShown.inputs[0] &&
                           st.inputs[1] == StatusShown.inputs[1];
    if (mode == 2 && bus == f.IoBusShown && sub == f.IoSubShown && same_bits)
        return;
    f.IoBusShown = bus;
    f.IoSubShown = sub;
    StatusShown.outputs = st.outputs;
    StatusShown.inputs[0] = st.inputs[0];
    StatusShown.inputs[1] = st.inputs[1];
    const bool linked = list_reads_on();
    draw_inputs(f, Led_input_set(bus, sub), st.inputs[0], st.inputs[1], linked);
    draw_outputs(f, st.outputs, linked);
}

void TForm_main::Main_draw_io(uint8_t mode) { Main_draw_io_status(*this, mode, Drive_status_get()); }

void TForm_main::Main_io_image_layout(ImageBox* image, IoGeometry& geometry, const QString& sample, uint16_t rows,
                                      QGroupBox* group)
{
    (void)group;  // the group box follows its layout
    if (!image)
        return;
    Canvas& c = image->canvas();
    c.font = led_font(10, false);
    c.font_colour = clBlack;
    const QSize text = Graph_draw_text_size_font(sample, QStringLiteral("Arial"), 10, screen_ppi());
    geometry.row_height = static_cast<uint16_t>(text.height() + 5);
    geometry.label_width = static_cast<uint16_t>(text.width() + 6);
    geometry.image_width = static_cast<uint16_t>(image->width());
    const int height = rows * geometry.row_height + 1;
    if (QWidget* panel = image->parentWidget())
        panel->setFixedHeight(height);
    image->set_image_size(image->width(), height);
}

namespace {

void image_panel_resize(TForm_main& f, QWidget* panel, ImageBox* image, IoGeometry& geometry)
{
    if (!panel || !image || image->image().isNull())
        return;
    image->resize(panel->size());
    image->set_image_size(panel->width(), panel->height());
    geometry.image_width = static_cast<uint16_t>(image->width());
    f.Main_draw_io(list_reads_on() ? 1 : 0);
}

}  // namespace

void TForm_main::Panel_Image_InputResize()
{
    image_panel_resize(*this, Panel_Image_Input, Image_Input, IoGeometryInput);
}

void TForm_main::Panel_Image_OutputResize()
{
    image_panel_resize(*this, Panel_Image_Output, Image_Output, IoGeometryOutput);
}
