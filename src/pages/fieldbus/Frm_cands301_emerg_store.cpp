#include "pages/fieldbus/Frm_cands301_emerg_store.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "drivedata/Canopen.h"
#include "drivedata/Globvar.h"
#include "drivedata/Utx.h"
#include "link/Sertx.h"
#include "pages/fieldbus/Bus_page.h"
#include "pages/fieldbus/Cands301_grid.h"

namespace {

constexpr uint16_t OFS_REGISTER = 1536;  // 1001h, u8
constexpr uint16_t OFS_ENTRIES = 1540;   // 1003h,1..8, u32 each
constexpr uint16_t OFS_COUNT = 1572;     // 1003h,0, u8
constexpr int ENTRY_COUNT = 8;
constexpr const char* GRID = "StringGrid_alarm";
constexpr const char* REGISTER_DAT = "Panel_can_error_register_dat";
constexpr const char* COUNT_DAT = "Panel_can_number_errors_dat";
constexpr const char* CLEAR = "BitBtn_canc_mem_alarm";

const PollSpec POLL[] = {{OFS_REGISTER, OFS_REGISTER}, {OFS_COUNT, OFS_COUNT},
                         {1540, 1540}, {1544, 1544}, {1548, 1548}, {1552, 1552},
                         {1556, 1556}, {1560, 1560}, {1564, 1564}, {1568, 1568}};
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

const char* const LIST_CAPTION[3] = {"Lista Allarmi", "Pre-defined Error Field", "Liste des alarmes"};
const char* const HEADER[3][3] = {{"N\u00b0", "Codice", "Allarme"}, {"N\u00b0", "Code", "Alarm"}, {"N\u00b0", "Code", "Alarme"}};

ParamPage& page();

uint32_t entry(uint8_t slot, int n) { return Rec_get<uint32_t>(DriveRecordBank[slot & 1], OFS_ENTRIES + 4 * n); }

void build(ParamPage&, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout)
{
    Bus_value_row(box, layout, "Panel_can_error_register_str", REGISTER_DAT, 80);
    auto* list = new QGroupBox(box);
    list->setObjectName(QStringLiteral("GroupBox_can_alarm_lis"));
    layout->addWidget(list);
    auto* inner = new QVBoxLayout(list);
    auto* clear = new QPushButton(QStringLiteral("Canc. Mem Alarm"), list);
    clear->setObjectName(QString::fromLatin1(CLEAR));
    inner->addWidget(clear);
    QObject::connect(clear, &QPushButton::clicked, clear, [] { BitBtn_canc_mem_alarmClick(); });
    Bus_value_row(list, inner, "Panel_can_number_errors_str", COUNT_DAT, 80);
    Cands301_grid(list, inner, GRID, ctx, ENTRY_COUNT + 1, {20, 101, 227}, StringGrid_alarmDrawCell);
}

void refresh(ParamPage& p, uint8_t ctx)
{
    Cands301_repaint(p.frame(ctx), GRID);
    if (ctx == 1) {
        const char* const names[] = {REGISTER_DAT, COUNT_DAT, nullptr};
        Bus_no_values(p.frame(1), names);
        if (auto* b = p.find<QWidget>(1, CLEAR))
            b->setEnabled(false);
    } else {
        Utxgraph_set_text(p.find<QWidget>(0, REGISTER_DAT), Page_hex_text(DriveRecordBank[0].b[OFS_REGISTER], 1));
        Utxgraph_set_text(p.find<QWidget>(0, COUNT_DAT), QString::number(DriveRecordBank[0].b[OFS_COUNT]));
    }
    p.step_timer(ctx);
}

void set_language(ParamPage& p, uint8_t ctx)
{
    Utxgraph_set_caption(SlotLoc(ctx, OFS_REGISTER), p.find<QWidget>(ctx, "Panel_can_error_register_str"), ctx);
    Utxgraph_set_caption(SlotLoc(ctx, OFS_COUNT), p.find<QWidget>(ctx, "Panel_can_number_errors_str"), ctx);
    if (auto* g = p.find<QGroupBox>(ctx, "GroupBox_can_alarm_lis"))
        g->setTitle(QStringLiteral("[1003h,1..8] ") + QString::fromUtf8(LIST_CAPTION[Lang_index()]));
}

void set_access(ParamPage& p, uint8_t state)
{
    Cands301_repaint(p.frame(0), GRID);
    Utxgraph_enable_button(RecLoc(OFS_REGISTER), p.find<QWidget>(0, CLEAR), state);
}

void update_step(ParamPage& p)
{
    if (!Bus_link_up())
        return;
    if (p.polled(OFS_ENTRIES) &&
        Utx_mem_differ(&DriveRecordBank[0].b[OFS_ENTRIES], &DriveReadBack.b[OFS_ENTRIES], 4 * ENTRY_COUNT)) {
        std::memcpy(&DriveRecordBank[0].b[OFS_ENTRIES], &DriveReadBack.b[OFS_ENTRIES], 4 * ENTRY_COUNT);
        Cands301_repaint(p.frame(0), GRID);
    }
    if (p.polled(OFS_COUNT))
        Utxgraph_update_uint(RecLoc(OFS_COUNT), Loc{Area::ReadBack, OFS_COUNT}, p.find<QWidget>(0, COUNT_DAT), 1);
    if (p.polled(OFS_REGISTER))
        Utxgraph_update_hex(RecLoc(OFS_REGISTER), Loc{Area::ReadBack, OFS_REGISTER}, p.find<QWidget>(0, REGISTER_DAT), 1);
}

const PageSpec SPEC = {"TFrame_CanDS301_Emerg_Store",
                       "GroupBox_DS301_alarm",
                       {"DS301 Allarmi", "DS301 Alarms", "DS301 Alarmes"},
                       nullptr,
                       0,
                       LISTS,
                       std::size(LISTS),
                       PageHooks{.may_copy = Bus_copy_always,
                                 .copy = update_step,
                                 .build = build,
                                 .set_language = set_language,
                                 .set_access = set_access,
                                 .own_access = true,
                                 .refresh_steps = refresh}};

}  // namespace

