#include "controls/MemoUpDwx.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <QClipboard>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QObject>

#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "platform/Msgbox.h"
#include "platform/Tick.h"

namespace {

constexpr int MAX_TEXT = 29;        // longer text is not a number of this edit
constexpr uint8_t MAX_DECIMALS = 9;  // 10^9 still fits the u32 divisor

// Feedback waits, ms.
constexpr int FLASH_LEAVE = 25;
constexpr int FLASH_ENTER = 10;
constexpr int FLASH_STEP = 1;

const char* const RangeLeave[3] = {"Il valore deve essere compreso tra : ", "Value must be between : ",
                                   "La valeur doit être comprise entre: "};
const char* const RangeEnter[3] = {" deve essere tra : ", " must be between : ", " doit être compris entre : "};
const char* const RangeAnd[3] = {"  e  ", "  and  ", "  et  "};
const char* const ZeroExcluded[3] = {"Zero escluso!", "Zero excluded", "Zéro exclus!"};

unsigned language() { return LanguageIndex < 3 ? LanguageIndex : 0; }

QChar decimal_separator()
{
    const QString p = QLocale().decimalPoint();
    return p.isEmpty() ? QLatin1Char('.') : p.at(0);
}

bool is_digit(QChar ch) { return ch >= QLatin1Char('0') && ch <= QLatin1Char('9'); }

// floor(log10(x)) for x > 0, counted on the integer part so powers of ten are exact; 1 for x <= 0.
int digit_exponent(double x)
{
    if (x <= 0)
        return 1;
    if (x < 1)
        return static_cast<int>(std::floor(std::log10(x)));
    uint64_t n = x < 1.8e19 ? static_cast<uint64_t>(x) : UINT64_MAX;
    int d = 0;
    while (n >= 10) {
        n /= 10;
        ++d;
    }
    return d;
}

int64_t to_int64(double x)
{
    if (!(x > -9.2e18))
        return INT64_MIN / 2;
    if (!(x < 9.2e18))
        return INT64_MAX / 2;
    return std::llround(x);
}

void warn(const QString& text)
{
    Msgbox_show({MsgIcon::Warning, Msgbox_title(language()), text.toStdString(), MsgOk});
}

class Busy {
public:
    explicit Busy(bool& flag) : flag_(flag) { flag_ = true; }
    ~Busy() { flag_ = false; }

private:
    bool& flag_;
};

}  // namespace

