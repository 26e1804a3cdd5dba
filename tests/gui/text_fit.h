#pragma once
// Whether a text a user reads is whole, measured with font metrics and geometry: a label's text
// within its contents, a button's contents within the button, a blank between a text and the
// control beside it. Layouts are settled by processing events until the geometry stays the same.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QWidget>

#include <string>
#include <vector>

namespace textfit {

// Processes the posted layout requests, fits and resizes until the geometry of root's window
// stays the same for two rounds.
inline void settle(const QWidget* root)
{
    std::vector<QRect> last;
    for (int round = 0, same = 0; round < 100 && same < 2; ++round) {
        QCoreApplication::processEvents();
        std::vector<QRect> now;
        for (const QWidget* w : root->window()->findChildren<QWidget*>())
            now.push_back(w->geometry());
        same = now == last ? same + 1 : 0;
        last = std::move(now);
    }
}

// The horizontal extent of a label's text in the label's parent, as the label places it.
inline QRect label_text(const QLabel* l)
{
    const QFontMetrics fm = l->fontMetrics();
    const QRect r = fm.boundingRect(l->contentsRect(), int(l->alignment()), l->text());
    return r.translated(l->pos());
}

// The text lies within the label's contents (a centred or right-aligned text that does not fit
// runs out at the left).
inline bool label_whole(const QLabel* l)
{
    const QRect text = label_text(l);
    const QRect room = l->contentsRect().translated(l->pos());
    return text.left() >= room.left() && text.right() <= room.right();
}

// The button is at least as wide as its text and frame need.
inline bool button_whole(const QAbstractButton* b)
{
    return b->width() >= b->sizeHint().width();
}

// Pixels from the end of a label's text to the next widget at its right.
inline int gap_after(const QLabel* l, const QWidget* next)
{
    return next->x() - (label_text(l).right() + 1);
}

// The width of a blank in the label's font: two texts side by side read apart from this on.
inline int blank(const QWidget* w)
{
    return w->fontMetrics().horizontalAdvance(QLatin1Char(' '));
}

inline std::string name(const QObject* o)
{
    return o->objectName().toStdString();
}

}  // namespace textfit
