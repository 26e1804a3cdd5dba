// Painters of the firmware update shared by the firmware window and the main window: the
// firmware-file panel and the flash-zone map.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <ctime>

#include <QPainter>

#include "controls/Graph_draw.h"
#include "drivedata/Utx.h"
#include "flash_core/Flashctrl.h"
#include "flash/Flashsh7047.h"
#include "link/Flash_seams.h"

namespace {

// ---- file panel ----
const char* const NO_DATE = " - - - - - - - - - -  ";
constexpr int PANEL_MARGIN = 4;
constexpr int LAMP = 12;

struct FileLook {
    uint32_t lamp;
    uint32_t text;
    bool dated;
};
// By FlashFileState.
constexpr FileLook FILE_LOOK[4] = {
    {0x808080, 0x808080, false},  // no file
    {0x0000FF, 0x0000FF, false},  // missing
    {0x00FFFF, 0x000000, true},   // changed
    {0x00FF00, 0x800000, true},   // current
};

QString file_date(const std::string& path)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return QString::fromLatin1(NO_DATE);
    std::tm tm{};
    localtime_r(&st.st_mtim.tv_sec, &tm);
    const UtxDateTime dt{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    char buf[40] = {};
    if (!Utx_datetime_to_text(dt, buf, sizeof buf))
        return QString::fromLatin1(NO_DATE);
    return QString::fromLatin1(buf);
}

// The box's picture at the box's size.
Canvas& fitted_canvas(ImageBox* box)
{
    Canvas& c = box->canvas();
    if (box->image().size() != box->size())
        box->set_image_size(box->width(), box->height());
    return c;
}

// ---- zone map ----
constexpr uint32_t ZONE_BACKGROUND = 0xF1F9FA;
constexpr uint32_t ZONE_TITLE = 0x800000;
constexpr uint32_t ZONE_RANGE = 0x808000;
constexpr int ZONE_TITLE_FROM_HEIGHT = 71;
constexpr int BOX_LEFT = 16, BOX_TOP = 38, BOX_RIGHT = 12, BOX_BOTTOM = 22;
const char* const NO_ADDRESS = "[----------]";

struct ZonePos {
    int row;
    int x;
};

}  // namespace

// ---- file panel ----

QString Flashctrl_shorten_path(const QString& path, int width, const QFont& font)
{
    const QFontMetrics fm(font);
    if (fm.horizontalAdvance(path) <= width)
        return path;
    QStringList parts = path.split(QLatin1Char('/'));
    if (parts.size() > 1 && parts.first().isEmpty()) {  // the root goes with the first folder
        parts.removeFirst();
        parts.first().prepend(QLatin1Char('/'));
    }
    for (qsizetype k = 1; k < parts.size(); ++k) {
        const QString s = QString("../").repeated(k) + parts.mid(k).join(QLatin1Char('/'));
        if (fm.horizontalAdvance(s) <= width)
            return s;
    }
    QString name = parts.isEmpty() ? QString() : parts.last();
    while (!name.isEmpty() && fm.horizontalAdvance(name) > width)
        name.chop(1);
    return name;
}

void Flashctrl_draw_file_panel(ImageBox* box)
{
    if (box == nullptr || box->width() <= 0 || box->height() <= 0)
        return;
    const uint8_t state = std::min<uint8_t>(FirmwareImage.file_state, 3);
    const FileLook& look = FILE_LOOK[state];
    const std::string path = Flash_settings().path;
    Canvas& c = fitted_canvas(box);
    const DrawRect all{0, 0, box->width(), box->height()};
    c.brush = QBrush(clBtnFace);
    c.pen = QPen(Qt::NoPen);
    c.fill_rect(all);
    c.font_colour = bgr(look.text);
    const QString date = look.dated ? file_date(path) : QString::fromLatin1(NO_DATE);
    const int lamp_left = all.right - PANEL_MARGIN - LAMP;
    const int date_left = lamp_left - PANEL_MARGIN - c.text_width(date);
    c.brush = QBrush(clBtnFace);
    Graph_draw_text_rect(c, {date_left, 0, lamp_left - PANEL_MARGIN, all.bottom}, AlignLeft, date);
    if (state != FlashFileState::NoName) {
        const QString shown =
            Flashctrl_shorten_path(QString::fromStdString(path), date_left - 2 * PANEL_MARGIN, c.font);
        Graph_draw_text_rect(c, {PANEL_MARGIN, 0, date_left - PANEL_MARGIN, all.bottom}, AlignLeft, shown);
    }
    QPainter* p = c.painter();
    p->setPen(QPen(Qt::black));
    p->setBrush(bgr(look.lamp));
    const int top = (all.bottom - LAMP) / 2;
    p->drawEllipse(QRect(lamp_left, top, LAMP - 1, LAMP - 1));
    box->update();
}