// Routes the memo's events to the edit. Focus changes count only inside the window: window
// activation and pop-ups (the range message among them) are not a leave of the field.
class MemoUpDwxEvents : public QObject {
public:
    explicit MemoUpDwxEvents(MemoUpDwxBase* edit) : edit_(edit) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress: return edit_->on_key(static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn:
            if (inside_window(static_cast<QFocusEvent*>(event)))
                edit_->on_enter();
            break;
        case QEvent::FocusOut:
            if (inside_window(static_cast<QFocusEvent*>(event)))
                edit_->on_exit();
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            // The X11 selection paste would bypass the length limit.
            return static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton;
        default: break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool inside_window(const QFocusEvent* e)
    {
        return e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason;
    }

    MemoUpDwxBase* edit_;
};

// ---- construction ----

MemoUpDwxBase::MemoUpDwxBase(FlowPanel* panel, Binding binding, ValueType type, const Limits& limits,
                             MemoUpDwx_write_fn write, MemoUpDwx_check_fn check)
    : max(limits.max),
      min(limits.min),
      panel_(panel),
      bytes_(binding.bytes),
      field_(binding.field),
      type_(type),
      record_(limits.record),
      decimals_(static_cast<uint8_t>(std::min<unsigned>(limits.decimals & 0xFFu, MAX_DECIMALS))),
      divisor_(1),
      write_(std::move(write)),
      check_(std::move(check))
{
    if (panel_ == nullptr)
        throw std::invalid_argument("MemoUpDwx: no panel");
    if (bytes_ == nullptr)
        throw std::invalid_argument("MemoUpDwx: field outside its data area");
    for (uint8_t i = 0; i < decimals_; ++i)
        divisor_ *= 10;
    clamp_limits();
    build_widgets(limits.width, limits.height);
    ready_ = true;
    set_range();
}

MemoUpDwxBase::~MemoUpDwxBase()
{
    // Without the filter, the focus loss of a memo being deleted is not a leave of the field.
    if (memo_)
        memo_->removeEventFilter(events_.get());
    events_.reset();
    delete updown_.data();  // first: its arrows name the memo as their focus proxy
    delete memo_.data();
}

void MemoUpDwxBase::clamp_limits()
{
    max = std::clamp(max, type_.lowest, type_.highest);
    min = std::clamp(min, type_.lowest, type_.highest);
}

void MemoUpDwxBase::build_widgets(int width, int height)
{
    updown_ = new UpDownButton(panel_);
    updown_->setObjectName(QStringLiteral("updown"));

    memo_ = new QLineEdit(panel_);
    memo_->setObjectName(QStringLiteral("memo"));
    memo_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    memo_->setFont(panel_->font());
    memo_->setContextMenuPolicy(Qt::NoContextMenu);
    memo_->setAcceptDrops(false);
    memo_->setAttribute(Qt::WA_InputMethodEnabled, false);
    updown_->setBuddy(memo_);

    const QFontMetrics fm = memo_->fontMetrics();
    const int w0 = fm.horizontalAdvance(QLatin1Char('0')) + 5;
    int h = fm.height() + 6;
    const int n = std::max(digit_exponent(max), digit_exponent(min));
    int w = (n + 1) * w0 + ((max < 0 || min < 0) ? w0 / 2 : 0);
    if (width > 0)
        w = width;
    if (height > 0)
        h = height;
    memo_->setFixedSize(w, h);
    updown_->setFixedHeight(h);

    panel_->addRightToLeft(updown_);
    panel_->addRightToLeft(memo_);

    colour_ = memo_->palette().color(QPalette::Text);
    events_ = std::make_unique<MemoUpDwxEvents>(this);
    memo_->installEventFilter(events_.get());
    QObject::connect(memo_, &QLineEdit::textChanged, events_.get(), [this] { on_change(); });
    QObject::connect(updown_, &UpDownButton::changing, events_.get(), [this](int dir) { on_updown(dir); });
}

// ---- display ----

double MemoUpDwxBase::bound_value() const
{
    switch (type_.size) {
    case 1: return type_.is_signed ? static_cast<int8_t>(bytes_[0]) : bytes_[0];
    case 2: {
        uint16_t v;
        std::memcpy(&v, bytes_, 2);
        return type_.is_signed ? static_cast<double>(static_cast<int16_t>(v)) : v;
    }
    default: {
        uint32_t v;
        std::memcpy(&v, bytes_, 4);
        return type_.is_signed ? static_cast<double>(static_cast<int32_t>(v)) : v;
    }
    }
}

QString MemoUpDwxBase::format(double raw) const
{
    if (decimals_ > 4)  // shown rounded to whole units
        return QString::number(to_int64(raw / divisor_));
    const int64_t v = to_int64(raw);
    QString digits = QString::number(v < 0 ? -static_cast<uint64_t>(v) : static_cast<uint64_t>(v));
    if (decimals_ > 0) {
        digits = digits.rightJustified(decimals_ + 1, QLatin1Char('0'));
        digits.insert(digits.size() - decimals_, decimal_separator());
    }
    return v < 0 ? QLatin1Char('-') + digits : digits;
}

void MemoUpDwxBase::show_value(double raw)
{
    const QString text = format(raw);
    shown_text_ = text;
    if (memo_ && memo_->text() != text)
        memo_->setText(text);
}

void MemoUpDwxBase::show() { show_value(bound_value()); }

void MemoUpDwxBase::set_range()
{
    clamp_limits();
    const QString lo = format(min);
    const QString hi = format(max);
    max_length_ = static_cast<int>(std::max(lo.size(), hi.size()));
    if (memo_)
        memo_->setToolTip(QStringLiteral("Range: [") + lo + QStringLiteral(" ÷ ") + hi + QLatin1Char(']'));
    show();
}

void MemoUpDwxBase::set_look(const QColor& colour, bool bold)
{
    colour_ = colour;
    bold_ = bold;
    Graph_set_text_colour(memo_, colour);
    QFont f = memo_->font();
    if (f.bold() != bold) {
        f.setBold(bold);
        memo_->setFont(f);
    }
}

// Red for a moment, then back to the look before.
void MemoUpDwxBase::flash(int ms)
{
    const QColor colour = colour_;
    const bool bold = bold_;
    set_look(clRed, bold);
    memo_->repaint();
    Sleep_ms(static_cast<uint32_t>(ms));
    set_look(colour, bold);
}

// ---- caption and access ----

void MemoUpDwxBase::set_language(uint8_t context)
{
    if (located())
        Utxgraph_set_caption(field_, panel_, context);
}

void MemoUpDwxBase::set_access(uint8_t access)
{
    if (!located() || !memo_)
        return;
    const EditDecision d = Utxgraph_edit_rule(field_, access);
    if (d == EditDecision::NoEntry)
        return;
    const UtxAccessLook& look = Utxgraph_access_look(d);
    Graph_set_text_colour(panel_->captionLabel(), look.caption);
    set_look(look.text, bold_);
    memo_->setEnabled(look.enabled);
    updown_->setEnabled(look.enabled);
}

// ---- reading the text ----

bool MemoUpDwxBase::text_valid(const QString& text, QChar sep) const
{
    if (text.size() > MAX_TEXT)
        return false;
    int seps = 0;
    int minuses = 0;
    for (const QChar ch : text) {
        if (is_digit(ch) || ch == QChar(8))
            continue;
        if (ch == sep && divisor_ != 1 && ++seps == 1)
            continue;
        if (ch == QLatin1Char('-') && min < 0 && ++minuses == 1)
            continue;
        return false;
    }
    return true;
}

// Brings the fraction to exactly `decimals` digits (cut, not rounded), then sums the digits from
// the last one back; every '-' negates the sum.
double MemoUpDwxBase::text_to_raw(QString text, QChar sep) const
{
    if (decimals_ > 0) {
        const qsizetype p = text.indexOf(sep);
        if (p < 0) {
            text.append(QString(decimals_, QLatin1Char('0')));
        } else {
            const qsizetype fraction = text.size() - p - 1;
            if (fraction < decimals_)
                text.append(QString(decimals_ - fraction, QLatin1Char('0')));
            else
                text.truncate(p + 1 + decimals_);
        }
    }
    double sum = 0;
    double place = 1;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const QChar ch = text.at(i);
        if (is_digit(ch)) {
            sum += (ch.unicode() - '0') * place;
            place *= 10;
        } else if (ch == QLatin1Char('-')) {
            sum = -sum;
        }
    }
    return sum;
}

