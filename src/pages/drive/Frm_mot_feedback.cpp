#include "pages/drive/Frm_mot_feedback.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"
#include "pages/drive/Frm_mot_feedback_hall.h"
#include "pages/drive/Frm_motore.h"
#include "platform/Msgbox.h"

namespace {

// Record fields.
constexpr uint16_t OFS_APP_OFFSET = 120;  // i32
constexpr uint16_t OFS_OFFSET = 128;      // commutation offset, 0.01 degree
constexpr uint16_t OFS_FLAGS = 130;       // MotorFeedbackFlags
constexpr uint16_t OFS_PULSES = 152;      // u32
constexpr uint16_t OFS_TYPE = 162;        // feedback type
constexpr uint16_t OFS_SINGLE_TURN = 164;
constexpr uint16_t OFS_MULTI_TURN = 166;
constexpr uint16_t OFS_OBSERVER_FLAGS = 232;

constexpr uint16_t BIT_REVERSE = 1u << 1;
constexpr uint16_t BIT_COGGING = 1u << 2;
constexpr uint16_t BIT_INPUT = 1u << 3;
constexpr uint16_t BIT_ZERO_CROSS = 1u << 0;
constexpr uint16_t FEEDBACK_TYPES = 5;
constexpr uint16_t TYPE_ENCODER_AND_HALL = 1;
constexpr uint16_t MOTOR_LINEAR = 1;
constexpr uint16_t MOTOR_DC = 2;
constexpr uint32_t BIT_SUM_MAX = 31;
constexpr uint8_t HOLD_OFF_TICKS = 40;  // a differing application offset is taken after this many ticks
constexpr uint8_t EDIT_REMOTE = 1u << 3;  // EditStateFlags bit 3, remote control
constexpr int TIMER_CHK_MS = 50;
const char* const NO_VALUE = "-----";

// The bound edits, in construction order.
enum Edit : int {
    PULSES_ONLY, PULSES_HALL, OFFSET_HALL, OFFSET_ONLY_HALLS, OFFSET_SSI, SINGLE_TURN, MULTI_TURN, APP_OFFSET,
    COV_COR, COV_VEL, COV_THX, NOISE, COR_START, COR_RAMP, W_START, W_IST, W_RAMP, DELAY_START, W_FAULT, COR_STOP,
    EDIT_COUNT
};

uint8_t check_pulses(Loc f, double v, uint16_t r, double max, double min)
{
    return Frm_mot_feedback_check_pulses(f, v, r, max, min);
}
uint8_t check_single(Loc f, double v, uint16_t r, double max, double min)
{
    return Frm_mot_feedback_check_single_turn(f, v, r, max, min);
}
uint8_t check_multi(Loc f, double v, uint16_t r, double max, double min)
{
    return Frm_mot_feedback_check_multi_turn(f, v, r, max, min);
}

const FieldSpec FIELDS[] = {
    {"FlowPanel_encoder_imp_increment_only", "Pulses/revolution", OFS_PULSES, EditType::U32, 100, 16777216, 0, 90,
     check_pulses},
    {"FlowPanel_encoder_imp_increment_and_halls", "Pulses/revolution", OFS_PULSES, EditType::U32, 100, 16777216, 0,
     90, check_pulses},
    {"FlowPanel_encoder_offset_increment_and_halls", "Offset", OFS_OFFSET, EditType::U16, 0, 36000, 2, 70},
    {"FlowPanel_encoder_offset_only_halls", "Offset", OFS_OFFSET, EditType::U16, 0, 36000, 2, 70},
    {"FlowPanel_encoder_offset_serial_ssi", "Offset", OFS_OFFSET, EditType::U16, 0, 36000, 2, 70},
    {"FlowPanel_encoder_bit_single_turn", "Bit single-turn", OFS_SINGLE_TURN, EditType::U16, 4, 31, 0, 70, check_single},
    {"FlowPanel_encoder_bit_multi_turn", "Bit multi-turn", OFS_MULTI_TURN, EditType::U16, 0, 31, 0, 70, check_multi},
    {"FlowPanel_offset_multigiro", "Application Offset", OFS_APP_OFFSET, EditType::I32, -2147483648.0, 2147483647.0,
     0, 90},
    {"FlowPanel_cov_cor", "Covariance current", 224, EditType::U16, 1, 65000, 2, 70},
    {"FlowPanel_cov_vel", "Covariance speed", 226, EditType::U16, 1, 65000, 2, 70},
    {"FlowPanel_cov_thx", "Covariance phase", 228, EditType::U16, 1, 65000, 4, 70},
    {"FlowPanel_noise", "Current noise", 230, EditType::U16, 1, 65000, 2, 70},
    {"FlowPanel_cor_start", "Starting current", 234, EditType::U16, 1, 2000, 1, 70},
    {"FlowPanel_cor_ramp", "Current ramp", 236, EditType::U16, 1, 60000, 3, 70},
    {"FlowPanel_w_start", "Initial speed max", 240, EditType::U16, 1, 10000, 0, 70},
    {"FlowPanel_w_ist", "Speed hysteresis", 242, EditType::U16, 1, 1000, 0, 70},
    {"FlowPanel_w_ramp", "Speed ramp", 244, EditType::U16, 1, 60000, 0, 70},
    {"FlowPanel_delay_start", "Initial delay", 248, EditType::U16, 1, 10000, 3, 70},
    {"FlowPanel_w_fault", "Fault measured speed", 246, EditType::U16, 1, 65000, 0, 70},
    {"FlowPanel_cor_stop", "Stationing current", 238, EditType::U16, 0, 2000, 1, 70},
};
static_assert(std::size(FIELDS) == EDIT_COUNT);

// ---- poll lists: seven per bus set, by feedback type (type 4 by the observer tab shown) ----

constexpr uint16_t LIVE_ANGLE = LiveLoc::ElectricalAngle.ofs;
constexpr uint16_t LIVE_POSITION = LiveLoc::EncoderPosition.ofs;

// A Modbus 32-bit value: the first register into the upper half of the read-back (+2).
#define MDB_PAIR(ofs) {ofs, ofs + 2}, {ofs + 2, ofs, true}
#define COMMON_ITEMS {OFS_FLAGS, OFS_FLAGS}, {OFS_TYPE, OFS_TYPE}
#define ITEM(ofs) {ofs, ofs}
#define LIVE(ofs, into) {ofs, into, false, 0, 0, Area::Live}
const PollSpec MDB_TYPE0[] = {COMMON_ITEMS, MDB_PAIR(OFS_PULSES)};
const PollSpec MDB_TYPE1[] = {COMMON_ITEMS, ITEM(OFS_OFFSET), MDB_PAIR(OFS_PULSES), LIVE(LIVE_ANGLE, LIVE_ANGLE)};
const PollSpec MDB_TYPE2[] = {COMMON_ITEMS};
const PollSpec MDB_TYPE3[] = {COMMON_ITEMS,
                              MDB_PAIR(OFS_PULSES),
                              MDB_PAIR(OFS_APP_OFFSET),
                              ITEM(OFS_SINGLE_TURN),
                              ITEM(OFS_MULTI_TURN),
                              LIVE(LIVE_POSITION, LIVE_POSITION + 2),
                              {LIVE_POSITION + 2, LIVE_POSITION, true, 0, 0, Area::Live}};  // second register
const PollSpec CAN_TYPE0[] = {COMMON_ITEMS, ITEM(OFS_PULSES)};
const PollSpec CAN_TYPE1[] = {COMMON_ITEMS, ITEM(OFS_PULSES), ITEM(OFS_OFFSET), LIVE(LIVE_ANGLE, LIVE_ANGLE)};
const PollSpec CAN_TYPE2[] = {COMMON_ITEMS, ITEM(OFS_OFFSET)};
const PollSpec CAN_TYPE3[] = {COMMON_ITEMS,         ITEM(OFS_OFFSET),     ITEM(OFS_SINGLE_TURN),
                              ITEM(OFS_MULTI_TURN), ITEM(OFS_APP_OFFSET), LIVE(LIVE_POSITION, LIVE_POSITION)};
// The observer tabs: the same items on both buses.
const PollSpec OBS_COVARIANCE[] = {COMMON_ITEMS, ITEM(224), ITEM(226), ITEM(228), ITEM(230)};
const PollSpec OBS_START[] = {COMMON_ITEMS, ITEM(234), ITEM(236), ITEM(240), ITEM(242), ITEM(244), ITEM(248)};
const PollSpec OBS_SETTINGS[] = {COMMON_ITEMS, ITEM(OFS_OBSERVER_FLAGS), ITEM(246), ITEM(238)};
#undef MDB_PAIR
#undef COMMON_ITEMS
#undef ITEM
#undef LIVE

constexpr uint8_t MODBUS_SET = 0x03;  // bus types 0 and 1
constexpr uint8_t CANOPEN_SET = 0x04;
#define LIST(items, set) {items, std::size(items), set}
const PollList LISTS[] = {
    LIST(MDB_TYPE0, MODBUS_SET),       LIST(MDB_TYPE1, MODBUS_SET), LIST(MDB_TYPE2, MODBUS_SET),
    LIST(MDB_TYPE3, MODBUS_SET),       LIST(OBS_COVARIANCE, MODBUS_SET), LIST(OBS_START, MODBUS_SET),
    LIST(OBS_SETTINGS, MODBUS_SET),    LIST(CAN_TYPE0, CANOPEN_SET), LIST(CAN_TYPE1, CANOPEN_SET),
    LIST(CAN_TYPE2, CANOPEN_SET),      LIST(CAN_TYPE3, CANOPEN_SET), LIST(OBS_COVARIANCE, CANOPEN_SET),
    LIST(OBS_START, CANOPEN_SET),      LIST(OBS_SETTINGS, CANOPEN_SET),
};
#undef LIST
constexpr int LISTS_PER_SET = 7;
constexpr int LIST_TYPE2 = 2;
constexpr int LIST_OBSERVER = 4;  // + tab of PageControl_klm
static_assert(std::size(LISTS) == 2 * LISTS_PER_SET && std::size(LISTS) <= ParamPage::MAX_LISTS);

// ---- texts ----

struct MotorCaption {
    const char* rotary[3];
    const char* linear[3];
};
const MotorCaption PULSES_CAPTION = {{"Impulsi/giro", "Pulses/revolution", "Impulsions/Tour"},
                                     {"Impulsi/passo polare", "Pulses/magnet pitch", "Impulsions/pas aimant"}};
const MotorCaption RESOLUTION_CAPTION = {
    {"Risoluzione/giro", "Resolution/revolution", "Résolution/Tour"},
    {"Risoluzione/passo polare", "Resolution/magnet pitch", "Résolution/pas aimant"}};
const MotorCaption SINGLE_TURN_CAPTION = {{"Bit singolo giro", "Bit single-turn", "Bit monotour"},
                                          {"Bit singolo passo polare", "Bit single magnet pitch", "Bit pas seul aimant"}};
const MotorCaption MULTI_TURN_CAPTION = {{"Bit multi giro", "Bit multi-turn", "Bit multitours"},
                                         {"Bit multi passo polare", "Bit multi magnet pitch", "Bit multi/aimant terrain"}};

const PageCaption CAPTIONS[] = {
    {"GroupBox_feedback_selection", {"Selezione feedback", "Selection feedback", "Sélection rétroaction"}},
    {"CheckBox_feedback_reverse", {"Inverti feedback", "Reverse feedback", "Inverser réaction"}},
    {"CheckBox_cogging_compensa_encoder_only", {"Compensazione cogging", "Cogging compensation", "Compensation cogging"}},
    {"CheckBox_cogging_compensa_encoder_and_hall",
     {"Compensazione cogging", "Cogging compensation", "Compensation cogging"}},
    {"CheckBox_cogging_compensa_SSI", {"Compensazione cogging", "Cogging compensation", "Compensation cogging"}},
    {"Panel_enc_type_input_no_hall", {"Ingresso encoder", "Encoder input", "Entrée du encoder"}},
    {"Panel_enc_type_input_hall", {"Ingresso encoder", "Encoder input", "Entrée du encoder"}},
    {"Panel_zero_cross", {"Passaggio per zero", "Zero crossing", "Passage par zéro"}},
    {"Panel_encoder_and_hall_indice_hall", {"Indice hall", "Hall index", "Hall index"}},
    {"GroupBox_hall_only", {"Indice hall", "Hall index", "Hall index"}},
    {"Panel_angolo_elettrico", {"Angolo elettrico", "Electrical angle", "Angle électrique"}},
    {"GroupBox_offset_applicazione", {"Offset applicazione", "Application Offset", "Offset l'application"}},
    {"GroupBox_velocita", {"Velocità", "Velocity", "Vitesse"}},
    {"GroupBox_corrente", {"Corrente", "Current", "Courant"}},
    {"GroupBox_impostazioni", {"Impostazioni", "Setting", "Configurations"}},
};
// Tabs of PageControl_klm, in order.
const char* const OBSERVER_TABS[3][3] = {{"Covarianza-rumore", "Covariance-noise", "Covariance-bruit"},
                                         {"Parametri start", "Parameters start", "Paramètres départ"},
                                         {"Impostazioni", "Setting", "Configurations"}};
const char* const ALARM_TEXT[3] = {"Sistema in Allarme", "Alarm System", "Système d’Alarme Activé"};
// The bit-count message: start, between the names, end.
const char* const BIT_SUM_TEXT[3][3] = {{"La somma di ", "  e  ", "\n non deve superare il valore 31!"},
                                        {"The sum of ", "  and  ", "\n must not exceed the value 31!"},
                                        {"La somme de ", "  et  ", "\n ne doit pas dépasser la valeur 31!"}};

// ---- tool buttons ----

struct ToolButton {
    const char* name;
    PageTool first;   // check dialog, or the window itself
    PageTool second;  // tool window after the check (same as first when none)
    QStyle::StandardPixmap glyph;
    const char* hint[3];
};
#define HINT_COGGING {"Acquisizione cogging motore", "Acquisition motor cogging", "Acquisition moteur cogging"}
#define HINT_COG_DATA {"Dati cogging", "Cogging data", "Données Cogging"}
#define HINT_ZEROING {"Azzera encoder", "Reset encoder", "Réinitialiser encodeur"}
const ToolButton ZEROING[] = {
    {"BitBtn_azzera_encoder_and_hall", PageTool::AzzeraEncCk, PageTool::AzzeraEnc, QStyle::SP_BrowserReload, HINT_ZEROING},
    {"BitBtn_azzera_encoder_only_hall", PageTool::AzzeraEncCk, PageTool::AzzeraEnc, QStyle::SP_BrowserReload, HINT_ZEROING},
    {"BitBtn_azzera_encoder_SSI", PageTool::AzzeraEncCk, PageTool::AzzeraEncAbs, QStyle::SP_BrowserReload, HINT_ZEROING},
};
const ToolButton COGGING[] = {
    {"BitBtn_cmp_cog_encoder_only", PageTool::TarCogCk, PageTool::TarCog, QStyle::SP_MediaPlay, HINT_COGGING},
    {"BitBtn_cmp_cog_encoder_and_hall", PageTool::TarCogCk, PageTool::TarCog, QStyle::SP_MediaPlay, HINT_COGGING},
    {"BitBtn_cmp_cog_SSI", PageTool::TarCogCk, PageTool::TarCog, QStyle::SP_MediaPlay, HINT_COGGING},
};
const ToolButton COG_DATA[] = {
    {"BitBtn_cog_dat_encoder_only", PageTool::CogDat, PageTool::CogDat, QStyle::SP_FileDialogDetailedView, HINT_COG_DATA},
    {"BitBtn_cog_dat_encoder_and_hall", PageTool::CogDat, PageTool::CogDat, QStyle::SP_FileDialogDetailedView, HINT_COG_DATA},
    {"BitBtn_cog_dat_SSI", PageTool::CogDat, PageTool::CogDat, QStyle::SP_FileDialogDetailedView, HINT_COG_DATA},
};
#undef HINT_COGGING
#undef HINT_COG_DATA
#undef HINT_ZEROING
const char* const AUTOPHASING_HINT[3] = {"Reset encoder autofasatura", "Reset encoder autophasing",
                                         "Reset encoder autophasing"};

// ---- flag controls: one bit of MotorFeedbackFlags each, with the word's hex label ----

struct FlagControl {
    const char* control;
    const char* on_off;  // state label of a check box; null for a combo
    const char* hex;
    uint16_t mask;
};
constexpr FlagControl REVERSE = {"CheckBox_feedback_reverse", "Panel_on_off_feedback_reverse",
                                 "Panel_hex_feedback_reverse", BIT_REVERSE};
constexpr FlagControl COG_ENCODER_ONLY = {"CheckBox_cogging_compensa_encoder_only", "Panel_on_off_cogging_encoder_only",
                                          "Panel_hex_cogging_encoder_only", BIT_COGGING};
constexpr FlagControl COG_ENCODER_AND_HALL = {"CheckBox_cogging_compensa_encoder_and_hall",
                                              "Panel_on_off_cogging_encoder_and_hall",
                                              "Panel_hex_cogging_encoder_and_hall", BIT_COGGING};
constexpr FlagControl COG_SSI = {"CheckBox_cogging_compensa_SSI", "Panel_on_off_cogging_SSI", "Panel_hex_cogging_SSI",
                                 BIT_COGGING};
constexpr FlagControl INPUT_NO_HALL = {"ComboBox_enc_type_input_no_hall", nullptr, "Panel_hex_enc_type_input_no_hall",
                                       BIT_INPUT};
constexpr FlagControl INPUT_HALL = {"ComboBox_enc_type_input_hall", nullptr, "Panel_hex_enc_type_input_hall",
                                    BIT_INPUT};
const FlagControl* const FLAG_CONTROLS[] = {&REVERSE, &COG_ENCODER_ONLY, &COG_ENCODER_AND_HALL,
                                            &COG_SSI, &INPUT_NO_HALL,    &INPUT_HALL};
const char* const ZERO_CROSS_HEX = "Panel_hex_zero_cross";

// ---- page unit state besides the base's ----
uint8_t hold_off = HOLD_OFF_TICKS;  // ticks left before a differing application offset is taken
uint8_t autophasing_shown = 0;      // status-word bit 7 as last shown

ParamPage& page() { return Frm_mot_feedback_page(); }
template <typename W>
W* find(uint8_t ctx, const char* name) { return page().find<W>(ctx, name); }
uint16_t field(uint8_t ctx, uint16_t ofs) { return Rec_get<uint16_t>(DriveRecordBank[ctx & 1], ofs); }
void set_field(uint8_t ctx, uint16_t ofs, uint16_t v) { Rec_set<uint16_t>(DriveRecordBank[ctx & 1], ofs, v); }
void show_edit(uint8_t ctx, int i)
{
    if (MemoUpDwxBase* e = page().edit(ctx, i))
        e->show();
}

QString hex4(uint16_t v) { return QStringLiteral("%1").arg(v, 4, 16, QLatin1Char('0')).toUpper() + 'h'; }

const char* caption_of(const MotorCaption& c, uint8_t ctx)
{
    return (field(ctx, RecOfs::MotorType) == MOTOR_LINEAR ? c.linear : c.rotary)[Lang_index()];
}

bool tool_available(PageTool t) { return PagesHost.tool_available != nullptr && PagesHost.tool_available(t); }
bool tools_available(const ToolButton& b) { return tool_available(b.first) && tool_available(b.second); }
uint32_t alarm_word() { return Drive_status_get().alarm_word; }

// ---- display ----

void refresh_flag_labels(uint8_t ctx)
{
    const QString flags = hex4(field(ctx, OFS_FLAGS));
    for (const FlagControl* c : FLAG_CONTROLS)
        Utxgraph_set_text(find<QWidget>(ctx, c->hex), flags);
    Utxgraph_set_text(find<QWidget>(ctx, ZERO_CROSS_HEX), hex4(field(ctx, OFS_OBSERVER_FLAGS)));
}

void show_flag_control(uint8_t ctx, const FlagControl& c)
{
    const bool on = (field(ctx, OFS_FLAGS) & c.mask) != 0;
    if (c.on_off == nullptr)
        Combo_select(find<QComboBox>(ctx, c.control), EncoderInputCombo, on ? 1 : 0);
    else if (PagesHost.set_check_on_off != nullptr)
        PagesHost.set_check_on_off(find<QCheckBox>(ctx, c.control), find<QLabel>(ctx, c.on_off), on);
}

void show_zero_cross(uint8_t ctx)
{
    Combo_select(find<QComboBox>(ctx, "ComboBox_zero_cross"), ZeroCrossCombo,
                 field(ctx, OFS_OBSERVER_FLAGS) & BIT_ZERO_CROSS);
    Utxgraph_set_text(find<QWidget>(ctx, ZERO_CROSS_HEX), hex4(field(ctx, OFS_OBSERVER_FLAGS)));
}

void show_resolution(uint8_t ctx, uint64_t pulses)
{
    for (const char* name : {"Panel_resolution_encoder_only_dat", "Panel_resolution_encoder_and_hall_dat"})
        Utxgraph_set_text(find<QWidget>(ctx, name), QString::number(4 * pulses));
}

// Captions that follow the record's motor type: pulses, single-turn and multi-turn edits (with
// the address tag), and the resolution labels.
void show_motor_captions(uint8_t ctx)
{
    if (ParamPage::bus_known(ctx)) {
        const struct {
            int edit;
            const MotorCaption& caption;
        } edits[] = {{PULSES_ONLY, PULSES_CAPTION},
                     {PULSES_HALL, PULSES_CAPTION},
                     {SINGLE_TURN, SINGLE_TURN_CAPTION},
                     {MULTI_TURN, MULTI_TURN_CAPTION}};
        for (const auto& e : edits)
            if (MemoUpDwxBase* edit = page().edit(ctx, e.edit))
                Utxgraph_set_caption_txt(SlotLoc(ctx, FIELDS[e.edit].ofs), edit->panel(), caption_of(e.caption, ctx),
                                         nullptr, ctx);
    }
    for (const char* name : {"Panel_resolution_encoder_only", "Panel_resolution_encoder_and_hall"})
        Utxgraph_set_text(find<QWidget>(ctx, name), QString::fromUtf8(caption_of(RESOLUTION_CAPTION, ctx)));
}

void show_motor_type(uint8_t ctx)
{
    const uint16_t type = field(ctx, RecOfs::MotorType);
    Utxgraph_set_text(find<QWidget>(ctx, "Panel_motor_type_dat"),
                      type < MotorTypeCombo.count ? QString::fromUtf8(MotorTypeCombo.items[Lang_index()][type])
                                                  : QString(NO_VALUE));
}

int observer_tab(uint8_t ctx)
{
    auto* tabs = find<QTabWidget>(ctx, "PageControl_klm");
    const int tab = tabs != nullptr ? tabs->currentIndex() : 0;
    return tab >= 0 && tab < 3 ? tab : 0;
}

// Tab show handlers: the tab's edits again (the settings tab also its combo).
void TabSheet_covar_noiseShow(uint8_t ctx)
{
    for (int i : {COV_COR, NOISE, COV_THX, COV_VEL})
        show_edit(ctx, i);
}
void TabSheet_parametri_startShow(uint8_t ctx)
{
    for (int i : {W_START, W_IST, W_RAMP, COR_START, COR_RAMP, DELAY_START})
        show_edit(ctx, i);
}
void TabSheet_impostazioniShow(uint8_t ctx)
{
    for (int i : {COR_STOP, W_FAULT})
        show_edit(ctx, i);
    show_zero_cross(ctx);
}

void set_tool_buttons(uint8_t ctx, const ToolButton* buttons, std::size_t n, bool enabled)
{
    for (std::size_t i = 0; i < n; ++i)
        if (auto* b = find<QWidget>(ctx, buttons[i].name))
            b->setEnabled(enabled && tools_available(buttons[i]));
}

// ---- tools ----

// Runs a registry window modally and deletes it; -1 when no factory gives a dialog.
int run_tool(PageTool tool)
{
    if (PagesHost.tool_create == nullptr)
        return -1;
    QWidget* frame = page().frame(PageContext.load() & 1);
    const QPointer<QWidget> window = PagesHost.tool_create(tool, frame != nullptr ? frame->window() : nullptr);
    auto* dialog = qobject_cast<QDialog*>(window.data());
    const int result = dialog != nullptr ? dialog->exec() : -1;
    delete window.data();
    return result;
}

// Link ready and no alarm: the check dialog, then on its result 1 with still no alarm the tool.
void run_checked(const ToolButton& b)
{
    if ((Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Ready) == 0)
        return;
    if (alarm_word() != 0) {
        const unsigned l = Lang_index();
        Msgbox_show({MsgIcon::Warning, Msgbox_title(l), std::string(ALARM_TEXT[l]) + "  !", MsgOk});
        return;
    }
    if (run_tool(b.first) == 1 && alarm_word() == 0)
        run_tool(b.second);
}

void BitBtn_azzera_encoder_and_hallClick()
{
    run_checked(ZEROING[0]);
    show_edit(PageContext.load() & 1, OFFSET_ONLY_HALLS);
}
void BitBtn_azzera_encoder_SSIClick() { run_checked(ZEROING[2]); }
void BitBtn_cmp_cog_encoder_and_hallClick() { run_checked(COGGING[0]); }
void BitBtn_cog_dat_encoder_and_hallClick() { run_tool(PageTool::CogDat); }

// ---- handlers (record of PageContext; sent only in context 0) ----

uint8_t handler_context()
{
    const uint16_t ctx = PageContext.load();
    return page().ready() == 1 && ctx <= 1 ? static_cast<uint8_t>(ctx) : 0xFF;
}

void ComboBox_feedback_typeChange(int index)
{
    const uint8_t ctx = handler_context();
    if (ctx > 1 || Combo_value_of(FeedbackTypeCombo, index) < 0 || index == field(ctx, OFS_TYPE))
        return;
    set_field(ctx, OFS_TYPE, static_cast<uint16_t>(index));
    Frm_mot_feedback_show_type(ctx);
    Frm_mot_feedback_force_hall();
    if (ctx == 0)
        Sertx_write_var(RecLoc(OFS_TYPE));
}

void store_flag(uint8_t ctx, uint16_t mask, bool on)
{
    const uint16_t flags = field(ctx, OFS_FLAGS);
    set_field(ctx, OFS_FLAGS, static_cast<uint16_t>(on ? flags | mask : flags & ~mask));
    refresh_flag_labels(ctx);
    if (ctx == 0)
        Sertx_write_var(RecLoc(OFS_FLAGS));
}

void flag_check_click(const FlagControl& c)
{
    const uint8_t ctx = handler_context();
    auto* box = find<QCheckBox>(ctx, c.control);
    if (ctx > 1 || box == nullptr || !box->isEnabled() || PagesHost.get_check_on_off == nullptr)
        return;
    store_flag(ctx, c.mask, PagesHost.get_check_on_off(box, find<QLabel>(ctx, c.on_off)) != 0);
}
void CheckBox_feedback_reverseClick() { flag_check_click(REVERSE); }
void CheckBox_cogging_compensa_encoder_onlyClick() { flag_check_click(COG_ENCODER_ONLY); }
void CheckBox_cogging_compensa_encoder_and_hallClick() { flag_check_click(COG_ENCODER_AND_HALL); }
void CheckBox_cogging_compensa_SSIClick() { flag_check_click(COG_SSI); }

void input_combo_change(const FlagControl& c, int index)
{
    const uint8_t ctx = handler_context();
    if (ctx > 1 || Combo_value_of(EncoderInputCombo, index) < 0)
        return;
    store_flag(ctx, c.mask, index == 1);
}
void ComboBox_enc_type_input_no_hallChange(int index) { input_combo_change(INPUT_NO_HALL, index); }
void ComboBox_enc_type_input_hallChange(int index) { input_combo_change(INPUT_HALL, index); }

void ComboBox_zero_crossChange(int index)
{
    const uint8_t ctx = handler_context();
    if (ctx > 1 || Combo_value_of(ZeroCrossCombo, index) < 0)
        return;
    const uint16_t flags = field(ctx, OFS_OBSERVER_FLAGS);
    set_field(ctx, OFS_OBSERVER_FLAGS, static_cast<uint16_t>(index == 1 ? flags | BIT_ZERO_CROSS : flags & ~BIT_ZERO_CROSS));
    Utxgraph_set_text(find<QWidget>(ctx, ZERO_CROSS_HEX), hex4(field(ctx, OFS_OBSERVER_FLAGS)));
    if (ctx == 0)
        Sertx_write_var(RecLoc(OFS_OBSERVER_FLAGS));
}

// The write of a live value goes out in any page context, so the context is tested here.
void BitBtn_reset_encoder_autofasaClick()
{
    if (handler_context() != 0)
        return;
    BusLiveValues.encoder_autophasing = 0;
    Sertx_write_var(LiveLoc::EncoderAutophasing);
}

void Timer_chkTimer(uint8_t ctx, QTimer* timer)
{
    timer->stop();
    const unsigned l = Lang_index();
    const std::string text = std::string(BIT_SUM_TEXT[l][0]) + "'" + caption_of(SINGLE_TURN_CAPTION, ctx) + "'" +
                             BIT_SUM_TEXT[l][1] + "'" + caption_of(MULTI_TURN_CAPTION, ctx) + "'" + BIT_SUM_TEXT[l][2];
    Msgbox_show({MsgIcon::Warning, Msgbox_title(l), text, MsgOk});
}

// Refuses a bit count whose sum with the other count (full width) exceeds 31.
uint8_t check_bit_sum(uint16_t record, uint16_t other_ofs, double candidate)
{
    if (Rec_get<uint16_t>(DriveRecordBank[record & 1], other_ofs) + candidate <= BIT_SUM_MAX)
        return 0;
    if (auto* timer = find<QTimer>(record & 1, "Timer_chk"))
        timer->start();
    return 1;
}

// ---- frame ----

FlowPanel* move_edit(QGroupBox* box, int edit, QWidget* parent, QBoxLayout* layout)
{
    auto* panel = box->findChild<FlowPanel*>(QString::fromLatin1(FIELDS[edit].panel));
    panel->setParent(parent);
    layout->addWidget(panel);
    return panel;
}

// A page (sheet or tab) named `name` with a column layout.
QVBoxLayout* add_sheet(QWidget* parent, const char* name, QWidget** sheet)
{
    *sheet = new QWidget(parent);
    (*sheet)->setObjectName(QString::fromLatin1(name));
    return new QVBoxLayout(*sheet);
}

QVBoxLayout* add_group(QWidget* parent, QBoxLayout* layout, const char* name, QGroupBox** group)
{
    *group = Page_group(parent, layout, name);
    return new QVBoxLayout(*group);
}

void add_check(QWidget* parent, QBoxLayout* layout, const FlagControl& c, void (*click)())
{
    auto* row = new QHBoxLayout;
    layout->addLayout(row);
    auto* box = new QCheckBox(parent);
    box->setObjectName(QString::fromLatin1(c.control));
    row->addWidget(box);
    row->addWidget(Page_label(parent, nullptr, c.on_off));
    row->addWidget(Page_label(parent, nullptr, c.hex));
    QObject::connect(box, &QCheckBox::clicked, box, click);
}

void add_flag_combo(QWidget* parent, QBoxLayout* layout, const char* panel, const FlagControl& c, void (*change)(int))
{
    FlowPanel* flow = Page_flow(parent, layout, panel);
    flow->addRightToLeft(Page_label(flow, nullptr, c.hex));
    QComboBox* combo = Page_combo(flow, c.control);
    QObject::connect(combo, &QComboBox::activated, combo, change);
}

// A tool bar of the given buttons; each opens its tool through its handler.
QFrame* add_tool_bar(QWidget* parent, QBoxLayout* layout, const char* name,
                     std::initializer_list<std::pair<const ToolButton*, void (*)()>> buttons)
{
    auto* bar = new QFrame(parent);
    bar->setObjectName(QString::fromLatin1(name));
    layout->addWidget(bar);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    for (const auto& [button, click] : buttons) {
        auto* b = new QPushButton(bar);
        b->setObjectName(QString::fromLatin1(button->name));
        b->setIcon(b->style()->standardIcon(button->glyph));
        row->addWidget(b);
        QObject::connect(b, &QPushButton::clicked, b, click);
    }
    row->addStretch();
    return bar;
}

void add_resolution(QWidget* parent, QBoxLayout* layout, const char* name, const char* value)
{
    FlowPanel* flow = Page_flow(parent, layout, name);
    flow->addRightToLeft(Page_label(flow, nullptr, value));
}

void build_sheets(uint8_t ctx, QGroupBox* box, QStackedWidget* stack)
{
    QWidget* sheet = nullptr;
    QGroupBox* group = nullptr;

    // 0: encoder only.
    QVBoxLayout* col = add_sheet(stack, "TabSheet_encoder_only", &sheet);
    stack->addWidget(sheet);
    move_edit(box, PULSES_ONLY, sheet, col);
    add_resolution(sheet, col, "Panel_resolution_encoder_only", "Panel_resolution_encoder_only_dat");
    FlowPanel* autophasing = Page_flow(sheet, col, "Panel_encoder_autofasa");
    auto* reset = new QPushButton(QStringLiteral("Reset"), autophasing);
    reset->setObjectName(QStringLiteral("BitBtn_reset_encoder_autofasa"));
    autophasing->addRightToLeft(reset);
    autophasing->addRightToLeft(Page_label(autophasing, nullptr, "Panel_encoder_autofasa_dat"));
    QObject::connect(reset, &QPushButton::clicked, reset, BitBtn_reset_encoder_autofasaClick);
    add_tool_bar(sheet, col, "ToolBar_encoder_only",
                 {{&COGGING[0], BitBtn_cmp_cog_encoder_and_hallClick}, {&COG_DATA[0], BitBtn_cog_dat_encoder_and_hallClick}});
    add_check(sheet, col, COG_ENCODER_ONLY, CheckBox_cogging_compensa_encoder_onlyClick);
    add_flag_combo(sheet, col, "Panel_enc_type_input_no_hall", INPUT_NO_HALL, ComboBox_enc_type_input_no_hallChange);
    col->addStretch();

    // 1: encoder with Halls.
    col = add_sheet(stack, "TabSheet_encoder_and_hall", &sheet);
    stack->addWidget(sheet);
    Frm_mot_feedback_build_hall(ctx, sheet, col, true);
    move_edit(box, PULSES_HALL, sheet, col);
    add_resolution(sheet, col, "Panel_resolution_encoder_and_hall", "Panel_resolution_encoder_and_hall_dat");
    move_edit(box, OFFSET_HALL, sheet, col);
    add_tool_bar(sheet, col, "ToolBar_encoder_and_hall",
                 {{&COGGING[1], BitBtn_cmp_cog_encoder_and_hallClick},
                  {&COG_DATA[1], BitBtn_cog_dat_encoder_and_hallClick},
                  {&ZEROING[0], BitBtn_azzera_encoder_and_hallClick}});
    add_check(sheet, col, COG_ENCODER_AND_HALL, CheckBox_cogging_compensa_encoder_and_hallClick);
    add_flag_combo(sheet, col, "Panel_enc_type_input_hall", INPUT_HALL, ComboBox_enc_type_input_hallChange);
    col->addStretch();

    // 2: Halls only.
    col = add_sheet(stack, "TabSheet_hall_only", &sheet);
    stack->addWidget(sheet);
    QVBoxLayout* hall = add_group(sheet, col, "GroupBox_hall_only", &group);
    Frm_mot_feedback_build_hall(ctx, group, hall, false);
    add_tool_bar(sheet, col, "ToolBar_hall_only", {{&ZEROING[1], BitBtn_azzera_encoder_and_hallClick}});
    move_edit(box, OFFSET_ONLY_HALLS, sheet, col);
    col->addStretch();

    // 3: SSI.
    col = add_sheet(stack, "TabSheet_SSI", &sheet);
    stack->addWidget(sheet);
    for (int i : {OFFSET_SSI, SINGLE_TURN, MULTI_TURN})
        move_edit(box, i, sheet, col);
    QVBoxLayout* application = add_group(sheet, col, "GroupBox_offset_applicazione", &group);
    FlowPanel* position = Page_flow(group, application, "Panel_pos_encoder_mis");
    position->addRightToLeft(Page_label(position, nullptr, "Panel_pos_encoder_mis_dat"));
    FlowPanel* offset = move_edit(box, APP_OFFSET, group, application);
    if (ctx == 0) {
        auto* home = new QPushButton(QStringLiteral("Home"), offset);
        home->setObjectName(QStringLiteral("BitBtn_home"));
        home->setFixedWidth(50);
        home->setContentsMargins(1, 1, 1, 1);
        offset->addRightToLeft(home);
        QObject::connect(home, &QPushButton::clicked, home, Frm_mot_feedback_home_click);
    }
    add_tool_bar(sheet, col, "ToolBar_SSI",
                 {{&COGGING[2], BitBtn_cmp_cog_encoder_and_hallClick},
                  {&COG_DATA[2], BitBtn_cog_dat_encoder_and_hallClick},
                  {&ZEROING[2], BitBtn_azzera_encoder_SSIClick}});
    add_check(sheet, col, COG_SSI, CheckBox_cogging_compensa_SSIClick);
    col->addStretch();

    // 4: sensorless, the observer's three tabs.
    col = add_sheet(stack, "TabSheet_sensorless", &sheet);
    stack->addWidget(sheet);
    auto* tabs = new QTabWidget(sheet);
    tabs->setObjectName(QStringLiteral("PageControl_klm"));
    col->addWidget(tabs);
    QWidget* tab = nullptr;
    QVBoxLayout* t = add_sheet(tabs, "TabSheet_covar_noise", &tab);
    tabs->addTab(tab, QString());
    for (int i : {COV_COR, NOISE, COV_THX, COV_VEL})
        move_edit(box, i, tab, t);
    t->addStretch();
    t = add_sheet(tabs, "TabSheet_parametri_start", &tab);
    tabs->addTab(tab, QString());
    QVBoxLayout* g = add_group(tab, t, "GroupBox_velocita", &group);
    for (int i : {W_START, W_IST, W_RAMP})
        move_edit(box, i, group, g);
    g = add_group(tab, t, "GroupBox_corrente", &group);
    for (int i : {COR_START, COR_RAMP})
        move_edit(box, i, group, g);
    move_edit(box, DELAY_START, tab, t);
    t->addStretch();
    t = add_sheet(tabs, "TabSheet_impostazioni", &tab);
    tabs->addTab(tab, QString());
    g = add_group(tab, t, "GroupBox_impostazioni", &group);
    for (int i : {COR_STOP, W_FAULT})
        move_edit(box, i, group, g);
    FlowPanel* zero = Page_flow(group, g, "Panel_zero_cross");
    zero->addRightToLeft(Page_label(zero, nullptr, ZERO_CROSS_HEX));
    QComboBox* zero_combo = Page_combo(zero, "ComboBox_zero_cross");
    QObject::connect(zero_combo, &QComboBox::activated, zero_combo, ComboBox_zero_crossChange);
    t->addStretch();
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [ctx](int index) {
        static void (*const SHOW[])(uint8_t) = {TabSheet_covar_noiseShow, TabSheet_parametri_startShow,
                                                TabSheet_impostazioniShow};
        if (index >= 0 && index < 3)
            SHOW[index](ctx);
    });
}