// ---- zone map ----

std::vector<QPolygon> Flashctrl_zone_polygon(const QRect& box, uint32_t start, uint32_t end, uint32_t flash_size)
{
    const int w = box.width();
    const int rows = box.height() / 2;
    if (w <= 0 || rows <= 0 || flash_size == 0)
        return {};
    end = std::min(end, flash_size);
    if (start >= end)
        return {};
    const double p = double(w) * double(rows * 2) / (double(flash_size) * 2.0);
    const int left = box.left(), right = box.left() + w, top = box.top();
    auto pos = [&](uint32_t a) -> ZonePos {
        if (a >= flash_size)
            return {rows - 1, right};
        const double lin = double(a) * p;
        const int row = std::min(rows - 1, static_cast<int>(std::floor(lin / w)));
        return {row, std::min(right - 1, left + static_cast<int>(lin - double(w) * row))};
    };
    const ZonePos s = pos(start);
    ZonePos e = pos(end);
    if (e.x == left && e.row > s.row)
        e = {e.row - 1, right};  // the range ends at a row boundary
    if (e.x <= s.x && e.row == s.row)
        e.x = s.x + 1;  // at least one pixel
    const int ys = top + 2 * s.row, ye = top + 2 * e.row;
    auto rect = [](int x0, int y0, int x1, int y1) {
        QPolygon r;
        r << QPoint(x0, y0) << QPoint(x1, y0) << QPoint(x1, y1) << QPoint(x0, y1);
        return r;
    };
    if (s.row == e.row)
        return {rect(s.x, ys, e.x, ys + 2)};
    if (e.row == s.row + 1 && e.x < s.x)
        return {rect(s.x, ys, right, ys + 2), rect(left, ye, e.x, ye + 2)};
    QPolygon poly;
    poly << QPoint(s.x, ys) << QPoint(right, ys) << QPoint(right, ye) << QPoint(e.x, ye) << QPoint(e.x, ye + 2)
         << QPoint(left, ye + 2) << QPoint(left, ys + 2) << QPoint(s.x, ys + 2);
    return {poly};
}

QString Flashctrl_zone_label(bool loaded, uint32_t address)
{
    if (!loaded)
        return NO_ADDRESS;
    return QString("[0x%1]").arg(address, 8, 16, QLatin1Char('0')).toUpper().replace("[0X", "[0x");
}

void drawFlashZone(ImageBox* box, const FirmwareImageRec& image, uint32_t flash_size)
{
    if (box == nullptr || box->width() <= 0 || box->height() <= 0)
        return;
    Canvas& c = fitted_canvas(box);
    QPainter* p = c.painter();
    const int w = box->width(), h = box->height();
    p->fillRect(0, 0, w, h, bgr(ZONE_BACKGROUND));
    const QRect frame(BOX_LEFT, BOX_TOP, w - BOX_LEFT - BOX_RIGHT, h - BOX_TOP - BOX_BOTTOM);
    if (h < ZONE_TITLE_FROM_HEIGHT || frame.width() <= 0 || frame.height() <= 0) {
        box->update();
        return;
    }
    QFont title("Arial");
    title.setPixelSize(20);
    title.setBold(true);
    p->setFont(title);
    p->setPen(bgr(ZONE_TITLE));
    p->drawText(QRect(0, 0, w, BOX_TOP - 14), Qt::AlignCenter, "FLASH - ZONE");
    p->setPen(Qt::NoPen);
    p->setBrush(Qt::black);
    p->drawRect(frame);
    const bool loaded = FlashFileLoaded.load() && image.end_address > image.start_address;
    if (loaded) {
        p->setBrush(bgr(ZONE_RANGE));
        for (const QPolygon& poly : Flashctrl_zone_polygon(frame, image.start_address, image.end_address + 1, flash_size))
            p->drawPolygon(poly);
    }
    QFont mono("Courier New");
    mono.setPixelSize(14);
    p->setFont(mono);
    p->setPen(Qt::black);
    const QString from = Flashctrl_zone_label(loaded, 0);
    const QString to = Flashctrl_zone_label(loaded, flash_size);
    p->drawText(QRect(BOX_LEFT, BOX_TOP - 16, frame.width(), 16), Qt::AlignLeft | Qt::AlignBottom, from);
    p->drawText(QRect(BOX_LEFT, frame.bottom() + 2, frame.width(), BOX_BOTTOM - 2), Qt::AlignRight | Qt::AlignTop, to);
    box->update();
}
