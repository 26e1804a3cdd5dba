// The Feedback page's Hall display: dials, index grids and labels of the two Hall sheets.
#include <algorithm>

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainterPath>
#include <QTableWidget>

#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"
#include "pages/drive/Frm_mot_feedback.h"
#include "pages/drive/Frm_mot_feedback_hall.h"
#include "controls/Graph_rotx.h"

namespace {

constexpr double TWO_PI = 6.283185307179586;
constexpr double DEGREE = TWO_PI / 360.0;
constexpr uint16_t OFS_OFFSET = 128;  // commutation offset, 0.01 degree
constexpr uint8_t NO_HALL = 255;      // last shown index that forces a redraw
constexpr int PICTURE = 120;          // dial size in pixels
const char* const NO_VALUE = "-----";

// Sector of Hall index 1..6, and the Hall code written in sectors 0..5.
constexpr int8_t SECTOR_OF_HALL[8] = {-1, 2, 4, 3, 0, 1, 5, -1};
constexpr uint8_t CODE_OF_SECTOR[6] = {4, 5, 1, 3, 2, 6};

struct HallState {
    uint8_t last_index = NO_HALL;
    uint16_t last_offset = 0;
    uint8_t grid_index = 0;  // the index the grids show
    uint32_t paints = 0;
};
HallState hall;

struct HallControls {
    const char* image;
    const char* grid;
    const char* index_label;
};
constexpr HallControls ENCODER_AND_HALL = {"Image_encoder_and_hall", "StringGrid_encoder_and_hall_indice_hall",
                                           "Panel_encoder_and_hall_indice_hall_dat"};
constexpr HallControls HALL_ONLY = {"Image_hall_only", "StringGrid_encoder_hall_only", "Panel_hall_only_dat"};
const char* const ANGLE_LABEL = "Panel_angolo_elettrico_dat";

template <typename W>
W* find(uint8_t ctx, const char* name) { return Frm_mot_feedback_page().find<W>(ctx, name); }

// A point at radius r and dial angle a (0 at 12 o'clock, clockwise) in pixels.
QPointF dial_point(int cx, int cy, double r, double a)
{
    double x = 0;
    double y = 0;
    Graph_rotx_rotate(0, r, &x, &y, a);
    return {cx + x, cy - y};
}

// Angle of the painter's arcs (degrees counterclockwise from 3 o'clock) of dial angle a.
double arc_degrees(double a) { return 90.0 - a / DEGREE; }

QRectF circle(int cx, int cy, double r) { return {cx - r, cy - r, 2 * r, 2 * r}; }

// The part of the ring between radii inner and outer from dial angle a0 to a1 (clockwise) on the
// outer edge and from b0 to b1 on the inner edge.
QPainterPath ring_part(int cx, int cy, double inner, double outer, double a0, double a1, double b0, double b1)
{
    QPainterPath path;
    path.moveTo(dial_point(cx, cy, outer, a0));
    path.arcTo(circle(cx, cy, outer), arc_degrees(a0), -(a1 - a0) / DEGREE);
    path.lineTo(dial_point(cx, cy, inner, b1));
    path.arcTo(circle(cx, cy, inner), arc_degrees(b1), (b1 - b0) / DEGREE);
    path.closeSubpath();
    return path;
}

// Six sectors of 60 degrees turned by the offset, 3 degrees apart at the outer edge, each with
// its Hall code in a small circle; the sector of `hall` red when highlighted.
void draw_sectors(QPainter* p, int cx, int cy, int r, uint8_t hall, double offset, bool highlight)
{
    const double outer = r - 5;
    const double inner = r - 31;
    const double gap_outer = 1.5 * DEGREE;
    const double gap_inner = gap_outer * outer / inner;
    const int lit = highlight ? Frm_mot_feedback_hall_sector(hall) : -1;
    p->setPen(QPen(clBlack, 1));
    for (int k = 0; k < 6; ++k) {
        const double a0 = offset + k * 60 * DEGREE;
        const double a1 = a0 + 60 * DEGREE;
        p->setBrush(k == lit ? clRed : clWhite);
        p->drawPath(ring_part(cx, cy, inner, outer, a0 + gap_outer, a1 - gap_outer, a0 + gap_inner, a1 - gap_inner));
        const QPointF mid = dial_point(cx, cy, (outer + inner) / 2, a0 + 30 * DEGREE);
        const QRectF label(mid.x() - 7, mid.y() - 7, 14, 14);
        p->setBrush(clWhite);
        p->drawEllipse(label);
        p->drawText(label, Qt::AlignCenter, QString::number(CODE_OF_SECTOR[k]));
    }
    p->setBrush(Qt::NoBrush);
    p->setPen(QPen(bgr(0x408080), 1));
    p->drawEllipse(circle(cx, cy, inner - 3));
}

// The rotor at electrical angle e: a dark red and a grey half-ring sector of 150 degrees, and
// the pointer.
void draw_rotor(Canvas& canvas, int cx, int cy, int r, double e)
{
    QPainter* p = canvas.painter();
    p->setPen(QPen(clBlack, 1));
    const double half = 75 * DEGREE;
    for (const auto& [centre, colour] : {std::pair{e, bgr(0x000080)}, std::pair{e + TWO_PI / 2, bgr(0x808080)}}) {
        p->setBrush(colour);
        p->drawPath(ring_part(cx, cy, r - 38, r - 31, centre - half, centre + half, centre - half, centre + half));
    }
    Frm_mot_feedback_draw_pointer(canvas, cx, cy, r - 40, e);
}

// StringGrid_encoder_and_hall_indice_hallDrawCell and StringGrid_encoder_hall_onlyDrawCell.
void StringGrid_hallDrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool)
{
    const bool title = row == 0;
    canvas.font = QFont(QStringLiteral("Arial"), 9);
    canvas.font.setBold(title);
    canvas.brush = QBrush(title ? clBtnFace : clWhite);
    canvas.font_colour = title ? clBlue : clBlack;
    Graph_draw_text_rect(canvas, rect, AlignCentre, Frm_mot_feedback_hall_cell(ctx, row, column));
}

