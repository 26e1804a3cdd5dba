#pragma once
// The parameter page: one static ParamPage per page unit holds the frame of each page context
// (0 main window, slot 0; 1 archive window, slot 1), the ready byte, the bound edits of each
// context, the poll lists and one poll stamp, and runs the six entry points and Timer_com from
// the unit's tables. A unit adds its own controls and rules through the hooks of its PageSpec.
//
// Read-back rule: the timer copies a field only when the list it now polls requests it, and only
// after a read-list reply that arrived since it sent that list (Ser_list_reply_count), so a
// value read before an edit never overwrites it. GUI thread only.
#include <array>
#include <cstdint>
#include <memory>

#include <QPointer>
#include <QString>

#include "controls/MemoUpDwx.h"
#include "link/Sertx.h"
#include "pages/Page_host.h"

class QComboBox;
class QGroupBox;
class QTimer;
class QVBoxLayout;
class ParamPage;

enum class EditType : uint8_t { U8, I16, U16, I32, U32 };
constexpr uint16_t Edit_size(EditType t)
{
    return t == EditType::U8 ? 1 : (t == EditType::I32 || t == EditType::U32) ? 4 : 2;
}

using PageCheckFn = uint8_t (*)(Loc field, double candidate, uint16_t record, double max, double min);

// One bound numeric edit, in construction order.
struct FieldSpec {
    const char* panel;    // FlowPanel objectName
    const char* caption;  // designed caption until SetLanguage
    uint16_t ofs;         // DriveRecord offset
    EditType type;
    double min;
    double max;
    uint8_t decimals;
    int width = 0;  // 0 automatic
    PageCheckFn check = nullptr;
    bool zero_excluded = false;
};

// One poll item: the field and where its value is received. pair_half marks the second register
// of a Modbus 32-bit pair (its value is copied with the first).
struct PollSpec {
    uint16_t field;
    uint16_t readback;
    bool pair_half = false;
    // Fixed key for a live value with two key pairs (0: from the dictionary).
    uint16_t key = 0;
    uint8_t subindex = 0;
    // Area of field: a record field of slot 0, or a live value (Area::Live; its received copy
    // lies at readback in Area::LiveReadBack).
    Area area = Area::Slot0;
};
struct PollList {
    const PollSpec* items;
    uint16_t count;
    uint8_t bus_types = 0x07;  // bit n: filled at Create when slot 0's BusType is n
};

// Bits of a flags word edited one per control. The base connects the control after the unit's
// build (check box `clicked`, combo `activated`), shows it at Refresh, copies only its own bits at
// the tick, applies access to it in context 0 and, on a user change, stores its bits in the record
// of PageContext, shows the word in hex_label, runs the bit_changed hook and sends the word in
// context 0. A check box acts only while enabled; a combo's item 0 clears the bits, any other sets them.
struct BitSpec {
    const char* control;  // check box or combo objectName
    uint16_t mask;
    bool combo;
    const char* hex_label;  // label showing the whole word ("0006h"), or null
    uint16_t ofs = 0;               // the word's DriveRecord offset
    const char* on_off = nullptr;   // a check box's "On"/"Off" label
    uint8_t size = 2;               // bytes of the word: 2, or 1 for a byte ("06h")
    // The tick copies the whole word (not only mask) and then sets every control of the word.
    bool copy_whole = false;
};

// "0006h" (size 2) or "06h" (size 1), "00000006h" (size 4): upper-case hex digits and "h".
QString Page_hex_text(uint32_t value, uint8_t size);
// The text a page shows for a value it cannot show (archive, link down).
inline constexpr const char* PAGE_NO_VALUE = "-----";

