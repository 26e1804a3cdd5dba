#include "shell/Stbar.h"

#include <algorithm>

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>

#include "platform/Msgbox.h"

namespace {
// The panel's property that holds its bar.
constexpr char BAR_PROPERTY[] = "stbarx";
}  // namespace

// Forwards the panel's resize events to the bar.
class StbarHook : public QObject {
public:
    explicit StbarHook(Stbarx* bar) : bar_(bar) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            Stbarx_on_resize(bar_);
        return false;
    }

private:
    Stbarx* bar_;
};

// Private helpers with access to the bar's fields.
struct StbarOps {
    static bool has_graphic(const Stbarx* bar) { return bar->image_ && !bar->image_->image().isNull(); }

    // Usable for painting: panel present and a picture to paint on.
    static bool usable(const Stbarx* bar) { return bar && bar->panel_ && has_graphic(bar); }

    static int panel_width(const Stbarx* bar) { return bar->panel_->width(); }
    static int picture_height(const Stbarx* bar) { return bar->image_->image().height(); }
    static Canvas& canvas(Stbarx* bar) { return bar->image_->canvas(); }

    static StbarPane* pane(const Stbarx* bar, int i) { return bar->panes_ ? bar->panes_[i] : nullptr; }

    static void sunken_box(Stbarx* bar, const DrawRect& r)
    {
        Graph_draw_button(canvas(bar), r, clBtnFace, 1, 0, 0, AlignLeft, QString());
        bar->image_->update(r.to_qrect());
    }

    static void paint_content(Stbarx* bar, uint16_t index)
    {
        if (StbarPane* p = pane(bar, index); p && p->paint)
            p->paint(bar->image_, bar->panes_, index);
    }

    // Where the panes end, gap included.
    static int panes_end(const Stbarx* bar)
    {
        if (bar->count_ == 0)
            return 0;
        const StbarPane* last = pane(bar, bar->count_ - 1);
        return last->x + last->width + 2;
    }

    // Sunken box from the end of the last pane to the panel's right edge.
    static void tail(Stbarx* bar)
    {
        const int start = panes_end(bar);
        if (start < panel_width(bar))
            sunken_box(bar, {start, 1, panel_width(bar), picture_height(bar)});
    }

    // The picture is at least as wide as the panel and exactly as high.
    static void fit_picture(Stbarx* bar, int min_width)
    {
        const QImage& img = bar->image_->image();
        const int w = img.width() < min_width ? min_width : img.width();
        bar->image_->set_image_size(w, std::max(1, bar->panel_->height()));
    }

    static void grip_band(Canvas& c, int X, int Y, int o, int a, const QColor& pen)
    {
        c.pen.setColor(pen);
        const QPoint pts[4] = {{X - o, Y}, {X, Y - o}, {X, Y - o - a}, {X - o - a, Y}};
        c.polygon(pts, 4);
    }

    // Redraws one pane with the gaps at its sides, after a width change.
    static void redraw_pane(Stbarx* bar, uint16_t index, int h)
    {
        const StbarPane* p = pane(bar, index);
        const int x0 = p->x, x1 = p->x + p->width;
        Canvas& c = canvas(bar);
        c.pen.setColor(clBtnFace);
        c.brush.setColor(clBtnFace);
        c.rectangle({x0 - 2, 1, x0, h});
        c.rectangle({x1, 1, x1 + 2, h});
        bar->image_->update(QRect(x0 - 2, 0, x1 - x0 + 4, h));
        sunken_box(bar, {x0, 1, x1, h});
        paint_content(bar, index);
    }

    static bool near_edge(int x0, int x1, int old_w, int new_w)
    {
        auto inside = [&](int pos) { return x0 < pos && pos < x1; };
        if (old_w < new_w)
            return inside(old_w - 18) || inside(new_w - 18) || inside(old_w) || inside(new_w) ||
                   (x0 > old_w - 18 && x1 < new_w) || (x0 > old_w && x1 < new_w);
        return inside(new_w - 18);
    }
};

Stbarx::Stbarx(QWidget* panel, StbarPane* const* panes, uint8_t size_grip)
    : panel_(panel), panes_(panes), size_grip_(size_grip)
{
    if (!panel) {
        Stbarx_check(this);
        return;
    }
    hook_ = new StbarHook(this);
    panel->installEventFilter(hook_);
    panel->setProperty(BAR_PROPERTY, QVariant::fromValue(static_cast<void*>(this)));
    if (auto* frame = qobject_cast<QFrame*>(panel))
        frame->setFrameShape(QFrame::NoFrame);

    image_ = new ImageBox(panel);
    image_->move(0, 0);
    image_->set_auto_size(true);
    image_->setFont(panel->font());
    QScreen* screen = panel->screen() ? panel->screen() : QGuiApplication::primaryScreen();
    const int screen_width = screen ? screen->geometry().width() : 0;
    image_->set_image_size(std::max(screen_width + 10, panel->width()), std::max(1, panel->height()));
    image_->canvas().font = panel->font();
    image_->show();

    Stbarx_check(this);
    width_ = panel->width();
    Stbarx_layout(this);
    Stbarx_repaint(this);
}

Stbarx::~Stbarx()
{
    if (panel_ && hook_) {
        panel_->removeEventFilter(hook_);
        panel_->setProperty(BAR_PROPERTY, QVariant());
    }
    delete hook_;
    size_grip_ = 0;
    delete image_.data();
}

