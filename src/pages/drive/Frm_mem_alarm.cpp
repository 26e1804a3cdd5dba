#include "pages/drive/Frm_mem_alarm.h"

#include <cstring>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "link/Seriale.h"
#include "pages/Page_controls.h"

namespace {

constexpr int TIMER_MS = 200;
constexpr int ROWS = 17;
constexpr int COLUMNS = 4;
constexpr int ROW_HEIGHT = 15;
constexpr int COLUMN_WIDTHS[COLUMNS] = {30, 200, 80, 110};
constexpr int SQUARE = 12;
constexpr int ALARM_NAMES = 32;
constexpr uint8_t CODE_MASK = 0x3F;
constexpr uint8_t ALARM_BIT = 0x80;
constexpr uint32_t BLACK = 0x000000, NAVY = 0x800000, RED = 0x0000FF, GREY = 0x808080, YELLOW = 0x00FFFF,
                   WHITE = 0xFFFFFF;
constexpr std::size_t MEM_BYTES = 1 + 16;  // newest index and the ring
const char* const GRID = "StringGrid_alarm";
const char* const NO_VALUE = PAGE_NO_VALUE;

const char* const HEADER[3][COLUMNS] = {{"N°", "Allarme", "Codice", "Tipo"},
                                        {"N°", "Alarm", "Code", "Type"},
                                        {"N°", "Alarme", "Code", "Type"}};
const char* const ALARM_TYPE[3] = {"Allarme", "Alarm", "Alarme"};
const char* const WARNING_TYPE = "Warning";
const PageCaption CAPTIONS[] = {
    {"BitBtn_canc_mem_alarm", {"Canc. Memoria. Allarmi", "Canc. Memory Allarmi", "Effacer Mémoire Alarmes"}},
};

uint8_t shown_mem[MEM_BYTES] = {};  // slot 0's bytes 3 to 19 last shown
bool link_seen = false;
uint32_t repaints = 0;

ParamPage& page() { return Frm_mem_alarm_page(); }
bool link_ready() { return (Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Ready) != 0; }
const uint8_t* slot0_mem() { return DriveRecordBank[0].b + RecOfs::AlarmMemByte; }

void repaint(uint8_t ctx)
{
    if (auto* grid = page().find<QTableWidget>(ctx, GRID)) {
        ++repaints;
        grid->viewport()->update();
    }
}

QString code_text(bool alarm, uint8_t code)
{
    return QString::fromLatin1(alarm ? "FA -" : "F  -") + (code <= 9 ? " [0" : " [") + QString::number(code) + ']';
}

QString alarm_name(uint8_t code)
{
    const char* name = code >= 1 && code <= ALARM_NAMES && PagesHost.alarm_text != nullptr
                           ? PagesHost.alarm_text(code - 1, Lang_index())
                           : nullptr;
    return QString::fromUtf8(name != nullptr ? name : NO_VALUE);
}

void StringGrid_alarmDrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool)
{
    const MemAlarmCell cell = Frm_mem_alarm_cell(ctx, row, column);
    canvas.brush = QBrush(clWhite, Qt::SolidPattern);
    canvas.fill_rect(rect);
    canvas.font_colour = bgr(cell.colour);
    const DrawRect text = {rect.left + 2, rect.top, rect.right - 2 - (cell.square ? SQUARE + 2 : 0), rect.bottom};
    Graph_draw_text_rect(canvas, text, cell.align, cell.text);
    if (cell.square) {
        canvas.pen = QPen(clBlack, 1, Qt::SolidLine);
        canvas.brush = QBrush(bgr(cell.square_colour), Qt::SolidPattern);
        const int top = rect.top + (rect.bottom - rect.top - SQUARE) / 2;
        canvas.rectangle({rect.right - SQUARE - 1, top, rect.right - 1, top + SQUARE});
    }
}

void BitBtn_canc_mem_alarmClick()
{
    if (PageContext.load() == 0)
        Sertx_drive_func(1, 1);
}

void Timer_monitor_serialeTimer()
{
    if (page().frame(0) == nullptr)
        return;
    if (link_ready()) {
        if (!link_seen)
            repaint(0);
        link_seen = true;
        if (Ser_link_mode.load() == LinkMode::Normal && Seriale_count() < 10)
            Sertx_read_alarm_mem();
    } else if (link_seen) {
        link_seen = false;
        repaint(0);
    }
    if (Ser_data_flags.load(std::memory_order_acquire) & DataFlag::AlarmMem) {
        Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::AlarmMem));
        // The newest index too: a new entry equal to the one it replaces moves only that.
        if (std::memcmp(shown_mem, slot0_mem(), MEM_BYTES) != 0) {
            std::memcpy(shown_mem, slot0_mem(), MEM_BYTES);
            repaint(0);
        }
    }
}