QTableWidget* build_grid(uint8_t ctx, QWidget* parent, const char* name)
{
    auto* grid = new QTableWidget(2, 3, parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setDefaultSectionSize(22);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setFixedSize(3 * 22 + 2 * grid->frameWidth(), 2 * 20 + 2 * grid->frameWidth());
    grid->setItemDelegate(Page_cell_delegate(ctx, StringGrid_hallDrawCell, grid));
    grid->setEnabled(false);
    return grid;
}

ImageBox* build_image(QWidget* parent, const char* name)
{
    auto* image = new ImageBox(parent);
    image->setObjectName(QString::fromLatin1(name));
    image->setFixedSize(PICTURE, PICTURE);
    image->set_image_size(PICTURE, PICTURE);
    return image;
}

void paint_both(uint8_t ctx, uint8_t h, uint16_t angle, uint16_t offset16)
{
    const bool valid = Frm_mot_feedback_hall_sector(h) >= 0;
    Frm_mot_feedback_paint_hall_image(find<ImageBox>(ctx, ENCODER_AND_HALL.image), valid ? h : 0, valid ? angle : 0,
                                      valid ? offset16 : 0, valid ? 1 : 0, valid ? 1 : 0);
    Frm_mot_feedback_paint_hall_image(find<ImageBox>(ctx, HALL_ONLY.image), valid ? h : 0, 0, 0, valid ? 2 : 0,
                                      valid ? 1 : 0);
}

void show_labels(uint8_t ctx, const QString& index, const QString& angle)
{
    for (const HallControls* c : {&ENCODER_AND_HALL, &HALL_ONLY})
        Utxgraph_set_text(find<QWidget>(ctx, c->index_label), index);
    Utxgraph_set_text(find<QWidget>(ctx, ANGLE_LABEL), angle);
}

}  // namespace

uint8_t Frm_mot_feedback_hall_index() { return static_cast<uint8_t>((Drive_status_word() >> 12) & 7); }

int Frm_mot_feedback_hall_sector(uint8_t hall) { return hall < 8 ? SECTOR_OF_HALL[hall] : -1; }

uint32_t Frm_mot_feedback_hall_paints() { return hall.paints; }

void Frm_mot_feedback_update_halls()
{
    if (Frm_mot_feedback_page().frame(0) == nullptr)
        return;
    const uint8_t h = Frm_mot_feedback_hall_index();
    const uint16_t offset = Rec_get<uint16_t>(DriveRecordBank[0], OFS_OFFSET);
    if (h == hall.last_index && BusLiveValues.electrical_angle == BusLiveReadBack.electrical_angle &&
        offset == hall.last_offset)
        return;
    BusLiveValues.electrical_angle = BusLiveReadBack.electrical_angle;
    hall.last_offset = offset;
    const uint16_t angle = BusLiveValues.electrical_angle;
    const uint16_t offset16 = static_cast<uint16_t>(uint32_t{offset} * 65536u / 36000u);
    const bool index_changed = h != hall.last_index;
    hall.grid_index = h;
    if (index_changed)
        Frm_mot_feedback_repaint_hall_grids(0);
    paint_both(0, h, angle, offset16);
    if (Frm_mot_feedback_hall_sector(h) < 0)
        show_labels(0, NO_VALUE, NO_VALUE);
    else
        show_labels(0, QString::number(h), Graph_format_float("0.00", angle * 360.0 / 65536) + QString::fromUtf8(" °"));
    hall.last_index = h;
}

void Frm_mot_feedback_force_hall() { hall.last_index = NO_HALL; }