double MemoUpDwxBase::parse_text() const
{
    const QString text = memo_->text();
    const QChar sep = decimal_separator();
    if (text == shown_text_ || text.isEmpty() || text == QLatin1String("-") || text == QString(sep) ||
        !text_valid(text, sep))
        return bound_value();
    return text_to_raw(text, sep);
}

MemoUpDwxBase::Refusal MemoUpDwxBase::reject(double candidate) const
{
    if (candidate < min || candidate > max)
        return Refusal::Range;
    if (zero_excluded && candidate == 0)
        return Refusal::Zero;
    if (check_ && check_(field_, candidate, record_, max, min) != 0)
        return Refusal::Check;
    return Refusal::None;
}

void MemoUpDwxBase::store(double candidate)
{
    // Limits lie within the type, so the truncated candidate converts exactly; exactly the
    // field's bytes are written (a signed value in two's complement).
    const double v = std::trunc(std::clamp(candidate, type_.lowest, type_.highest));
    const uint32_t bits = static_cast<uint32_t>(static_cast<int64_t>(v));
    switch (type_.size) {
    case 1: bytes_[0] = static_cast<uint8_t>(bits); break;
    case 2: {
        const uint16_t half = static_cast<uint16_t>(bits);
        std::memcpy(bytes_, &half, 2);
        break;
    }
    default: std::memcpy(bytes_, &bits, 4); break;
    }
}

void MemoUpDwxBase::send()
{
    if (write_ && record_ == 0)
        write_(field_);
}

QString MemoUpDwxBase::range_message(const char* const texts[3]) const
{
    const unsigned lang = language();
    return QString::fromUtf8(texts[lang]) + QLatin1Char('[') + format(min) + QString::fromUtf8(RangeAnd[lang]) +
           format(max) + QStringLiteral("] !");
}

// ---- handlers ----

bool MemoUpDwxBase::room_for(int chars) const
{
    return memo_->text().size() - memo_->selectedText().size() + chars <= max_length_;
}

bool MemoUpDwxBase::on_key(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Undo))
        return false;
    if (event->matches(QKeySequence::Paste)) {
        paste();
        return true;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: on_enter_key(); return true;
    case Qt::Key_Up: on_updown(1); return true;
    case Qt::Key_Down: on_updown(2); return true;
    default: break;
    }
    const Qt::KeyboardModifiers plain = Qt::ShiftModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier;
    if ((event->modifiers() & ~plain) != 0 || event->matches(QKeySequence::Cut))
        return true;  // Ctrl+X, Ctrl+A and every other shortcut
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;  // Backspace, Delete, Tab and the caret keys
    return on_char(text.at(0));
}