PARAM_PAGE_UNIT(cands301_emerg_store, SPEC)

namespace {
ParamPage& page() { return Frm_cands301_emerg_store_page(); }
}  // namespace

void Frm_cands301_emerg_store_update() { update_step(page()); }

void BitBtn_canc_mem_alarmClick()
{
    if (page().ready() != 1 || PageContext.load() != 0 || page().frame(0) == nullptr)
        return;
    DriveRecordBank[0].b[OFS_COUNT] = 0;
    Sertx_write_var(RecLoc(OFS_COUNT));
}

void StringGrid_alarmDrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool)
{
    if (column < 0 || column > 2 || row < 0 || row > ENTRY_COUNT)
        return;
    if (row == 0) {
        Cands301_header_cell(canvas, rect, QString::fromUtf8(HEADER[Lang_index()][column]));
        return;
    }
    const DrawRect text = Cands301_white_cell(canvas, rect);
    const bool live = ctx == 0 && (Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Answers);
    if (column == 0) {
        Cands301_number_cell(canvas, rect, row, live ? clNavy : clGray);
        return;
    }
    if (!live) {
        Cands301_text_cell(canvas, text, QString::fromLatin1(PAGE_NO_VALUE), true, clGray, AlignLeft);
        return;
    }
    const uint32_t e = entry(0, row - 1);
    if (column == 1) {
        Cands301_text_cell(canvas, text, Cands301_word_text(e), false, clNavy, AlignLeft);
        return;
    }
    const int16_t alarm = e == 0 ? -1 : Canopen_emcy_to_alarm(e);
    const char* name = alarm >= 0 && PagesHost.alarm_name != nullptr ? PagesHost.alarm_name(static_cast<uint16_t>(alarm))
                                                                     : nullptr;
    if (name != nullptr)
        Cands301_text_cell(canvas, text, QString::fromUtf8(name), true, clRed, AlignLeft);
    else
        Cands301_text_cell(canvas, text, QString::fromLatin1(PAGE_NO_VALUE), true, clBlack, AlignLeft);
}
