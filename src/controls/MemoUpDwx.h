#pragma once
// Bound numeric edit: a one-line edit and an up-down button inside a designed FlowPanel, tied to
// one integer field. The field holds a raw value; the edit shows raw / 10^decimals with the
// locale's decimal separator and turns typed text back into the raw value. Accepted values are
// stored into the field; for data set 0 the write callback then sends them to the drive.
//
// GUI thread only.
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <type_traits>

#include <QColor>
#include <QLineEdit>
#include <QPointer>
#include <QString>

#include "controls/FlowPanel.h"
#include "drivedata/Busx.h"
#include "link/Sertx.h"

class QEvent;
class QKeyEvent;
class MemoUpDwxEvents;

// Called after a leave, an Enter or an up-down step when the edit's record is 0.
using MemoUpDwx_write_fn = std::function<void(Loc field)>;
// Extra validator: non-zero refuses the raw candidate.
using MemoUpDwx_check_fn =
    std::function<uint8_t(Loc field, double candidate, uint16_t record, double max, double min)>;

// Field given to the callbacks of an edit bound to a variable outside the drive data areas.
constexpr Loc MemoUpDwx_no_field{Area::Slot0, 0xFFFF};

// Type-independent part of the edit; MemoUpDwx<T> fixes the field's type.
class MemoUpDwxBase {
public:
    MemoUpDwxBase(const MemoUpDwxBase&) = delete;
    MemoUpDwxBase& operator=(const MemoUpDwxBase&) = delete;

    // Raw limits, kept within the field's type. After changing them call set_range().
    double max;
    double min;
    // An entered 0 is refused with a message; an up-down step onto 0 is refused silently.
    bool zero_excluded = false;

    // Shows the bound value.
    void show();
    // Applies max and min: length limit, hint "Range: [min ÷ max]", and shows the bound value.
    void set_range();
    // Caption from the dictionary entry of the field in data set `context`.
    void set_language(uint8_t context);
    // Enabled state and colours by the edit rule for the access byte (EditStateFlags).
    void set_access(uint8_t access);

    FlowPanel* panel() const { return panel_; }
    QLineEdit* memo() const { return memo_; }
    UpDownButton* updown() const { return updown_; }
    Loc field() const { return field_; }
    uint16_t record() const { return record_; }
    uint8_t decimals() const { return decimals_; }
    uint32_t divisor() const { return divisor_; }
    // Length limit of typed and pasted text.
    int max_length() const { return max_length_; }
    // The bound field's value.
    double bound_value() const;
    // raw / divisor as the edit shows it.
    QString format(double raw) const;

protected:
    struct ValueType {
        uint8_t size;
        bool is_signed;
        double lowest;
        double highest;
    };
    struct Binding {
        uint8_t* bytes;  // the field
        Loc field;       // MemoUpDwx_no_field for a variable outside the data areas
    };
    struct Limits {
        uint16_t record;
        double max;
        double min;
        uint16_t decimals;
        int width;   // <= 0: from the limits
        int height;  // <= 0: from the font
    };

    // Throws std::invalid_argument for a null panel or a field outside its data area.
    MemoUpDwxBase(FlowPanel* panel, Binding binding, ValueType type, const Limits& limits, MemoUpDwx_write_fn write,
                  MemoUpDwx_check_fn check);
    ~MemoUpDwxBase();

    const uint8_t* bytes() const { return bytes_; }

private:
    friend class MemoUpDwxEvents;
    enum class Refusal { None, Range, Zero, Check };

    void build_widgets(int width, int height);
    void clamp_limits();
    bool located() const { return field_ != MemoUpDwx_no_field; }

    // Input path.
    bool on_key(QKeyEvent* event);  // true when the key is consumed
    bool on_char(QChar ch);
    void on_change();
    void on_enter();
    void on_exit();
    void on_enter_key();
    void on_updown(int direction);
    void paste();
    void toggle_sign();
    bool room_for(int chars) const;

    double parse_text() const;
    bool text_valid(const QString& text, QChar sep) const;
    double text_to_raw(QString text, QChar sep) const;
    Refusal reject(double candidate) const;
    void store(double candidate);
    void send();
    void enter_value(const QString& label);
    QString range_message(const char* const texts[3]) const;

    void show_value(double raw);
    void set_look(const QColor& colour, bool bold);
    void flash(int ms);

    FlowPanel* panel_;
    QPointer<QLineEdit> memo_;
    QPointer<UpDownButton> updown_;
    std::unique_ptr<MemoUpDwxEvents> events_;
    uint8_t* bytes_;
    Loc field_;
    ValueType type_;
    uint16_t record_;
    uint8_t decimals_;
    uint32_t divisor_;
    MemoUpDwx_write_fn write_;
    MemoUpDwx_check_fn check_;
    int max_length_ = 0;
    QString shown_text_;  // text of the last show; unchanged text stands for the bound value
    QColor colour_;
    bool bold_ = false;
    bool ready_ = false;
    bool busy_ = false;  // a handler runs (a modal message may re-enter)
};

