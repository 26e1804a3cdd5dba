#pragma once
// The scope's value bindings: a single-line memo with an up-down button tied to one integer
// variable with limits and decimals. Dato_long binds a signed 32-bit variable, Dato_usn_short an
// unsigned 16-bit one (limits fixed at construction). A binding never writes to the drive; its
// owner decides what follows a change. GUI thread only.
#include <cstdint>
#include <functional>

#include <QObject>
#include <QPointer>
#include <QString>

#include "scope_core/Dato_user_core.h"

class QLineEdit;
class UpDownButton;

template <typename T>
class Dato_user {
public:
    Dato_user(T* value, int32_t max, int32_t min, uint8_t decimals);

    T* value;
    int32_t scale = 1;
    int32_t max;
    int32_t min;
    uint8_t active = 1;
    uint8_t decimals = 0;
    QString format;  // "0", "0.0" .. "0.0000"

    void Setup_updown(QLineEdit* memo, UpDownButton* updown);
    void Show_value(QLineEdit* memo);
    int64_t Text_value(QLineEdit* memo) const;
    void Edit_change(QLineEdit* memo);
    void Edit_enter(QLineEdit* memo);
    void Edit_exit(QLineEdit* memo);
    // The key after filtering (0: dropped or consumed).
    void Edit_key_press(QLineEdit* memo, const QString& name, char& key);
    void Check_value(QLineEdit* memo, const QString& name);
    void Updown_changing(QLineEdit* memo, int direction, bool& allow_change);

    // The bound value widened to 64 bits.
    int64_t bound() const { return int64_t(*value); }

protected:
    void derive(uint8_t d);

private:
    int64_t typed(QLineEdit* memo) const;
    void store(int64_t v) { *value = static_cast<T>(v); }
    void warn(const std::string& text) const;
    void flash(QLineEdit* memo, int ms) const;
};

class Dato_long : public Dato_user<int32_t> {
public:
    using Dato_user<int32_t>::Dato_user;
    void Set_range(int32_t max, int32_t min, uint8_t decimals);
};
using Dato_usn_short = Dato_user<uint16_t>;

// The locale's decimal separator.
char Dato_separator();
// Memo font look: colour 0x00BBGGRR and bold.
void Dato_set_look(QLineEdit* memo, uint32_t colour, bool bold);
uint32_t Dato_look_colour(const QLineEdit* memo);

// The memo and up-down events of one edit, forwarded to handlers: the window's own, or by default
// the binding's operations (Dato_connect).
struct DatoHandlers {
    std::function<void()> change;            // the user changed the text
    std::function<void()> enter;             // focus came in
    std::function<void()> exit;              // focus went out
    std::function<void(char& key)> key;      // a character typed; 0 afterwards drops it
    std::function<void(int direction)> updown;  // 1 up, 2 down
};
// Routes the memo's and up-down's events to the handlers (owned by the memo).
void Dato_route(QLineEdit* memo, UpDownButton* updown, DatoHandlers handlers);
// Routes them to the binding's own operations, with `name` for Enter's message.
template <typename T>
void Dato_connect(Dato_user<T>& binding, QLineEdit* memo, UpDownButton* updown, const QString& name);

extern template class Dato_user<int32_t>;
extern template class Dato_user<uint16_t>;