// Combo items by language, and the value each item stands for (null: value = item index).
struct ComboSpec {
    const char* const* items[3];
    uint16_t count;
    const uint16_t* values = nullptr;
};
// Item index of value, -1 when no item stands for it.
int Combo_index_of(const ComboSpec& spec, int32_t value);
// Value of item index; -1 for an index out of range.
int32_t Combo_value_of(const ComboSpec& spec, int index);
// The combo's items in LanguageIndex / the item of value selected (none when no item stands for
// it); signals blocked. A null combo is skipped.
void Combo_fill(QComboBox* combo, const ComboSpec& spec);
void Combo_select(QComboBox* combo, const ComboSpec& spec, int32_t value);

// A live value shown in a label: in context 0 its value while the drive answers, copied at the
// tick when the polled list delivered it; "-----" in context 1 and while the drive is silent.
struct LiveSpec {
    Loc value;
    const char* label;
    enum Format : uint8_t { Int, Uint, Hex } format;
    uint16_t size;
    // Shown from value in both contexts, also while the drive is silent (a field of slot 0).
    bool any_context = false;
};
// The value of size 1, 2 or 4 at loc as text in format; "-----" when it cannot be read.
QString Live_text(Loc loc, LiveSpec::Format format, uint16_t size);

// Hooks a unit may give; a null hook keeps the default.
struct PageHooks {
    // Index of the list to poll (default 0); -1 polls nothing.
    int (*select_list)(uint16_t bus_type) = nullptr;
    uint32_t poll_ms = 100;
    uint32_t timer_ms = 10;
    // Copy condition in place of ParamPage::default_may_copy (for example list reads alone).
    bool (*may_copy)() = nullptr;
    // Replaces the copy step (the page keeps the read-back rule itself: ParamPage::polled).
    void (*copy)(ParamPage& page) = nullptr;
    // Copy of the page's plain controls, before the edits.
    void (*copy_controls)(ParamPage& page) = nullptr;
    // Live values are copied whenever list reads are on (not under the copy condition).
    bool lives_on_list_reads = false;
    // Extra work of a tick, after copy and poll.
    void (*tick)(ParamPage& page) = nullptr;
    // Builds the unit's own controls into the group box (context ctx) / frees what build made.
    void (*build)(ParamPage& page, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout) = nullptr;
    void (*unbuild)(ParamPage& page, uint8_t ctx) = nullptr;
    // Own steps after the pattern's: Refresh (ready byte 0), SetLanguage, SetAccess (context 0).
    void (*refresh)(ParamPage& page, uint8_t ctx) = nullptr;
    void (*set_language)(ParamPage& page, uint8_t ctx) = nullptr;
    void (*set_access)(ParamPage& page, uint8_t edit_state) = nullptr;
    // Own SetAccess rule in place of the edits' one.
    bool own_access = false;
    // The edits' captions come from the dictionary at SetLanguage (else the page sets them).
    bool edit_captions = true;
    // The poll stamp is set at Create (the first poll waits a whole interval).
    bool stamp_at_create = false;
    // Size reported by a frame without Panel_frm.
    PageSize (*size)(ParamPage& page, uint8_t ctx) = nullptr;
    // After a user change of bit control `index` was stored (before it is sent).
    void (*bit_changed)(ParamPage& page, uint8_t ctx, int index) = nullptr;
    // Own order: each runs in place of the base's steps of its entry point and calls the steps it
    // keeps itself (ParamPage::step_*). The base keeps the guards and the ready byte. Create's runs
    // after the frame is in place (default: Refresh, SetLanguage, SetAccess for context 0; the
    // ready byte stays 0 until Create ends, also through the entry points it calls).
    void (*create_steps)(ParamPage& page, uint8_t ctx) = nullptr;
    void (*refresh_steps)(ParamPage& page, uint8_t ctx) = nullptr;
    void (*language_steps)(ParamPage& page, uint8_t ctx) = nullptr;
    void (*access_steps)(ParamPage& page, uint8_t edit_state) = nullptr;
    // Poll interval in ms in place of poll_ms, asked at each tick.
    uint32_t (*poll_interval)() = nullptr;
    // The frame has no Timer_com.
    bool no_timer = false;
    // The frame holds only what build makes (no Panel_frm, group box or flow panels): build gets a
    // null group box and the frame's layout.
    bool bare_frame = false;
    // After a list request was accepted (the new poll stamp set).
    void (*list_sent)(ParamPage& page) = nullptr;
};