const Stbarx* Stbarx_on(const QWidget* panel)
{
    return static_cast<const Stbarx*>(panel->property(BAR_PROPERTY).value<void*>());
}

const StbarPane& Stbarx_pane(const Stbarx* bar, uint16_t index)
{
    return *bar->panes_[index];
}

void Stbarx_free(Stbarx*& bar)
{
    delete bar;
    bar = nullptr;
}

uint32_t Stbarx_check(Stbarx* bar)
{
    if (!bar)
        return 0;
    uint32_t found = 0;
    if (!bar->panel_)
        found |= StbarErrNoPanel;
    else if (!bar->image_)
        found |= StbarErrNoPicture;
    else if (bar->image_->image().isNull())
        found |= StbarErrNoGraphic;
    const uint32_t fresh = found & ~bar->error_code_;
    bar->error_code_ |= found;
    if (fresh) {
        const QString text = "Code Error: " + QString("%1").arg(bar->error_code_, 8, 16, QChar('0')).toUpper();
        Msgbox_show({MsgIcon::Error, "Class Stbarx Error", text.toStdString(), MsgOk});
    }
    return found;
}

void Stbarx_layout(Stbarx* bar)
{
    if (!StbarOps::usable(bar))
        return;
    const int h = StbarOps::picture_height(bar);
    int x = 0;
    uint16_t n = 0;
    for (StbarPane* p; (p = StbarOps::pane(bar, n)) != nullptr; ++n) {
        p->x = static_cast<uint16_t>(x);
        p->y = 1;
        p->height = static_cast<uint16_t>(h);
        x += p->width + 2;
    }
    bar->count_ = n;
}

int Stbarx_panes_width(const Stbarx* bar)
{
    return bar != nullptr ? StbarOps::panes_end(bar) : 0;
}

void Stbarx_repaint(Stbarx* bar)
{
    if (!bar || (Stbarx_check(bar), !StbarOps::usable(bar)))
        return;
    if (bar->image_->image().width() < StbarOps::panel_width(bar))
        StbarOps::fit_picture(bar, StbarOps::panel_width(bar));
    Graph_draw_fill(StbarOps::canvas(bar), clBtnFace);
    const int h = StbarOps::picture_height(bar);
    for (uint16_t i = 0; i < bar->count_; ++i) {
        const StbarPane* p = StbarOps::pane(bar, i);
        StbarOps::sunken_box(bar, {p->x, 1, p->x + p->width, h});
        StbarOps::paint_content(bar, i);
    }
    StbarOps::tail(bar);
    Stbarx_draw_size_grip(bar);
    bar->image_->update();
}

void Stbarx_repaint_pane(Stbarx* bar, uint16_t index)
{
    if (!StbarOps::usable(bar) || index >= bar->count_)
        return;
    const StbarPane* p = StbarOps::pane(bar, index);
    StbarOps::paint_content(bar, index);
    bar->image_->update(QRect(p->x, p->y, p->width, p->height));
    if (p->x + p->width >= StbarOps::panel_width(bar) - 15)
        Stbarx_draw_size_grip(bar);
}

void Stbarx_draw_size_grip(Stbarx* bar)
{
    if (!bar || !bar->size_grip_ || (Stbarx_check(bar), !StbarOps::usable(bar)))
        return;
    Canvas& c = StbarOps::canvas(bar);
    const int X = StbarOps::panel_width(bar) - 1;
    const int Y = StbarOps::picture_height(bar) - 1;
    c.brush.setStyle(Qt::SolidPattern);
    c.brush.setColor(clBtnFace);
    for (int k = 0; k < 3; ++k) {
        const int o0 = 5 * k;
        StbarOps::grip_band(c, X, Y, o0, 1, clBtnFace);
        StbarOps::grip_band(c, X, Y, o0 + 2, 1, clGray);
        StbarOps::grip_band(c, X, Y, o0 + 4, 0, clWhite);
    }
    bar->image_->update(QRect(X - 15, Y - 15, 16, 16));
}

void Stbarx_on_resize(Stbarx* bar)
{
    if (!bar || (Stbarx_check(bar), !StbarOps::usable(bar)))
        return;
    const QImage& img = bar->image_->image();
    const int pw = StbarOps::panel_width(bar);
    const int ph = std::max(1, bar->panel_->height());
    if (img.width() == pw && img.height() == ph)
        return;
    if (bar->width_ == pw && img.height() == ph)
        return;  // nothing moved
    const bool taller_or_lower = img.height() != ph;
    StbarOps::fit_picture(bar, pw);
    if (taller_or_lower) {
        // Every pane changes height: lay out again and paint everything.
        bar->width_ = pw;
        Stbarx_layout(bar);
        Stbarx_repaint(bar);
        return;
    }
    Stbarx_redraw(bar);
}

void Stbarx_redraw(Stbarx* bar)
{
    if (!bar || (Stbarx_check(bar), !StbarOps::usable(bar)))
        return;
    const int old_w = bar->width_;
    const int new_w = StbarOps::panel_width(bar);
    const int h = StbarOps::picture_height(bar);
    for (uint16_t i = 0; i < bar->count_; ++i) {
        const StbarPane* p = StbarOps::pane(bar, i);
        if (StbarOps::near_edge(p->x, p->x + p->width, old_w, new_w))
            StbarOps::redraw_pane(bar, i, h);
    }
    StbarOps::tail(bar);
    bar->width_ = new_w;
    Stbarx_draw_size_grip(bar);
}
