// The scope window's status-bar panes.
#include "scope/Oscx_panes.h"

#include <QLabel>

#include "link/Scope_link.h"
#include "drivedata/Globvar.h"
#include "link/Seriale_port.h"
#include "scope/Oscx.h"
#include "shell/Stbarcmx.h"

QString OscxPaneText[2];

namespace {

StbarPane pane(int16_t width, StbarPaint paint)
{
    StbarPane p;
    p.width = width;
    p.paint = paint;
    return p;
}

void paint_buffer(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    const DrawRect r = Stbarcmx_content(*panes[index]);
    Canvas& c = Stbarcmx_begin(picture);
    Graph_draw_text_rect(c, r, AlignLeft, QString());
    QColor box = clBtnFace;
    if (!Oscx_link_usable()) {
        OscxPaneText[0] = Oscx_draw_pieces(c, r, r.left, {{"CMP:", clBlack, false}, {"Buffer --", clBlack, false}});
    } else if (!Oscx_overflow_pending()) {
        OscxPaneText[0] = Oscx_draw_pieces(c, r, r.left, {{"CMP:", clBlack, false}, {"Buffer-OK", clBlue, true}});
        box = clLime;
    } else if (ScopeDisplayFlags & ScopeDisplay::Blink) {
        OscxPaneText[0] = Oscx_draw_pieces(c, r, r.left, {{"CMP:", clBlack, false}, {"Buffer-OverFlow", clRed, true}});
        box = clRed;
    } else {
        OscxPaneText[0] = Oscx_draw_pieces(c, r, r.left, {{"CMP:", clBlack, false}});
    }
    Stbarcmx_indicator(c, r, box);
    Stbarcmx_done(picture, r);
}

void paint_period(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    const DrawRect r = Stbarcmx_content(*panes[index]);
    Canvas& c = Stbarcmx_begin(picture);
    Graph_draw_text_rect(c, r, AlignLeft, QString());
    OscxPaneText[1] = Oscx_draw_pieces(c, r, r.left,
                                       {{"Tc:", clBlack, false},
                                        {QString::number(ScopeSettings.sample_time + 1), clBlue, true},
                                        {"ms", clBlack, false}});
    Stbarcmx_done(picture, r);
}

}  // namespace

bool Oscx_link_usable()
{
    return Ser_port.is_open() && Ser_tx_state.load() == LinkState::Run && (Ser_link_flags.load() & LinkFlag::Ready);
}

bool Oscx_overflow_pending()
{
    return (ScopeStream.reply_flags.load() & ScopeReply::Overflow) != 0;
}

void Oscx_status_panes(std::unique_ptr<StbarPane> (&panes)[5], StbarPane* (&list)[6])
{
    const StbarPane made[5] = {pane(95, Stbarcmx_paint_link), pane(90, Stbarcmx_paint_drive),
                               pane(160, paint_buffer), pane(72, paint_period), pane(85, Stbarcmx_paint_state)};
    for (int i = 0; i < 5; ++i) {
        panes[i] = std::make_unique<StbarPane>(made[i]);
        list[i] = panes[i].get();
    }
    list[5] = nullptr;
}

QString Oscx_draw_pieces(Canvas& c, const DrawRect& r, int x, std::initializer_list<OscxTextPiece> pieces)
{
    QString joined;
    for (const OscxTextPiece& p : pieces) {
        Stbarcmx_font(c, p.bold, p.colour);
        const int w = c.text_width(p.text);
        c.text_out(x + 2, r.top + (r.height() - c.text_height()) / 2, p.text);
        x += w + 4;
        joined += (joined.isEmpty() ? "" : " ") + p.text;
    }
    return joined;
}

void Oscx_readout_panel(QLabel* panel)
{
    panel->setSizePolicy(QSizePolicy::Ignored, panel->sizePolicy().verticalPolicy());
}

void Oscx_readouts_look(const std::vector<QLabel*>& panels, bool on)
{
    for (QLabel* l : panels) {
        if (!on)
            l->setText(QStringLiteral("-----"));
        Graph_set_text_colour(l, on ? clBlack : clGray);
    }
}