constexpr int PAGE_WIDTH = 470;

void build(ParamPage& p, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout)
{
    box->setMinimumWidth(PAGE_WIDTH);
    int at = 0;
    FlowPanel* motor = Page_flow(box, nullptr, "Panel_motor_type");
    layout->insertWidget(at++, motor);
    motor->addRightToLeft(Page_label(motor, nullptr, "Panel_motor_type_dat"));
    auto* reverse = new QVBoxLayout;
    layout->insertLayout(at++, reverse);
    add_check(box, reverse, REVERSE, CheckBox_feedback_reverseClick);

    QGroupBox* selection = Page_group(box, nullptr, "GroupBox_feedback_selection");
    layout->insertWidget(at++, selection);
    auto* column = new QVBoxLayout(selection);
    QComboBox* type = Page_combo(Page_flow(selection, column, "Panel_feedback_type"), "ComboBox_feedback_type");
    QObject::connect(type, &QComboBox::activated, type, ComboBox_feedback_typeChange);
    auto* stack = new QStackedWidget(selection);
    stack->setObjectName(QStringLiteral("PageControl_feedback_type"));
    column->addWidget(stack);
    build_sheets(ctx, box, stack);

    auto* chk = new QTimer(p.frame(ctx));
    chk->setObjectName(QStringLiteral("Timer_chk"));
    chk->setInterval(TIMER_CHK_MS);
    QObject::connect(chk, &QTimer::timeout, chk, [ctx, chk] { Timer_chkTimer(ctx, chk); });
    for (const ToolButton& b : COG_DATA)
        if (auto* button = box->findChild<QWidget*>(QString::fromLatin1(b.name)))
            button->setEnabled(tools_available(b));
}