template <typename T>
class MemoUpDwx final : public MemoUpDwxBase {
    static_assert(std::is_same_v<T, uint8_t> || std::is_same_v<T, int16_t> || std::is_same_v<T, uint16_t> ||
                      std::is_same_v<T, int32_t> || std::is_same_v<T, uint32_t>,
                  "MemoUpDwx binds u8, i16, u16, i32 or u32 fields");

public:
    // Automatic size.
    MemoUpDwx(FlowPanel* panel, Loc field, uint16_t record, double max, double min, uint16_t decimals,
              MemoUpDwx_write_fn write = Sertx_write_var)
        : MemoUpDwx(panel, field, record, max, min, decimals, 0, 0, std::move(write))
    {
    }
    // Width or height <= 0 means automatic.
    MemoUpDwx(FlowPanel* panel, Loc field, uint16_t record, double max, double min, uint16_t decimals, int width,
              int height, MemoUpDwx_write_fn write = Sertx_write_var, MemoUpDwx_check_fn check = {})
        : MemoUpDwxBase(panel, {Loc_ptr_n(field, sizeof(T)), field}, value_type(),
                        {record, max, min, decimals, width, height}, std::move(write), std::move(check))
    {
    }
    // A variable of the caller's own outside the drive data areas: no dictionary caption or
    // access; the callbacks get MemoUpDwx_no_field.
    MemoUpDwx(FlowPanel* panel, T* variable, uint16_t record, double max, double min, uint16_t decimals, int width,
              int height, MemoUpDwx_write_fn write = {}, MemoUpDwx_check_fn check = {})
        : MemoUpDwxBase(panel, {reinterpret_cast<uint8_t*>(variable), MemoUpDwx_no_field}, value_type(),
                        {record, max, min, decimals, width, height}, std::move(write), std::move(check))
    {
    }

    T value() const
    {
        T v;
        std::memcpy(&v, bytes(), sizeof v);
        return v;
    }

private:
    static ValueType value_type()
    {
        return {sizeof(T), std::is_signed_v<T>, static_cast<double>(std::numeric_limits<T>::lowest()),
                static_cast<double>(std::numeric_limits<T>::max())};
    }
};

// When size is 1, 2 or 4, both fields exist and received differs from field: copies it into
// field and shows the edit (when given). Pages call it from their timer with the field and its
// DriveReadBack twin.
void MemoUpDwx_update(MemoUpDwxBase* edit, void* field, const void* received, uint16_t size);
void MemoUpDwx_update(MemoUpDwxBase* edit, Loc field, Loc received, uint16_t size);

// Free-function names of the pages: uchar, short, ushort, long, ulong stand for u8, i16, u16,
// i32 and u32. Operations accept a null edit and then do nothing.
#define MEMOUPDWX_FUNCTIONS(name, T)                                                                               \
    inline MemoUpDwx<T>* MemoUpDwx_##name##_ctor(FlowPanel* panel, Loc field, uint16_t record, double max,       \
                                                 double min, uint16_t decimals,                                  \
                                                 MemoUpDwx_write_fn write = Sertx_write_var)                     \
    {                                                                                                            \
        return new MemoUpDwx<T>(panel, field, record, max, min, decimals, std::move(write));                    \
    }                                                                                                            \
    inline MemoUpDwx<T>* MemoUpDwx_##name##_ctor_wh(FlowPanel* panel, Loc field, uint16_t record, double max,    \
                                                    double min, uint16_t decimals, int width, int height,        \
                                                    MemoUpDwx_write_fn write = Sertx_write_var)                  \
    {                                                                                                            \
        return new MemoUpDwx<T>(panel, field, record, max, min, decimals, width, height, std::move(write));     \
    }                                                                                                            \
    inline MemoUpDwx<T>* MemoUpDwx_##name##_ctor_wh_check(FlowPanel* panel, Loc field, uint16_t record,         \
                                                          double max, double min, uint16_t decimals, int width,  \
                                                          int height, MemoUpDwx_write_fn write,                  \
                                                          MemoUpDwx_check_fn check)                              \
    {                                                                                                            \
        return new MemoUpDwx<T>(panel, field, record, max, min, decimals, width, height, std::move(write),      \
                                std::move(check));                                                               \
    }                                                                                                            \
    inline void MemoUpDwx_##name##_show(MemoUpDwx<T>* edit)                                                      \
    {                                                                                                            \
        if (edit != nullptr)                                                                                     \
            edit->show();                                                                                        \
    }                                                                                                            \
    inline void MemoUpDwx_##name##_update(MemoUpDwx<T>* edit, Loc field, Loc received, uint16_t size)            \
    {                                                                                                            \
        MemoUpDwx_update(edit, field, received, size);                                                           \
    }                                                                                                            \
    inline void MemoUpDwx_##name##_set_language(MemoUpDwx<T>* edit, uint8_t context)                             \
    {                                                                                                            \
        if (edit != nullptr)                                                                                     \
            edit->set_language(context);                                                                         \
    }                                                                                                            \
    inline void MemoUpDwx_##name##_set_access(MemoUpDwx<T>* edit, uint8_t access)                                \
    {                                                                                                            \
        if (edit != nullptr)                                                                                     \
            edit->set_access(access);                                                                            \
    }                                                                                                            \
    inline void MemoUpDwx_##name##_set_range(MemoUpDwx<T>* edit)                                                 \
    {                                                                                                            \
        if (edit != nullptr)                                                                                     \
            edit->set_range();                                                                                   \
    }                                                                                                            \
    inline void MemoUpDwx_##name##_dtor(MemoUpDwx<T>* edit) { delete edit; }

MEMOUPDWX_FUNCTIONS(uchar, uint8_t)
MEMOUPDWX_FUNCTIONS(short, int16_t)
MEMOUPDWX_FUNCTIONS(ushort, uint16_t)
MEMOUPDWX_FUNCTIONS(long, int32_t)
MEMOUPDWX_FUNCTIONS(ulong, uint32_t)

#undef MEMOUPDWX_FUNCTIONS