void Frm_mot_feedback_force_hall_offset()
{
    hall.last_offset = static_cast<uint16_t>(~Rec_get<uint16_t>(DriveRecordBank[0], OFS_OFFSET));
}

void Frm_mot_feedback_blank_halls(uint8_t ctx)
{
    paint_both(ctx, 0, 0, 0);
    show_labels(ctx, NO_VALUE, NO_VALUE);
}

void Frm_mot_feedback_repaint_hall_grids(uint8_t ctx)
{
    for (const HallControls* c : {&ENCODER_AND_HALL, &HALL_ONLY})
        if (auto* grid = find<QTableWidget>(ctx, c->grid))
            grid->viewport()->update();
}

QString Frm_mot_feedback_hall_cell(uint8_t ctx, int row, int column)
{
    static const char* const TITLES[3] = {"C", "B", "A"};
    if (column < 0 || column > 2)
        return {};
    if (row == 0)
        return TITLES[column];
    if (ctx != 0)
        return QStringLiteral("-");
    return (hall.grid_index >> (2 - column)) & 1 ? QStringLiteral("1") : QStringLiteral("0");
}

void Frm_mot_feedback_build_hall(uint8_t ctx, QWidget* sheet, QBoxLayout* layout, bool encoder)
{
    const HallControls& c = encoder ? ENCODER_AND_HALL : HALL_ONLY;
    auto* row = new QHBoxLayout;
    layout->addLayout(row);
    row->addWidget(build_image(sheet, c.image));
    auto* column = new QVBoxLayout;
    row->addLayout(column);
    column->addWidget(build_grid(ctx, sheet, c.grid));
    if (encoder) {
        FlowPanel* index = Page_flow(sheet, column, "Panel_encoder_and_hall_indice_hall");
        index->addRightToLeft(Page_label(index, nullptr, c.index_label));
        FlowPanel* angle = Page_flow(sheet, column, "Panel_angolo_elettrico");
        angle->addRightToLeft(Page_label(angle, nullptr, ANGLE_LABEL));
    } else {
        Page_label(sheet, column, c.index_label);
    }
    column->addStretch();
}

void Frm_mot_feedback_paint_hall_image(ImageBox* image, uint8_t hall_index, uint16_t angle, uint16_t offset16,
                                       uint8_t mode, uint8_t highlight)
{
    if (image == nullptr)
        return;
    ++hall.paints;
    Canvas& canvas = image->canvas();
    Frm_mot_feedback_draw_hall_dial(canvas, image->image().width(), image->image().height(), hall_index, angle,
                                    offset16, mode, highlight);
    image->update();
}

void Frm_mot_feedback_draw_hall_dial(Canvas& canvas, int width, int height, uint8_t hall_index, uint16_t angle,
                                     uint16_t offset16, uint8_t mode, uint8_t highlight)
{
    if (!canvas.active())
        return;
    QPainter* p = canvas.painter();
    p->save();
    p->setRenderHint(QPainter::Antialiasing, true);
    p->fillRect(QRect(0, 0, width, height), bgr(0xE2FEF9));
    p->setFont(QFont(QStringLiteral("Arial"), 8));
    const int r = std::min(width, height) / 2 - 2;
    const int cx = width / 2;
    const int cy = height / 2;
    if (r > 0) {
        p->setPen(QPen(clBlack, 2));
        p->setBrush(bgr(0xE9EBEB));
        p->drawEllipse(circle(cx, cy, r));
        // A picture too small for the ring and the pointer keeps the disc and the hub.
        if (r >= 40) {
            draw_sectors(p, cx, cy, r, hall_index, offset16 * TWO_PI / 65536, highlight != 0);
            if (mode == 1 && highlight != 0)
                draw_rotor(canvas, cx, cy, r, angle * TWO_PI / 65536);
        }
        p->setPen(QPen(clBlack, 1));
        p->setBrush(clNavy);
        p->drawEllipse(circle(cx, cy, std::min(10, r)));
        p->setBrush(clWhite);
        p->drawEllipse(circle(cx, cy, std::min(4, r)));
    }
    p->restore();
}

void Frm_mot_feedback_draw_pointer(Canvas& canvas, int cx, int cy, int r, double angle)
{
    if (!canvas.active())
        return;
    const double corners[3][2] = {{0.0, double(r)}, {-10.0, r - 15.0}, {10.0, r - 15.0}};
    QPointF points[3];
    for (int i = 0; i < 3; ++i) {
        double x = 0;
        double y = 0;
        Graph_rotx_rotate(corners[i][0], corners[i][1], &x, &y, angle);
        points[i] = {cx + x, cy - y};
    }
    QPainter* p = canvas.painter();
    p->setPen(QPen(clBlack, 1));
    p->setBrush(bgr(0xF0CAA6));
    p->drawPolygon(points, 3);
}