// ---- pattern steps ----

void refresh(ParamPage&, uint8_t ctx)
{
    show_motor_type(ctx);
    Combo_select(find<QComboBox>(ctx, "ComboBox_feedback_type"), FeedbackTypeCombo, field(ctx, OFS_TYPE));
    for (const FlagControl* c : FLAG_CONTROLS)
        show_flag_control(ctx, *c);
    Frm_mot_feedback_show_type(ctx);
    show_motor_captions(ctx);
    show_resolution(ctx, Rec_get<uint32_t>(DriveRecordBank[ctx], OFS_PULSES));
    if (auto* tabs = find<QTabWidget>(ctx, "PageControl_klm"))
        tabs->setCurrentIndex(0);
    Frm_mot_feedback_show_autophasing(ctx);
    if (ctx == 1) {
        Frm_mot_feedback_blank_halls(1);
        for (const char* name : {"Panel_encoder_autofasa_dat", "Panel_pos_encoder_mis_dat"})
            Utxgraph_set_text(find<QWidget>(1, name), NO_VALUE);
        for (const char* name : {ZEROING[0].name, ZEROING[2].name, "ToolBar_hall_only"})
            find<QWidget>(1, name)->setVisible(false);
        set_tool_buttons(1, COGGING, std::size(COGGING), false);
    } else {
        Frm_mot_feedback_update_halls();
        Frm_mot_feedback_force_hall();
        Frm_mot_feedback_update_halls();
        autophasing_shown = (Drive_status_word() >> 7) & 1;
        Utxgraph_set_text(find<QWidget>(0, "Panel_encoder_autofasa_dat"), autophasing_shown ? "1" : "0");
        BusLiveReadBack.encoder_position = BusLiveValues.encoder_position;
        Utxgraph_set_text(find<QWidget>(0, "Panel_pos_encoder_mis_dat"), QString::number(BusLiveValues.encoder_position));
        Frm_mot_feedback_force_hall_offset();
        set_tool_buttons(0, COGGING, std::size(COGGING), true);
        const bool service = PagesHost.access_flags != nullptr && (PagesHost.access_flags() & 1) != 0;
        for (const char* name : {ZEROING[0].name, ZEROING[2].name, "ToolBar_hall_only"})
            find<QWidget>(0, name)->setVisible(service);
        hold_off = HOLD_OFF_TICKS;
    }
    Frm_mot_feedback_repaint_hall_grids(ctx);
}

