// The scope window's drawn parts: status pane, sampling indicator, link-load bar, the pre-trigger
// and level sliders with their readouts.
#include <QLabel>
#include <QMouseEvent>

#include "drivedata/Globvar.h"
#include "link/Scope_link.h"
#include "scope/Diagramx.h"
#include "scope/Oscx.h"
#include "scope/Oscx_panes.h"
#include "scope_core/Oscx_signals_core.h"
#include "shell/Main.h"
#include "shell/Toolwin.h"

namespace {

constexpr uint32_t BOX_COMPLETE = 0xE3DBC4;
constexpr int MARKER_HALF = 6;
constexpr uint32_t LOAD_FULL = 256;

struct BoxLook {
    QColor face;
    QColor text_colour;
    QString text;
};

// The status pane's box by capture and trigger state.
BoxLook status_box(bool active)
{
    const bool blink = active || (ScopeDisplayFlags & ScopeDisplay::Blink);
    if (!Oscx_link_usable())
        return {clBtnFace, clBlack, {}};
    if (!ScopeCaptureOn.load())
        return {clSilver, clBlack, "Off"};
    if (ScopeSettings.trigger_type == ScopeTrigger::Rolling)
        return {clGreen, clWhite, "On"};
    switch (ScopeTriggerState.state) {
    case ScopeTrigger::Armed: return blink ? BoxLook{clYellow, clRed, "T"} : BoxLook{clSilver, clBlack, {}};
    case ScopeTrigger::Collecting: return blink ? BoxLook{clGreen, clWhite, "On"} : BoxLook{clSilver, clBlack, {}};
    default: return {bgr(BOX_COMPLETE), clBlack, "Off"};
    }
}

void draw_box(Canvas& c, const DrawRect& r, const BoxLook& look)
{
    c.font_colour = look.text_colour;
    Graph_draw_button(c, r, look.face, 1, 0, 1, AlignCentre, look.text);
}

QString unit_of_trigger()
{
    const ScopeSettingsRec& st = ScopeSettings;
    return QString::fromUtf8(Oscx_signal_unit(Oscx_channel_signal(st.channel[st.trigger_channel % SCOPE_CHANNELS])));
}

}  // namespace

void TForm_Oscx::Oscx_draw_cmp_status(uint8_t active)
{
    if (Image_trigger_state == nullptr)
        return;
    Canvas& c = Image_trigger_state->canvas();
    const QImage& img = Image_trigger_state->image();
    const DrawRect all{0, 0, img.width(), img.height()};
    c.brush = QBrush(clBtnFace);
    c.fill_rect(all);
    const QString type = QString::fromUtf8(Scope_trigger_type_text(ScopeSettings.trigger_type, Lang_index()));
    const QString text = Oscx_draw_pieces(c, all, 0, {{"CMP:", clBlack, false}, {type, clBlue, true}});
    const BoxLook box = status_box(active != 0);
    draw_box(c, {all.right - 40, 1, all.right - 1, all.bottom - 1}, box);
    status_text = text + " [" + box.text + "]";
    Image_trigger_state->update();
}

void TForm_Oscx::repaint_status()
{
    if (stb_ != nullptr)
        Stbarx_repaint(stb_);
    Oscx_draw_cmp_status(0);
}

void TForm_Oscx::draw_indicator()
{
    uint8_t state;
    if (!Oscx_link_usable())
        state = 0;
    else if (ScopeCaptureOn.load())
        state = (ScopeDisplayFlags & ScopeDisplay::Blink) ? 1 : 2;
    else
        state = 3;
    if (state == indicator_shown)
        return;
    indicator_shown = state;
    static const char* const TEXT[4] = {"--", "On", "", "Off"};
    indicator_text = QString::fromLatin1(TEXT[state]);
    Canvas& c = Image_stato_cmp->canvas();
    const QImage& img = Image_stato_cmp->image();
    const bool green = state == 1 || state == 2;
    draw_box(c, {0, 0, img.width(), img.height()},
             {green ? clGreen : clSilver, green ? clWhite : clBlack, indicator_text});
    Image_stato_cmp->update();
}

void TForm_Oscx::draw_load()
{
    const uint16_t avg = Frame_length_average_value();
    if (avg == ScopeLoadShown.load())
        return;
    ScopeLoadShown.store(avg);
    Canvas& c = Image_buf_cmp->canvas();
    const QImage& img = Image_buf_cmp->image();
    Graph_draw_progress_bar(c, {0, 0, img.width(), img.height()}, Oscx_overflow_pending() ? clRed : clGreen,
                            LOAD_FULL, avg, 7);
    Image_buf_cmp->update();
}

// ---- sliders ----