struct PageSpec {
    const char* frame_class;  // "TFrame_pid_vel"
    const char* group_box;    // objectName of the page's group box
    const char* title[3];
    const FieldSpec* fields;
    uint16_t field_count;
    const PollList* lists;
    uint16_t list_count;
    PageHooks hooks = {};
    const BitSpec* bits = nullptr;
    uint16_t bit_count = 0;
    const LiveSpec* lives = nullptr;
    uint16_t live_count = 0;
};

class ParamPage {
public:
    static constexpr int MAX_LISTS = 16;
    static constexpr int MAX_FIELDS = 32;

    explicit ParamPage(const PageSpec& spec);
    ~ParamPage();
    ParamPage(const ParamPage&) = delete;
    ParamPage& operator=(const ParamPage&) = delete;

    // The six entry points.
    void create(uint8_t ctx, QWidget* parent);
    void destroy(uint8_t ctx);
    void refresh(uint8_t ctx);
    void set_language(uint8_t ctx);
    void set_access(uint8_t unused);
    void get_size(uint8_t ctx, PageSize* out);

    // Timer_com's work (also the test's direct tick).
    void tick();
    // Sends the list the page would poll now once, with or without a frame, and then runs the
    // list_sent hook; its reply is not counted for the pages (Sertx_send_read_list, counted false).
    // Nothing also when the page has no list to send.
    ListSend ask_once();

    // ---- for the unit's hooks and the tests ----
    const PageSpec& spec() const { return spec_; }
    QWidget* frame(uint8_t ctx) const { return ctx < 2 ? frame_[ctx].data() : nullptr; }
    uint8_t ready() const { return ready_; }
    void set_ready(uint8_t r) { ready_ = r; }
    // A named control of the frame of ctx, or null.
    template <typename W>
    W* find(uint8_t ctx, const char* name) const
    {
        QWidget* f = frame(ctx);
        return f == nullptr ? nullptr : f->findChild<W*>(QString::fromLatin1(name));
    }
    MemoUpDwxBase* edit(uint8_t ctx, int index) const;
    MemoUpDwxBase* edit_of(uint8_t ctx, uint16_t ofs) const;
    // The list the next poll sends (null when none), filled at Create.
    const PollItem* next_list(uint16_t* count) const;
    // True when the list now polled requests field ofs and a reply to it has arrived since it was sent
    // and since the last write was queued (Ser_list_write_mark).
    bool polled(uint16_t ofs) const;
    // The same for a record field (Area::Slot0) or a live value (Area::Live).
    bool polled(Loc var) const;
    // Copies the read-back of polled record field ofs (size bytes) into slot 0 when they differ;
    // true when it did.
    bool copy_polled(uint16_t ofs, uint16_t size = 2) const;
    // The BusType of slot `slot` (0 or 1) has a dictionary (0 to 2).
    static bool bus_known(uint8_t slot = 0);
    // List reads on, Remote clear (bus status bit 9 set), slot 0 on a known field bus.
    static bool default_may_copy();
    // Show every edit of ctx (ready byte 0 meanwhile).
    void show_values(uint8_t ctx);