void set_language(ParamPage&, uint8_t ctx)
{
    QWidget* frame = page().frame(ctx);
    const unsigned l = Lang_index();
    Page_set_captions(frame, CAPTIONS, std::size(CAPTIONS));
    if (auto* tabs = find<QTabWidget>(ctx, "PageControl_klm"))
        for (int i = 0; i < 3; ++i)
            tabs->setTabText(i, QString::fromUtf8(OBSERVER_TABS[i][l]));
    for (const auto* set : {ZEROING, COGGING, COG_DATA})
        for (int i = 0; i < 3; ++i)
            if (auto* b = find<QWidget>(ctx, set[i].name))
                b->setToolTip(QString::fromUtf8(set[i].hint[l]));
    if (auto* reset = find<QWidget>(ctx, "BitBtn_reset_encoder_autofasa"))
        reset->setToolTip(QString::fromUtf8(AUTOPHASING_HINT[l]));
    if (ParamPage::bus_known(ctx)) {
        Utxgraph_set_caption(SlotLoc(ctx, RecOfs::MotorType), find<QWidget>(ctx, "Panel_motor_type"), ctx);
        Utxgraph_set_caption(SlotLoc(ctx, OFS_TYPE), find<QWidget>(ctx, "Panel_feedback_type"), ctx);
        Utxgraph_set_caption(LiveLoc::EncoderAutophasing, find<QWidget>(ctx, "Panel_encoder_autofasa"), ctx);
        Utxgraph_set_caption(LiveLoc::EncoderPosition, find<QWidget>(ctx, "Panel_pos_encoder_mis"), ctx);
    }
    show_motor_captions(ctx);
    show_motor_type(ctx);
    const struct {
        const char* combo;
        const ComboSpec& spec;
        int32_t value;
    } combos[] = {
        {"ComboBox_feedback_type", FeedbackTypeCombo, field(ctx, OFS_TYPE)},
        {INPUT_NO_HALL.control, EncoderInputCombo, (field(ctx, OFS_FLAGS) & BIT_INPUT) ? 1 : 0},
        {INPUT_HALL.control, EncoderInputCombo, (field(ctx, OFS_FLAGS) & BIT_INPUT) ? 1 : 0},
        {"ComboBox_zero_cross", ZeroCrossCombo, field(ctx, OFS_OBSERVER_FLAGS) & BIT_ZERO_CROSS},
    };
    for (const auto& c : combos) {
        Combo_fill(find<QComboBox>(ctx, c.combo), c.spec);
        Combo_select(find<QComboBox>(ctx, c.combo), c.spec, c.value);
    }
}

