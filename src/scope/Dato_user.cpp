// The scope's value bindings on a memo and an up-down button.
#include "scope/Dato_user.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

#include "controls/FlowPanel.h"
#include "controls/Graph_draw.h"
#include "drivedata/Globvar.h"
#include "platform/Msgbox.h"
#include "platform/Tick.h"

namespace {

constexpr uint32_t LOOK_BLUE = 0xFF0000;
constexpr uint32_t LOOK_RED = 0x0000FF;
constexpr uint32_t LOOK_BLACK = 0x000000;
constexpr int FLASH_EXIT_MS = 25, FLASH_CHECK_MS = 10, FLASH_STEP_MS = 1;
constexpr char KEY_ENTER = 13;
constexpr char KEY_NONE_ALLOWED = 0x7F;  // a character the rules drop
const char* const FORMATS[DATO_DECIMALS_MAX + 1] = {"0", "0.0", "0.00", "0.000", "0.0000"};

QString qs(const std::string& s) { return QString::fromStdString(s); }

// Routes one memo's events to its handlers.
class DatoEvents : public QObject {
public:
    DatoEvents(QLineEdit* memo, DatoHandlers h) : QObject(memo), memo_(memo), h_(std::move(h)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress: return key(static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn:
            if (inside(static_cast<QFocusEvent*>(event)) && h_.enter)
                h_.enter();
            break;
        case QEvent::FocusOut:
            if (inside(static_cast<QFocusEvent*>(event)) && h_.exit)
                h_.exit();
            break;
        default: break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool inside(const QFocusEvent* e)
    {
        return e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason;
    }
    // True when the event is consumed.
    bool key(QKeyEvent* e)
    {
        char c;
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            c = KEY_ENTER;
        else if (e->text().isEmpty())
            return false;  // no character: caret keys and the like
        else {
            const char16_t u = e->text().at(0).unicode();
            c = u < 0x7F ? static_cast<char>(u) : KEY_NONE_ALLOWED;
        }
        const char typed = c;
        if (h_.key)
            h_.key(c);
        if (c == 0 || typed == KEY_ENTER)
            return true;
        if (c == typed)
            return false;
        memo_->insert(QString(QChar(c)));
        return true;
    }

    QLineEdit* memo_;
    DatoHandlers h_;
};

}  // namespace

char Dato_separator()
{
    const QString p = QLocale().decimalPoint();
    return p.isEmpty() || p.at(0).unicode() >= 0x7F ? '.' : static_cast<char>(p.at(0).unicode());
}

void Dato_set_look(QLineEdit* memo, uint32_t colour, bool bold)
{
    if (memo == nullptr)
        return;
    Graph_set_text_colour(memo, bgr(colour));
    QFont f = memo->font();
    if (f.bold() != bold) {
        f.setBold(bold);
        memo->setFont(f);
    }
}

uint32_t Dato_look_colour(const QLineEdit* memo)
{
    const QColor c = memo->palette().color(QPalette::Text);
    return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
}

void Dato_route(QLineEdit* memo, UpDownButton* updown, DatoHandlers handlers)
{
    if (memo == nullptr)
        return;
    if (handlers.change)
        QObject::connect(memo, &QLineEdit::textEdited, memo, [f = handlers.change] { f(); });
    if (updown != nullptr && handlers.updown)
        QObject::connect(updown, &UpDownButton::changing, memo, [f = handlers.updown](int d) { f(d); });
    memo->installEventFilter(new DatoEvents(memo, std::move(handlers)));
}

template <typename T>
void Dato_connect(Dato_user<T>& b, QLineEdit* memo, UpDownButton* updown, const QString& name)
{
    Dato_route(memo, updown,
               {[&b, memo] { b.Edit_change(memo); }, [&b, memo] { b.Edit_enter(memo); },
                [&b, memo] { b.Edit_exit(memo); }, [&b, memo, name](char& k) { b.Edit_key_press(memo, name, k); },
                [&b, memo](int d) {
                    bool allow = true;
                    b.Updown_changing(memo, d, allow);
                }});
}
template void Dato_connect(Dato_user<int32_t>&, QLineEdit*, UpDownButton*, const QString&);
template void Dato_connect(Dato_user<uint16_t>&, QLineEdit*, UpDownButton*, const QString&);

// ---- binding ----

template <typename T>
Dato_user<T>::Dato_user(T* v, int32_t mx, int32_t mn, uint8_t d) : value(v), max(mx), min(mn)
{
    derive(d);
}

template <typename T>
void Dato_user<T>::derive(uint8_t d)
{
    active = 1;
    decimals = Dato_decimals(d);
    scale = Dato_scale(decimals);
    format = QString::fromLatin1(FORMATS[decimals]);
}

void Dato_long::Set_range(int32_t mx, int32_t mn, uint8_t d)
{
    max = mx;
    min = mn;
    derive(d);
}

template <typename T>
int64_t Dato_user<T>::Text_value(QLineEdit* memo) const
{
    const std::string text = memo->text().toStdString();
    const char sep = Dato_separator();
    if (!Dato_text_valid(text, decimals, min, sep))
        return bound();
    return ParseScaledDecimal(text, decimals, sep);
}

template <typename T>
int64_t Dato_user<T>::typed(QLineEdit* memo) const
{
    return Dato_typed_value(memo->text().toStdString(), decimals, min, Dato_separator(), bound());
}

template <typename T>
void Dato_user<T>::Show_value(QLineEdit* memo)
{
    if (memo != nullptr)
        memo->setText(qs(Dato_format(bound(), decimals, Dato_separator())));
}

template <typename T>
void Dato_user<T>::Setup_updown(QLineEdit* memo, UpDownButton* updown)
{
    if (memo == nullptr)
        return;
    const char sep = Dato_separator();
    const std::size_t width =
        std::max(Dato_format(max, decimals, sep).size(), Dato_format(min, decimals, sep).size());
    memo->setMaxLength(static_cast<int>(width));
    memo->setToolTip(qs(Dato_range_hint(min, max, decimals, sep)));
    if (updown != nullptr)
        updown->setToolTip(memo->toolTip());
    Show_value(memo);
    memo->repaint();
}

template <typename T>
void Dato_user<T>::Edit_change(QLineEdit* memo)
{
    if (!active || memo == nullptr)
        return;
    const std::string text = memo->text().toStdString();
    const std::string moved = Dato_minus_to_front(text);
    if (moved == text)
        return;
    const int caret = memo->cursorPosition();
    memo->setText(qs(moved));
    memo->setCursorPosition(caret);
}

template <typename T>
void Dato_user<T>::Edit_enter(QLineEdit* memo)
{
    Dato_set_look(memo, LOOK_BLUE, true);
}

template <typename T>
void Dato_user<T>::warn(const std::string& text) const
{
    Msgbox_show({MsgIcon::Warning, Msgbox_title(Lang_index()), text, MsgOk});
}

template <typename T>
void Dato_user<T>::flash(QLineEdit* memo, int ms) const
{
    const uint32_t before = Dato_look_colour(memo);
    const bool bold = memo->font().bold();
    Dato_set_look(memo, LOOK_RED, bold);
    memo->repaint();
    Sleep_ms(static_cast<uint32_t>(ms));
    Dato_set_look(memo, before, bold);
}

template <typename T>
void Dato_user<T>::Edit_exit(QLineEdit* memo)
{
    if (memo == nullptr)
        return;
    const int64_t v = typed(memo);
    if (v < min || v > max)
        warn(Dato_range_message(false, {}, min, max, decimals, Dato_separator(), Lang_index()));
    else
        store(v);
    Show_value(memo);
    flash(memo, FLASH_EXIT_MS);
    Dato_set_look(memo, LOOK_BLACK, false);
}

template <typename T>
void Dato_user<T>::Edit_key_press(QLineEdit* memo, const QString& name, char& key)
{
    if (memo == nullptr)
        return;
    const DatoKeyResult r = Dato_key_rule(memo->text().toStdString(), memo->cursorPosition(), key, decimals, min,
                                          Dato_separator());
    switch (r.action) {
    case DatoKey::Pass: break;
    case DatoKey::Drop: key = 0; break;
    case DatoKey::Replace: key = r.key; break;
    case DatoKey::Rewrite:
        key = 0;
        memo->setText(qs(r.text));
        memo->setCursorPosition(r.caret);
        break;
    case DatoKey::Check: Check_value(memo, name); break;
    }
}

template <typename T>
void Dato_user<T>::Check_value(QLineEdit* memo, const QString& name)
{
    if (memo == nullptr)
        return;
    const int64_t v = typed(memo);
    if (v < min || v > max) {
        warn(Dato_range_message(true, name.toStdString(), min, max, decimals, Dato_separator(), Lang_index()));
        return;
    }
    store(v);
    Show_value(memo);
    flash(memo, FLASH_CHECK_MS);
}

template <typename T>
void Dato_user<T>::Updown_changing(QLineEdit* memo, int direction, bool& allow_change)
{
    allow_change = false;
    if (memo == nullptr)
        return;
    if (min > max)
        return;  // an empty range takes no value
    active = 0;
    if (memo->focusPolicy() != Qt::NoFocus && memo->isEnabled())
        memo->setFocus();
    if (Dato_look_colour(memo) != LOOK_BLUE)
        Dato_set_look(memo, LOOK_BLUE, true);
    int64_t v = std::clamp<int64_t>(typed(memo), min, max);
    if (direction == 1 && v < max)
        ++v;
    else if (direction == 2 && v > min)
        --v;
    store(v);
    Show_value(memo);
    flash(memo, FLASH_STEP_MS);
    active = 1;
}

template class Dato_user<int32_t>;
template class Dato_user<uint16_t>;