void build(ParamPage& p, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout)
{
    Page_grid(box, layout, GRID, ctx, ROWS, COLUMN_WIDTHS, COLUMNS, ROW_HEIGHT, StringGrid_alarmDrawCell);

    auto* bar = new QFrame(p.frame(ctx)->findChild<QFrame*>(QStringLiteral("Panel_frm")));
    bar->setObjectName(QStringLiteral("ControlBar_mem_alarm"));
    bar->parentWidget()->layout()->addWidget(bar);
    auto* row = new QHBoxLayout(bar);
    auto* clear = new QPushButton(bar);
    clear->setObjectName(QStringLiteral("BitBtn_canc_mem_alarm"));
    row->addWidget(clear);
    QObject::connect(clear, &QPushButton::clicked, clear, [] { BitBtn_canc_mem_alarmClick(); });

    Page_frame_timer(p.frame(ctx), "Timer_monitor_seriale", TIMER_MS, Timer_monitor_serialeTimer);
}

void create_steps(ParamPage& p, uint8_t ctx)
{
    link_seen = false;
    p.refresh(ctx);
    p.set_language(ctx);
}

// The archive shows slot 1's ring and has no clear button; only context 0 asks the drive.
void refresh_steps(ParamPage& p, uint8_t ctx)
{
    const bool service = PagesHost.access_flags != nullptr && (PagesHost.access_flags() & 1) != 0;
    p.find<QWidget>(ctx, "ControlBar_mem_alarm")->setVisible(ctx == 0 && service);
    if (ctx == 0) {
        Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::AlarmMem));
        Sertx_read_alarm_mem();
    }
    std::memcpy(shown_mem, slot0_mem(), MEM_BYTES);
    repaint(ctx);
}

void language_steps(ParamPage& p, uint8_t ctx)
{
    p.step_title(ctx);
    Page_set_captions(p.frame(ctx), CAPTIONS, std::size(CAPTIONS));
    repaint(ctx);
}

const PageHooks HOOKS = {.build = build,
                         .own_access = true,
                         .create_steps = create_steps,
                         .refresh_steps = refresh_steps,
                         .language_steps = language_steps,
                         .access_steps = [](ParamPage&, uint8_t) {},
                         .no_timer = true};

const PageSpec SPEC = {
    "TFrame_mem_alarm", "GroupBox_lista_alarm",
    {"Lista Allarmi", "Alarms List", "Liste Alarmes"},
    nullptr, 0, nullptr, 0, HOOKS,
};

}  // namespace

PARAM_PAGE_UNIT(mem_alarm, SPEC)

uint32_t Frm_mem_alarm_repaints() { return repaints; }

MemAlarmCell Frm_mem_alarm_cell(uint8_t slot, int row, int column)
{
    const unsigned l = Lang_index();
    if (column < 0 || column >= COLUMNS || row < 0 || row >= ROWS)
        return {QString(), AlignLeft, BLACK};
    if (row == 0)
        return {QString::fromUtf8(HEADER[l][column]), AlignCentre, BLACK};
    if (column == 0)
        return {QString::number(row), AlignCentre, link_ready() ? BLACK : GREY};
    if (!link_ready())
        return {QString::fromLatin1(NO_VALUE), AlignLeft, GREY};
    const uint8_t* mem = DriveRecordBank[slot & 1].b + RecOfs::AlarmMemByte;
    const uint8_t entry = mem[1 + ((mem[0] - (row - 1)) & 15u)];
    const uint8_t code = entry & CODE_MASK;
    const bool alarm = (entry & ALARM_BIT) != 0;
    switch (column) {
    case 1: return {code == 0 ? QString::fromLatin1(NO_VALUE) : alarm_name(code), AlignLeft, NAVY};
    case 2: return {code == 0 ? QString::fromLatin1(NO_VALUE) : code_text(alarm, code), AlignRight, RED};
    default:
        return {code == 0 ? QString::fromLatin1(NO_VALUE)
                          : QString::fromUtf8(alarm ? ALARM_TYPE[l] : WARNING_TYPE),
                AlignLeft, NAVY, true, code == 0 ? WHITE : alarm ? RED : YELLOW};
    }
}