void set_access(ParamPage&, uint8_t state)
{
    const bool known = ParamPage::bus_known(0);
    auto combo_rule = [&](uint16_t ofs, const char* combo, const char* caption) {
        auto* c = find<QComboBox>(0, combo);
        if (known)
            Utxgraph_enable_combo(RecLoc(ofs), c, find<QWidget>(0, caption), state);
        else if (c != nullptr)
            c->setEnabled(false);
    };
    combo_rule(OFS_TYPE, "ComboBox_feedback_type", "Panel_feedback_type");
    combo_rule(OFS_FLAGS, INPUT_NO_HALL.control, "Panel_enc_type_input_no_hall");
    combo_rule(OFS_FLAGS, INPUT_HALL.control, "Panel_enc_type_input_hall");
    combo_rule(OFS_OBSERVER_FLAGS, "ComboBox_zero_cross", "Panel_zero_cross");
    for (const FlagControl* c : FLAG_CONTROLS) {
        if (c->on_off == nullptr)
            continue;
        auto* box = find<QCheckBox>(0, c->control);
        if (known)
            Utxgraph_enable_check(RecLoc(OFS_FLAGS), box, state);
        else if (box != nullptr)
            box->setEnabled(false);
    }
    // Resolution labels coloured like their pulses caption.
    const struct {
        const char* label;
        int edit;
    } resolutions[] = {{"Panel_resolution_encoder_only", PULSES_ONLY}, {"Panel_resolution_encoder_and_hall", PULSES_HALL}};
    for (const auto& r : resolutions)
        if (MemoUpDwxBase* e = page().edit(0, r.edit))
            Page_set_colour(find<QWidget>(0, r.label), e->panel()->captionLabel()->palette().color(QPalette::WindowText));
    Frm_mot_feedback_show_autophasing(0);
    // Home and the tool buttons: the field-bus lock does not apply to them.
    const uint8_t tools = state | EDIT_REMOTE;
    if (auto* home = find<QWidget>(0, "BitBtn_home")) {
        if (known)
            Utxgraph_enable_button(RecLoc(OFS_APP_OFFSET), home, tools);
        else
            home->setEnabled(false);
    }
    for (const auto* set : {ZEROING, COGGING})
        for (int i = 0; i < 3; ++i)
            if (auto* b = find<QWidget>(0, set[i].name)) {
                if (known)
                    Utxgraph_enable_button(RecLoc(OFS_PULSES), b, tools);
                if (!known || !tools_available(set[i]))
                    b->setEnabled(false);
            }
}