bool MemoUpDwxBase::on_char(QChar ch)
{
    if (is_digit(ch))
        return !room_for(1);
    if (ch == QLatin1Char(',') || ch == QLatin1Char('.')) {
        const QChar sep = decimal_separator();
        if (divisor_ != 1 && !memo_->text().contains(sep) && room_for(1))
            memo_->insert(QString(sep));
        return true;
    }
    if (ch == QLatin1Char('-') && min < 0)
        toggle_sign();
    return true;
}

void MemoUpDwxBase::toggle_sign()
{
    QString text = memo_->text();
    int pos = memo_->cursorPosition();
    const qsizetype minus = text.indexOf(QLatin1Char('-'));
    if (minus >= 0) {
        text.remove(minus, 1);
        pos = std::max(pos - 1, 0);
    } else {
        text.prepend(QLatin1Char('-'));
        ++pos;
    }
    memo_->setText(text);
    memo_->setCursorPosition(pos);
}

void MemoUpDwxBase::paste()
{
    const QString clip = QGuiApplication::clipboard()->text();
    const qsizetype room = max_length_ - (memo_->text().size() - memo_->selectedText().size());
    if (room > 0 && !clip.isEmpty())
        memo_->insert(clip.left(room));
}

// A '-' inside the text moves to the front: a pasted 12-3 becomes -123.
void MemoUpDwxBase::on_change()
{
    if (!ready_)
        return;
    const QString text = memo_->text();
    const qsizetype minus = text.indexOf(QLatin1Char('-'));
    if (minus > 0)
        memo_->setText(QLatin1Char('-') + text.left(minus) + text.mid(minus + 1));
}

void MemoUpDwxBase::on_enter() { set_look(clBlue, true); }

void MemoUpDwxBase::on_exit()
{
    if (busy_)
        return;
    Busy busy(busy_);
    double candidate = parse_text();
    const Refusal r = reject(candidate);
    if (r == Refusal::None) {
        store(candidate);
    } else {
        if (r == Refusal::Range)
            warn(range_message(RangeLeave));
        else if (r == Refusal::Zero)
            warn(QString::fromUtf8(ZeroExcluded[language()]));
        candidate = bound_value();
    }
    send();
    show_value(candidate);
    flash(FLASH_LEAVE);
    set_look(clBlack, false);
}

void MemoUpDwxBase::enter_value(const QString& label)
{
    const double candidate = parse_text();
    const Refusal r = reject(candidate);
    if (r != Refusal::None) {  // nothing stored; the typed text stays for correction
        if (r == Refusal::Range)
            warn(label + range_message(RangeEnter));
        else if (r == Refusal::Zero)
            warn(QString::fromUtf8(ZeroExcluded[language()]));
        return;
    }
    show_value(candidate);
    store(candidate);
    flash(FLASH_ENTER);
}

void MemoUpDwxBase::on_enter_key()
{
    if (busy_)
        return;
    Busy busy(busy_);
    enter_value(panel_->caption());
    send();
}

void MemoUpDwxBase::on_updown(int direction)
{
    if (busy_ || !memo_)
        return;
    ready_ = false;
    if (memo_->isEnabled() && memo_->isVisible())
        memo_->setFocus(Qt::OtherFocusReason);
    Busy busy(busy_);
    if (colour_ != clBlue)
        set_look(clBlue, true);
    double candidate = parse_text();
    if (direction == 1 && candidate < max)
        candidate += 1;
    else if (direction == 2 && candidate > min)
        candidate -= 1;
    candidate = std::max(std::min(candidate, max), min);
    if ((zero_excluded && candidate == 0) || (check_ && check_(field_, candidate, record_, max, min) != 0))
        candidate = bound_value();
    store(candidate);
    show_value(candidate);
    send();
    flash(FLASH_STEP);
    ready_ = true;
}

// ---- update ----

void MemoUpDwx_update(MemoUpDwxBase* edit, void* field, const void* received, uint16_t size)
{
    if (Utxgraph_copy_on_change(field, received, size) && edit != nullptr)
        edit->show();
}

void MemoUpDwx_update(MemoUpDwxBase* edit, Loc field, Loc received, uint16_t size)
{
    MemoUpDwx_update(edit, Loc_ptr_n(field, size), Loc_ptr_n(received, size), size);
}