void TForm_Oscx::Oscx_draw_time_set()
{
    if (Image_time_set == nullptr)
        return;
    Canvas& c = Image_time_set->canvas();
    const QImage& img = Image_time_set->image();
    const int w = img.width(), h = img.height();
    c.brush = QBrush(clBtnFace);
    c.fill_rect({0, 0, w, h});
    c.pen = QPen(clGray);
    c.polyline(std::array<QPoint, 2>{QPoint(8, h / 2), QPoint(w - 9, h / 2)}.data(), 2);
    const bool on = ScopeSettings.trigger_type != ScopeTrigger::Rolling;
    const int x = Scope_slider_time_x(ScopeSettings.marker[0], w);
    c.pen = QPen(clBlack);
    c.brush = QBrush(on ? clYellow : clWhite);
    const QPoint marker[3] = {QPoint(x - MARKER_HALF, 0), QPoint(x + MARKER_HALF, 0), QPoint(x, h / 2)};
    c.polygon(marker, 3);
    c.brush = QBrush(on ? clRed : clGray);
    const QPoint tip[3] = {QPoint(x - MARKER_HALF / 2, h - 1), QPoint(x + MARKER_HALF / 2, h - 1), QPoint(x, h / 2)};
    c.polygon(tip, 3);
    Image_time_set->update();
    const float position = ScopeSettings.marker[0];
    Panel_time_pre_pct->setText(Graph_format_float("0.0", double(position) * 100.0) + " %");
    const double seconds = double(ScopeTriggerState.pretrigger_count) * (chart_ ? chart_->sample_period : 0.001);
    Panel_time_pre_s->setText(Graph_format_float("0.000", seconds) + " s");
}

void TForm_Oscx::Oscx_draw_level()
{
    if (Image_trigger_asse_y == nullptr)
        return;
    Canvas& c = Image_trigger_asse_y->canvas();
    const QImage& img = Image_trigger_asse_y->image();
    const int w = img.width(), h = img.height();
    c.brush = QBrush(clBtnFace);
    c.fill_rect({0, 0, w, h});
    const float position = ScopeSettings.marker[1];
    const int y = h - 12 - int(std::lround(double(position) * (h - 24)));
    const bool on = ScopeSettings.trigger_type != ScopeTrigger::Rolling;
    c.pen = QPen(clBlack);
    c.brush = QBrush(on ? clYellow : clWhite);
    const QPoint marker[3] = {QPoint(0, y - MARKER_HALF), QPoint(0, y + MARKER_HALF), QPoint(w / 2, y)};
    c.polygon(marker, 3);
    c.brush = QBrush(on ? clRed : clGray);
    const QPoint tip[3] = {QPoint(w - 1, y - MARKER_HALF / 2), QPoint(w - 1, y + MARKER_HALF / 2), QPoint(w / 2, y)};
    c.polygon(tip, 3);
    Image_trigger_asse_y->update();
    const uint8_t d = Dato_decimals(ScopeSettings.trigger_decimals);
    const QString pattern = d == 0 ? QStringLiteral("0") : QStringLiteral("0.") + QString(d, QLatin1Char('0'));
    const QString unit = unit_of_trigger();
    QString level = Graph_format_float(pattern, double(ScopeTriggerState.level));
    if (unit != QLatin1String("---"))
        level += QLatin1Char(' ') + unit;
    Panel_trigger_level->setText(level);
    Panel_trigger_level_pct->setText(Graph_format_float("0.0", double(position) * 100.0) + " %");
    Label_trigger_asse->setText(QStringLiteral("CH [") + unit + QLatin1Char(']'));
}

void TForm_Oscx::Oscx_draw_record_time()
{
    const double period = chart_ ? chart_->sample_period : 0.001;
    Panel_record_time->setText(Graph_format_float("0.000", ScopeSettings.record_length * period) + " s");
}

// which 1: the pre-trigger marker along x; 2: the level marker along y.
void TForm_Oscx::slider_mouse(int which, int pos, bool down, bool up)
{
    const bool time = which == 1;
    const QImage& img = (time ? Image_time_set : Image_trigger_asse_y)->image();
    const int size = time ? img.width() : img.height();
    if (down) {
        const int at = time ? Scope_slider_time_x(ScopeSettings.marker[0], size)
                            : size - 12 - int(std::lround(double(ScopeSettings.marker[1]) * (size - 24)));
        if (ScopeSettings.trigger_type != ScopeTrigger::Rolling && std::abs(pos - at) <= MARKER_HALF)
            drag_ = which;
        return;
    }
    if (up) {
        drag_ = 0;
        return;
    }
    if (drag_ != which)
        return;
    if (time)
        ScopeSettings.marker[0] = Scope_slider_time_position(pos, size);
    else
        ScopeSettings.marker[1] = Scope_slider_level_position(pos, size);
    Scope_trigger_recompute();
    if (time)
        Oscx_draw_time_set();
    else
        Oscx_draw_level();
}

void TForm_Oscx::Image_time_setMouse(int x, bool down, bool up)
{
    slider_mouse(1, x, down, up);
}

void TForm_Oscx::Image_trigger_asse_yMouse(int y, bool down, bool up)
{
    slider_mouse(2, y, down, up);
}

bool TForm_Oscx::eventFilter(QObject* watched, QEvent* event)
{
    const bool time = watched == Image_time_set;
    if (!time && watched != Image_trigger_asse_y)
        return QMainWindow::eventFilter(watched, event);
    const auto mouse = [&](bool down, bool up) {
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (time)
            Image_time_setMouse(p.x(), down, up);
        else
            Image_trigger_asse_yMouse(p.y(), down, up);
    };
    switch (event->type()) {
    case QEvent::MouseButtonPress: mouse(true, false); break;
    case QEvent::MouseMove: mouse(false, false); break;
    case QEvent::MouseButtonRelease: mouse(false, true); break;
    case QEvent::Leave: drag_ = 0; break;
    default: break;
    }
    return QMainWindow::eventFilter(watched, event);
}