int select_list(uint16_t bus_type)
{
    const uint16_t type = field(0, OFS_TYPE);
    const int list = type >= FEEDBACK_TYPES ? LIST_TYPE2 : type < 4 ? type : LIST_OBSERVER + observer_tab(0);
    return (bus_type == 2 ? LISTS_PER_SET : 0) + list;
}

uint32_t poll_interval() { return field(0, OFS_TYPE) == TYPE_ENCODER_AND_HALL ? 40 : 100; }

bool may_copy()
{
    return (Ser_data_flags.load(std::memory_order_acquire) & DataFlag::ListReads) && ParamPage::bus_known();
}

void tick(ParamPage&) { Frm_mot_feedback_update_halls(); }

// Create: SetLanguage before Refresh.
void create_steps(ParamPage& page, uint8_t ctx)
{
    page.set_language(ctx);
    page.refresh(ctx);
    if (ctx == 0)
        page.set_access(Page_edit_state());
}

const PageHooks HOOKS = {.select_list = select_list,
                         .may_copy = may_copy,
                         .copy = Frm_mot_feedback_read_back,
                         .tick = tick,
                         .build = build,
                         .refresh = refresh,
                         .set_language = set_language,
                         .set_access = set_access,
                         .edit_captions = true,
                         .create_steps = create_steps,
                         .poll_interval = poll_interval};

