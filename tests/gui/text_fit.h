#pragma once
// Whether a text a user reads is whole, measured with font metrics and geometry: a label's text
// within its contents, a button's contents within the button, a blank between a text and the
// control beside it. Layouts are settled by processing events until the geometry stays the same.
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

#include <algorithm>
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

// The room the style gives a control's text, and the text: a check box's beside its indicator, a
// group box's title, a combo's or a spin box's edit field, a line edit's contents less the margin
// it keeps on each side. An empty room for any other widget.
inline std::pair<QRect, QString> text_room(const QWidget* w)
{
    const QStyle* style = w->style();
    if (const auto* box = qobject_cast<const QCheckBox*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(box);
        opt.text = box->text();
        return {style->subElementRect(QStyle::SE_CheckBoxContents, &opt, box), box->text()};
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(w)) {
        QStyleOptionGroupBox opt;
        opt.initFrom(group);
        opt.text = group->title();
        opt.textAlignment = group->alignment();
        opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        return {style->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, group), group->title()};
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
        QStyleOptionComboBox opt;
        opt.initFrom(combo);
        opt.editable = combo->isEditable();
        opt.currentText = combo->currentText();
        return {style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo),
                combo->currentText()};
    }
    if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(w)) {
        QStyleOptionSpinBox opt;
        opt.initFrom(spin);
        opt.buttonSymbols = spin->buttonSymbols();
        opt.frame = spin->hasFrame();
        return {style->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxEditField, spin), spin->text()};
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
        QStyleOptionFrame opt;
        opt.initFrom(edit);
        opt.lineWidth = edit->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
        constexpr int MARGIN = 2;  // QLineEdit's horizontal margin
        const QRect room = style->subElementRect(QStyle::SE_LineEditContents, &opt, edit)
                               .marginsRemoved(edit->textMargins())
                               .adjusted(MARGIN, 0, -MARGIN, 0);
        return {room, edit->text()};
    }
    return {};
}

// The least size a layout gives w: its minimum size where set, else its least size hint, or its
// size hint where its size policy does not let it shrink.
inline QSize least_size(const QWidget* w)
{
    const QSizePolicy policy = w->sizePolicy();
    const QSize hint = w->sizeHint();
    const QSize least_hint = w->minimumSizeHint();
    const auto one = [](QSizePolicy::Policy p, int hint, int least, int set) {
        if (set > 0)
            return set;
        if (p == QSizePolicy::Ignored)
            return 0;
        return (p & QSizePolicy::ShrinkFlag) ? least : std::max(hint, least);
    };
    return {one(policy.horizontalPolicy(), hint.width(), least_hint.width(), w->minimumWidth()),
            one(policy.verticalPolicy(), hint.height(), least_hint.height(), w->minimumHeight())};
}

// What is cut of w, one line per fault, empty when w is whole: its text (a label's within its
// contents, another control's within the room of text_room, inside the control) in the font it uses, its size below
// its least size, or its rectangle cut by an ancestor up to and with `top`.
inline std::string cut_of(const QWidget* w, const QWidget* top)
{
    std::string faults;
    const std::string id = name(w).empty() ? w->metaObject()->className() : name(w);
    const QFontMetrics fm = w->fontMetrics();
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        const QRect text = fm.boundingRect(label->contentsRect(), int(label->alignment()), label->text());
        if (!label->text().isEmpty() && !label->contentsRect().contains(text))
            faults += id + ": text \"" + label->text().toStdString() + "\" cut\n";
    } else if (const auto [room, text] = text_room(w); !text.isEmpty()) {
        if (fm.horizontalAdvance(text) > room.width() || fm.height() > room.height() || !w->rect().contains(room))
            faults += id + ": text \"" + text.toStdString() + "\" wider than its room\n";
    }
    if (qobject_cast<const QComboBox*>(w) != nullptr) {
        QStyleOptionComboBox opt;
        opt.initFrom(w);
        const QRect arrow = w->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, w);
        if (arrow.isEmpty() || !w->rect().contains(arrow))
            faults += id + ": no arrow\n";
    }
    if (w->width() < least_size(w).width() || w->height() < least_size(w).height())
        faults += id + ": below its least size\n";
    const QRect whole(w->mapTo(top, QPoint()), w->size());
    QRect seen = whole;
    for (const QWidget* p = w->parentWidget(); p != nullptr && p != top; p = p->parentWidget())
        seen &= QRect(p->mapTo(top, QPoint()), p->size());
    if (seen.intersected(top->rect()) != whole)
        faults += id + ": cut by the box it lies in\n";
    return faults;
}

}  // namespace textfit
