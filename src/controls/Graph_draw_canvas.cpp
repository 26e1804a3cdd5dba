// Canvas and ImageBox: the painting surface of the drawing helpers.
#include <algorithm>

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPalette>

#include "controls/Graph_draw.h"

void Graph_set_text_colour(QWidget* widget, const QColor& colour)
{
    if (!widget)
        return;
    QPalette pal = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::WindowText, colour);
        pal.setColor(group, QPalette::Text, colour);
        pal.setColor(group, QPalette::ButtonText, colour);
    }
    widget->setPalette(pal);
}

// ---- Canvas ----

Canvas::Canvas() = default;

Canvas::Canvas(QPaintDevice* device) { begin(device); }

Canvas::Canvas(QPainter* external) : painter_(external)
{
    if (external && external->isActive())
        font = external->font();
}

Canvas::~Canvas() { end(); }

bool Canvas::begin(QPaintDevice* device)
{
    end();
    if (!device || !own_.begin(device))
        return false;
    painter_ = &own_;
    return true;
}

void Canvas::end()
{
    if (painter_ == &own_ && own_.isActive())
        own_.end();
    painter_ = nullptr;
}

bool Canvas::active() const { return painter_ && painter_->isActive(); }

QRect Canvas::clip_rect() const
{
    if (!active())
        return {};
    if (painter_->hasClipping())
        return painter_->clipBoundingRect().toAlignedRect();
    const QPaintDevice* d = painter_->device();
    return QRect(0, 0, d->width(), d->height());
}

int Canvas::text_width(const QString& text) const
{
    if (active())
        return QFontMetrics(font, painter_->device()).horizontalAdvance(text);
    return QFontMetrics(font).horizontalAdvance(text);
}

int Canvas::text_height() const
{
    if (active())
        return QFontMetrics(font, painter_->device()).height();
    return QFontMetrics(font).height();
}

void Canvas::apply_pen_brush()
{
    painter_->setPen(pen);
    painter_->setBrush(brush);
}

void Canvas::fill_rect(const DrawRect& r)
{
    if (!active() || r.right <= r.left || r.bottom <= r.top || brush.style() == Qt::NoBrush)
        return;
    painter_->fillRect(r.to_qrect(), brush);
}

void Canvas::rectangle(const DrawRect& r)
{
    if (!active() || r.right <= r.left || r.bottom <= r.top)
        return;
    if (pen.style() == Qt::NoPen) {
        fill_rect(r);
        return;
    }
    apply_pen_brush();
    // A one-pixel pen on QRect(x, y, w, h) covers x..x+w, so the outline stays inside r.
    painter_->drawRect(QRect(r.left, r.top, r.width() - 1, r.height() - 1));
}

void Canvas::polygon(const QPoint* points, int count)
{
    if (!active() || !points || count <= 0)
        return;
    apply_pen_brush();
    painter_->drawPolygon(points, count);
}

void Canvas::polyline(const QPoint* points, int count)
{
    if (!active() || !points || count <= 0)
        return;
    painter_->setPen(pen);
    painter_->drawPolyline(points, count);
}

void Canvas::text_out(int x, int top, const QString& text)
{
    if (!active() || text.isEmpty())
        return;
    painter_->setFont(font);
    painter_->setPen(font_colour);
    painter_->drawText(x, top + QFontMetrics(font, painter_->device()).ascent(), text);
}

// ---- ImageBox ----

ImageBox::ImageBox(QWidget* parent) : QWidget(parent) {}

ImageBox::~ImageBox() { canvas_.end(); }

Canvas& ImageBox::canvas()
{
    if (image_.isNull()) {
        image_ = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
        image_.fill(Qt::white);
        canvas_.font = font();
        canvas_.begin(&image_);
        if (auto_size_)
            resize(image_.size());
    }
    return canvas_;
}

void ImageBox::set_image_size(int w, int h)
{
    w = std::max(1, w);
    h = std::max(1, h);
    if (!image_.isNull() && image_.width() == w && image_.height() == h)
        return;
    const bool first = image_.isNull();
    canvas_.end();
    QImage next(w, h, QImage::Format_RGB32);
    next.fill(clBtnFace);
    if (!image_.isNull()) {
        QPainter copy(&next);
        copy.drawImage(0, 0, image_);
    }
    image_ = std::move(next);
    if (first)
        canvas_.font = font();
    canvas_.begin(&image_);
    if (auto_size_)
        resize(image_.size());
    update();
}

void ImageBox::set_auto_size(bool on)
{
    auto_size_ = on;
    if (on && !image_.isNull())
        resize(image_.size());
}

void ImageBox::paintEvent(QPaintEvent* event)
{
    if (image_.isNull())
        return;
    QPainter p(this);
    const QRect area = event->rect().intersected(image_.rect());
    p.drawImage(area.topLeft(), image_, area);
}