const PageSpec SPEC = {
    "TFrame_mot_feedback", "GroupBox_feedback", {"Feedback", "Feedback", "Feedback"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS,
};

// ---- read-back ----

// Bus 0 or remote control off: the application offset alone, after a hold-off.
void follow_application_offset(ParamPage& p)
{
    if (!p.polled(OFS_APP_OFFSET))
        return;
    if (Rec_get<int32_t>(DriveRecordBank[0], OFS_APP_OFFSET) == Rec_get<int32_t>(DriveReadBack, OFS_APP_OFFSET)) {
        hold_off = HOLD_OFF_TICKS;
        return;
    }
    if (hold_off > 0) {
        --hold_off;
        return;
    }
    hold_off = HOLD_OFF_TICKS;
    p.step_copy_field(OFS_APP_OFFSET);
}

void update_edits(ParamPage& p, std::initializer_list<int> edits)
{
    for (int i : edits)
        p.step_copy_field(FIELDS[i].ofs);
}

void follow_drive(ParamPage& p)
{
    if (p.copy_polled(OFS_TYPE)) {
        Combo_select(find<QComboBox>(0, "ComboBox_feedback_type"), FeedbackTypeCombo, field(0, OFS_TYPE));
        Frm_mot_feedback_show_type(0);
        Frm_mot_feedback_force_hall();
    }
    if (p.copy_polled(OFS_PULSES, 4)) {
        show_edit(0, PULSES_ONLY);
        show_edit(0, PULSES_HALL);
        show_resolution(0, Rec_get<uint32_t>(DriveRecordBank[0], OFS_PULSES));
    }
    if (p.copy_polled(OFS_OFFSET))
        for (int i : {OFFSET_HALL, OFFSET_ONLY_HALLS, OFFSET_SSI})
            show_edit(0, i);
    update_edits(p, {SINGLE_TURN, MULTI_TURN, APP_OFFSET});
    // Flags: bits 1 to 3 one by one; the others stay as the page has them.
    const uint16_t flags = field(0, OFS_FLAGS);
    const uint16_t received = Rec_get<uint16_t>(DriveReadBack, OFS_FLAGS);
    if (p.polled(OFS_FLAGS) && flags != received) {
        uint16_t next = flags;
        for (const FlagControl* c : {&REVERSE, &COG_ENCODER_ONLY, &INPUT_NO_HALL})
            if ((flags ^ received) & c->mask)
                next = static_cast<uint16_t>((next & ~c->mask) | (received & c->mask));
        set_field(0, OFS_FLAGS, next);
        for (const FlagControl* c : FLAG_CONTROLS)
            show_flag_control(0, *c);
        refresh_flag_labels(0);
    }
    update_edits(p, {COV_COR, COV_VEL, COV_THX, NOISE, COR_START, COR_RAMP, W_START, W_IST, W_RAMP, DELAY_START,
                     W_FAULT, COR_STOP});
    const uint16_t observer = field(0, OFS_OBSERVER_FLAGS);
    const uint16_t observer_received = Rec_get<uint16_t>(DriveReadBack, OFS_OBSERVER_FLAGS);
    if (p.polled(OFS_OBSERVER_FLAGS) && ((observer ^ observer_received) & BIT_ZERO_CROSS)) {
        set_field(0, OFS_OBSERVER_FLAGS,
                  static_cast<uint16_t>((observer & ~BIT_ZERO_CROSS) | (observer_received & BIT_ZERO_CROSS)));
        show_zero_cross(0);
    }
}

}  // namespace