    // ---- the base's steps, for a unit's own order (frame of ctx present) ----
    void step_show_edits(uint8_t ctx);     // every edit's value
    void step_show_bits(uint8_t ctx);      // bit controls and hex labels
    void step_show_lives(uint8_t ctx);     // live labels
    void step_timer(uint8_t ctx);          // Timer_com: context 0 started, context 1 stopped
    void step_title(uint8_t ctx);          // group box title
    void step_caption_edits(uint8_t ctx);  // edits' dictionary captions (known bus type)
    void step_access_edits(uint8_t edit_state);  // context-0 edits and bit controls
    void step_refresh(uint8_t ctx);        // Refresh's whole default order
    void step_set_language(uint8_t ctx);   // SetLanguage's
    void step_set_access(uint8_t edit_state);  // SetAccess's
    // The tick's copy steps (the conditions already checked).
    void step_copy_edits();
    void step_copy_field(uint16_t ofs);  // the edit of field ofs alone
    void step_copy_bits();
    void step_copy_lives();

private:
    void build_frame(uint8_t ctx, QWidget* parent);
    void free_edits(uint8_t ctx);
    void fill_list(uint16_t l, PollItem* out) const;
    void fill_lists();
    int current_list() const;
    void poll();
    void connect_bits(uint8_t ctx);
    void bit_clicked(int index, int item);  // item: the combo's chosen item
    void set_bit_control(uint8_t ctx, int index);
    void show_hex(uint8_t ctx, uint16_t ofs);

    const PageSpec& spec_;
    QPointer<QWidget> frame_[2];
    QPointer<QTimer> timer_;
    MemoUpDwxBase* edits_[2][MAX_FIELDS] = {};  // owned; freed by free_edits
    std::array<PollItem, SER_READ_LIST_MAX> items_[MAX_LISTS] = {};
    uint8_t ready_ = 1;
    uint32_t stamp_ = 0;
    int sent_list_ = -1;        // list sent since the choice, -1 none
    uint32_t sent_count_ = 0;   // Ser_list_reply_count when it was sent
    bool lives_shown_ = false;
    bool creating_ = false;     // Create runs: the ready byte stays 0 until its end  // context 0's live labels show values (not "-----")
};

// A unit's ParamPage over its PageSpec `spec` (Frm_<unit>_page()) and its six functions:
// Frm_<unit>_create, _destroy, _refresh, _set_language, _set_access, _get_size, and
// Frm_<unit>_entries() for Pages_install.
#define PARAM_PAGE_UNIT(unit, spec)                                                                   \
    ParamPage& Frm_##unit##_page()                                                                    \
    {                                                                                                 \
        static ParamPage page_(spec);                                                                 \
        return page_;                                                                                 \
    }                                                                                                 \
    void Frm_##unit##_create(uint8_t ctx, QWidget* parent) { Frm_##unit##_page().create(ctx, parent); }            \
    void Frm_##unit##_destroy(uint8_t ctx) { Frm_##unit##_page().destroy(ctx); }                                   \
    void Frm_##unit##_refresh(uint8_t ctx) { Frm_##unit##_page().refresh(ctx); }                                   \
    void Frm_##unit##_set_language(uint8_t ctx) { Frm_##unit##_page().set_language(ctx); }                         \
    void Frm_##unit##_set_access(uint8_t access) { Frm_##unit##_page().set_access(access); }                       \
    void Frm_##unit##_get_size(uint8_t ctx, PageSize* size) { Frm_##unit##_page().get_size(ctx, size); }           \
    PageEntryPoints Frm_##unit##_entries()                                                            \
    {                                                                                                 \
        return {Frm_##unit##_create,       Frm_##unit##_destroy,    Frm_##unit##_refresh,             \
                Frm_##unit##_set_language, Frm_##unit##_set_access, Frm_##unit##_get_size};           \
    }

// Declarations of the same functions, for a unit's header.
#define PARAM_PAGE_UNIT_DECL(unit)                           \
    void Frm_##unit##_create(uint8_t ctx, QWidget* parent);  \
    void Frm_##unit##_destroy(uint8_t ctx);                  \
    void Frm_##unit##_refresh(uint8_t ctx);                  \
    void Frm_##unit##_set_language(uint8_t ctx);             \
    void Frm_##unit##_set_access(uint8_t access);            \
    void Frm_##unit##_get_size(uint8_t ctx, PageSize* size); \
    PageEntryPoints Frm_##unit##_entries();                  \
    ParamPage& Frm_##unit##_page();
