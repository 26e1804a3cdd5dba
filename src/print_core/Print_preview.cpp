// Preview geometry shared by the parameter and the trace preview.
#include "print_core/Print_preview.h"

#include <algorithm>

#include <QPainter>

#include "print_core/Print_render.h"
#include "print_core/Printer_data.h"

namespace {

constexpr int A4_WIDTH_TENTHS = 2100;

}  // namespace

PreviewLayout Print_preview_layout(QSize panel, QSize paper, int bar, int pos_x, int pos_y)
{
    PreviewLayout l;
    for (int pass = 0; pass < 3; ++pass) {
        l.image = QSize(std::max(0, panel.width() - (l.bar_y ? bar : 0)), std::max(0, panel.height() - (l.bar_x ? bar : 0)));
        const bool x = paper.width() > l.image.width();
        const bool y = paper.height() > l.image.height();
        if (x == l.bar_x && y == l.bar_y)
            break;
        l.bar_x = x;
        l.bar_y = y;
        l.image = QSize(std::max(0, panel.width() - (l.bar_y ? bar : 0)), std::max(0, panel.height() - (l.bar_x ? bar : 0)));
    }
    l.max_x = l.bar_x ? paper.width() - l.image.width() : 0;
    l.max_y = l.bar_y ? paper.height() - l.image.height() : 0;
    l.pos_x = std::clamp(pos_x, 0, std::max(0, l.max_x));
    l.pos_y = std::clamp(pos_y, 0, std::max(0, l.max_y));
    l.origin_x = l.bar_x ? -l.pos_x : (l.image.width() - paper.width()) / 2;
    l.origin_y = l.bar_y ? -l.pos_y : (l.image.height() - paper.height()) / 2;
    return l;
}

QSize Print_preview_paper_size(const PrintPageRec& page)
{
    const int p = Fz_print_device_caps(page.printer_index, DeviceCap::LogPixelsX);
    if (p <= 0)
        return {};
    return {Fz_print_device_caps(page.printer_index, DeviceCap::PhysicalWidth) * page.density / p,
            Fz_print_device_caps(page.printer_index, DeviceCap::PhysicalHeight) * page.density / p};
}

void Print_preview_draw_paper(QImage& image, const PrintPageRec& page)
{
    if (image.isNull())
        return;
    const QSize paper = Print_preview_paper_size(page);
    const int ox = static_cast<int>(page.origin_x);
    const int oy = static_cast<int>(page.origin_y);
    QPainter p(&image);
    if (ox <= 0 && oy <= 0 && ox + paper.width() >= image.width() && oy + paper.height() >= image.height()) {
        p.fillRect(image.rect(), Qt::white);
        return;
    }
    constexpr int SHADOW = 4;
    p.fillRect(image.rect(), QColor(0xC0, 0xC0, 0xC0));
    p.fillRect(QRect(ox + paper.width(), oy + SHADOW, SHADOW, paper.height()), Qt::black);
    p.fillRect(QRect(ox + SHADOW, oy + paper.height(), paper.width(), SHADOW), Qt::black);
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::white);
    p.drawRect(QRect(ox, oy, paper.width() - 1, paper.height() - 1));
}

int Print_preview_full_width_ppi(int panel_width)
{
    return std::max(1, panel_width * 254 / A4_WIDTH_TENTHS - 2);
}