PARAM_PAGE_UNIT(mot_feedback, SPEC)

void Frm_mot_feedback_read_back(ParamPage& p)
{
    if (p.frame(0) == nullptr)
        return;
    const bool remote_off = (DriveUiFlags.load(std::memory_order_acquire) & UiFlag::Remote) != 0;
    if (remote_off || field(0, RecOfs::BusType) == 0)
        follow_application_offset(p);
    else
        follow_drive(p);
    const uint8_t autophasing = (Drive_status_word() >> 7) & 1;
    if (autophasing != autophasing_shown) {
        autophasing_shown = autophasing;
        Utxgraph_set_text(find<QWidget>(0, "Panel_encoder_autofasa_dat"), autophasing ? "1" : "0");
    }
    if (p.polled(LiveLoc::EncoderPosition))
        Utxgraph_update_int(LiveLoc::EncoderPosition, Loc_readback(LiveLoc::EncoderPosition),
                            find<QWidget>(0, "Panel_pos_encoder_mis_dat"), 4);
}

void Frm_mot_feedback_show_type(uint8_t ctx)
{
    const uint16_t type = field(ctx, OFS_TYPE);
    auto* stack = find<QStackedWidget>(ctx, "PageControl_feedback_type");
    if (stack == nullptr || type >= FEEDBACK_TYPES) {
        refresh_flag_labels(ctx);
        return;
    }
    stack->setCurrentIndex(type);
    // The edits (up to the first -1) and flag controls each type shows.
    static constexpr int EDITS_OF_TYPE[FEEDBACK_TYPES][EDIT_COUNT] = {
        {PULSES_ONLY, -1},
        {PULSES_HALL, OFFSET_HALL, -1},
        {OFFSET_ONLY_HALLS, -1},
        {SINGLE_TURN, MULTI_TURN, OFFSET_SSI, APP_OFFSET, -1},
        {COV_COR, COV_VEL, COV_THX, NOISE, COR_START, COR_RAMP, W_START, W_IST, W_RAMP, DELAY_START, W_FAULT, COR_STOP,
         -1},
    };
    for (int i = 0; i < EDIT_COUNT && EDITS_OF_TYPE[type][i] >= 0; ++i)
        show_edit(ctx, EDITS_OF_TYPE[type][i]);
    static const FlagControl* const FLAGS_OF_TYPE[FEEDBACK_TYPES][2] = {
        {&INPUT_NO_HALL, &COG_ENCODER_ONLY}, {&INPUT_HALL, &COG_ENCODER_AND_HALL}, {}, {&COG_SSI}, {}};
    for (const FlagControl* c : FLAGS_OF_TYPE[type])
        if (c != nullptr)
            show_flag_control(ctx, *c);
    if (type == 4)
        show_zero_cross(ctx);
    refresh_flag_labels(ctx);
}

void Frm_mot_feedback_show_autophasing(uint8_t ctx)
{
    auto* panel = find<QWidget>(ctx, "Panel_encoder_autofasa");
    if (panel == nullptr)
        return;
    const bool shown = ctx == 0 && field(0, RecOfs::MotorType) != MOTOR_DC;
    panel->setVisible(shown);
    if (!shown)
        return;
    const bool reads = (Ser_data_flags.load(std::memory_order_acquire) & DataFlag::ListReads) != 0;
    Page_set_state(find<QWidget>(ctx, "BitBtn_reset_encoder_autofasa"), reads, reads ? clWindowText : clInactiveCaption);
    Page_set_colour(find<QWidget>(ctx, "Panel_encoder_autofasa_dat"), reads ? clWindowText : clInactiveCaption);
}

void Frm_mot_feedback_home_click()
{
    if (page().frame(0) == nullptr || page().ready() != 1)
        return;
    Rec_set<int32_t>(DriveRecordBank[0], OFS_APP_OFFSET, BusLiveValues.encoder_position);
    show_edit(0, APP_OFFSET);
    Sertx_write_var(RecLoc(OFS_APP_OFFSET));
}

uint8_t Frm_mot_feedback_check_pulses(Loc, double candidate, uint16_t record, double, double)
{
    show_resolution(record & 1, static_cast<uint64_t>(candidate));
    return 0;
}

uint8_t Frm_mot_feedback_check_single_turn(Loc, double candidate, uint16_t record, double, double)
{
    return check_bit_sum(record, OFS_MULTI_TURN, candidate);
}

uint8_t Frm_mot_feedback_check_multi_turn(Loc, double candidate, uint16_t record, double, double)
{
    return check_bit_sum(record, OFS_SINGLE_TURN, candidate);
}
