#include "pages/drive/Frm_taglia_drive.h"

#include <cstring>

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"
#include "platform/Msgbox.h"

namespace {

constexpr uint16_t OFS_SIZE = RecOfs::SizeIndex;  // u8, the size code
constexpr uint16_t OFS_OVERTEMP = 48;
constexpr uint16_t VOLTAGE_CLASSES = 2;  // classes the size rows hold an over-temperature limit for
constexpr int GRID_COLUMNS = 7;
constexpr int COLUMN_WIDTHS[GRID_COLUMNS] = {30, 72, 64, 64, 64, 56, 30};
constexpr int ROW_HEIGHT = 18;
constexpr int TIMER_CTRL_MS = 30;
const char* const NO_NAME = "-----";
const char* const NO_POSITION = "--";
const char* const GRID = "StringGrid_taglia_corrente";

const FieldSpec FIELDS[] = {
    {"FlowPanel_time_i2t_drive", "I2t time drive", 46, EditType::U16, 1, 250, 1, 60},
    {"FlowPanel_lim_freq_I2t", "I2t frequency limit", 36, EditType::U16, 0, 1000, 2, 60},
    {"FlowPanel_overtemp_alarm", "Over temperature alarm", OFS_OVERTEMP, EditType::U16, 10, 2000, 1, 60},
};

const PageCaption CAPTIONS[] = {
    {"Panel_taglia_drive", {"Taglia Drive", "Drive Size", "Taille Variateur"}},
    {"BitBtn_carica_drive", {"Imposta taglia", "Set currents Sizes ", "Select. variateur"}},
    {"Panel_tens_rete", {"Tensione drive", "Voltage drive", "Tension variateur"}},
};
const char* const HEADER_NAME[3] = {"Nome", "Name", "Nom"};
const char* const HEADER_PROBE[3] = {"Sonda", "Probe", "Sonde"};
const char* const UNKNOWN_SIZE[3] = {"Taglia drive sconosciuta. Aggiornare il software!",
                                     "Drive size unknown. Update the software!",
                                     "Variateur taille inconnue. Mettre à jour le logiciel!"};
// Voltage of each class: first family class 0 only, second family classes 0 and 1.
const char* const VOLTS_FIRST[] = {" 60 V"};
const char* const VOLTS_SECOND[] = {" 230 V", " 460 V"};

ParamPage& page() { return Frm_taglia_drive_page(); }
template <typename W>
W* find(uint8_t ctx, const char* name) { return page().find<W>(ctx, name); }

uint16_t voltage_class(uint8_t ctx) { return Rec_get<uint16_t>(DriveRecordBank[ctx & 1], RecOfs::VoltageClass) & 3; }
bool second_family() { return PagesHost.second_family != nullptr && PagesHost.second_family(); }

QString size_name(const DriveSizeRow& row)
{
    return QString::fromUtf8(row.name, static_cast<qsizetype>(strnlen(row.name, sizeof row.name)));
}

QString voltage_text(uint16_t vclass)
{
    if (second_family())
        return vclass < std::size(VOLTS_SECOND) ? VOLTS_SECOND[vclass] : "----";
    return vclass < std::size(VOLTS_FIRST) ? VOLTS_FIRST[vclass] : "-----";
}

QString amperes(uint16_t hundredths) { return Graph_format_float("#0.00", hundredths * 0.01) + " A"; }

// A size's name and position text: the record's size, and the grid's selected row.
struct SizePanels {
    const char* name;
    const char* position;
};
constexpr SizePanels RECORD_SIZE = {"Panel_nome_taglia_corrente", "Panel_num_taglia_corrente"};
constexpr SizePanels SELECTED_SIZE = {"Panel_taglia_corrente_select", "Panel_num_taglia_corrente_select"};

// Grid row `row` (sorted entry row - 1) into the panels; "-----" and "--" for another row.
void show_size(uint8_t ctx, const SizePanels& panels, int row)
{
    const DriveSizeTable& t = CurrentSizeTable;
    const bool valid = t.sorted != nullptr && row >= 1 && row <= t.count;
    Utxgraph_set_text(find<QWidget>(ctx, panels.name), valid ? size_name(t.sorted[row - 1].row) : QString(NO_NAME));
    Utxgraph_set_text(find<QWidget>(ctx, panels.position),
                      valid ? Frm_taglia_drive_position_text(static_cast<uint16_t>(row - 1)) : QString(NO_POSITION));
}

// ---- grid ----

void StringGrid_taglia_correnteDrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column,
                                        bool selected)
{
    const SizeGridCell cell = Frm_taglia_drive_cell(CurrentSizeTable, row, column, voltage_class(ctx));
    const bool highlight = row > 0 && selected;
    canvas.font = QFont(QStringLiteral("Arial"), 9);
    canvas.brush = QBrush(row == 0 ? clBtnFace : highlight ? QPalette().color(QPalette::Highlight) : clWhite);
    canvas.font_colour = highlight ? clWhite : cell.colour;
    Graph_draw_text_rect(canvas, rect, cell.align, cell.text);
}

// One header row and one row per size; the header cannot be selected.
void fill_grid(QTableWidget* grid)
{
    const QSignalBlocker quiet(grid);
    const int rows = CurrentSizeTable->count + 1;
    if (grid->rowCount() == rows)
        return;
    grid->setRowCount(rows);
    grid->setFixedHeight(rows * ROW_HEIGHT + 2 * grid->frameWidth());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < GRID_COLUMNS; ++c) {
            auto* item = new QTableWidgetItem;
            item->setFlags(r == 0 ? Qt::NoItemFlags : Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            grid->setItem(r, c, item);
        }
}

void select_row(QTableWidget* grid, int row)
{
    const QSignalBlocker quiet(grid);
    grid->setCurrentCell(row, 0);
}

// ---- handlers ----

uint8_t handler_context()
{
    const uint16_t ctx = PageContext.load();
    return ctx <= 1 ? static_cast<uint8_t>(ctx) : 0xFF;
}

void StringGrid_taglia_correnteClick()
{
    const uint8_t ctx = handler_context();
    auto* grid = find<QTableWidget>(ctx, GRID);
    if (grid == nullptr)
        return;
    show_size(ctx, SELECTED_SIZE, grid->currentRow());
}

// The selected size into the record of PageContext with its over-temperature limit; sent in
// context 0. A voltage class without a limit in the rows keeps offset 48 as it is.
void BitBtn_carica_driveClick()
{
    const uint8_t ctx = handler_context();
    auto* grid = find<QTableWidget>(ctx, GRID);
    const DriveSizeTable& t = CurrentSizeTable;
    if (grid == nullptr || t.sorted == nullptr)
        return;
    const int row = grid->currentRow();
    if (row < 1 || row > t.count)
        return;
    const uint8_t code = t.sorted[row - 1].code;
    DriveRecord& rec = DriveRecordBank[ctx];
    rec.b[OFS_SIZE] = code;
    show_size(ctx, RECORD_SIZE, row);
    show_size(ctx, SELECTED_SIZE, row);
    const uint16_t vclass = voltage_class(ctx);
    const bool limit_known = vclass < VOLTAGE_CLASSES;
    if (limit_known) {
        Rec_set<uint16_t>(rec, OFS_OVERTEMP, t.src[code].overtemp[vclass]);
        if (MemoUpDwxBase* e = page().edit_of(ctx, OFS_OVERTEMP))
            e->show();
    }
    if (ctx != 0)
        return;
    Sertx_write_var(RecLoc(OFS_SIZE));
    if (limit_known)
        Sertx_write_var(RecLoc(OFS_OVERTEMP));
}

// Enter in the grid applies the selected size.
class StringGrid_taglia_correnteKeyPress : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                BitBtn_carica_driveClick();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

void Timer_ctrlTimer(QTimer* timer)
{
    timer->stop();
    const unsigned l = Lang_index();
    Msgbox_show({MsgIcon::Warning, Msgbox_title(l), UNKNOWN_SIZE[l], MsgOk});
}

// ---- pattern steps ----

void build(ParamPage& p, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout)
{
    int at = 0;
    FlowPanel* size = Page_flow(box, nullptr, "Panel_taglia_drive");
    layout->insertWidget(at++, size);
    size->addRightToLeft(Page_label(size, nullptr, "Panel_num_taglia_corrente"));
    size->addRightToLeft(Page_label(size, nullptr, "Panel_nome_taglia_corrente"));

    auto* grid_panel = new QFrame(box);
    grid_panel->setObjectName(QStringLiteral("Panel_taglia_corrente"));
    layout->insertWidget(at++, grid_panel);
    auto* grid = new QTableWidget(0, GRID_COLUMNS, grid_panel);
    grid->setObjectName(QString::fromLatin1(GRID));
    (new QVBoxLayout(grid_panel))->addWidget(grid);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(ROW_HEIGHT);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int width = 2 * grid->frameWidth();
    for (int c = 0; c < GRID_COLUMNS; ++c) {
        grid->setColumnWidth(c, COLUMN_WIDTHS[c]);
        width += COLUMN_WIDTHS[c];
    }
    grid->setFixedWidth(width);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setItemDelegate(Page_cell_delegate(ctx, StringGrid_taglia_correnteDrawCell, grid));
    grid->installEventFilter(new StringGrid_taglia_correnteKeyPress(grid));
    QObject::connect(grid, &QTableWidget::currentCellChanged, grid, [] { StringGrid_taglia_correnteClick(); });

    auto* bar = new QFrame(box);
    bar->setObjectName(QStringLiteral("ControlBar_set_taglia_cor"));
    layout->insertWidget(at++, bar);
    auto* row = new QHBoxLayout(bar);
    auto* apply = new QPushButton(bar);
    apply->setObjectName(QStringLiteral("BitBtn_carica_drive"));
    row->addWidget(apply);
    QObject::connect(apply, &QPushButton::clicked, apply, [] { BitBtn_carica_driveClick(); });
    Page_label(bar, row, "Panel_taglia_corrente_select");
    Page_label(bar, row, "Panel_num_taglia_corrente_select");

    FlowPanel* voltage = Page_flow(box, nullptr, "Panel_tens_rete");
    layout->insertWidget(at++, voltage);
    voltage->addRightToLeft(Page_label(voltage, nullptr, "Panel_tensione_drive"));

    auto* timer = new QTimer(p.frame(ctx));
    timer->setObjectName(QStringLiteral("Timer_ctrl"));
    timer->setInterval(TIMER_CTRL_MS);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] { Timer_ctrlTimer(timer); });
}

void refresh(ParamPage&, uint8_t ctx)
{
    auto* grid = find<QTableWidget>(ctx, GRID);
    if (grid == nullptr)
        return;
    fill_grid(grid);
    const DriveSizeTable& t = CurrentSizeTable;
    const uint8_t code = DriveRecordBank[ctx].b[OFS_SIZE];
    const uint16_t position = code < t.count ? Frm_output_find_size(t, code) : SIZE_NOT_FOUND;
    const int row = position == SIZE_NOT_FOUND ? 1 : position + 1;
    show_size(ctx, RECORD_SIZE, position == SIZE_NOT_FOUND ? -1 : row);
    select_row(grid, row);
    if (position == SIZE_NOT_FOUND)
        find<QTimer>(ctx, "Timer_ctrl")->start();
    show_size(ctx, SELECTED_SIZE, grid->currentRow());

    // The size is chosen here only for the first family, and not while the drive's
    // identification keeps it locked.
    const bool locked = second_family() || (Drive_ident_get().flags & IdentFlag::BootCondition) != 0;
    find<QWidget>(ctx, "ControlBar_set_taglia_cor")->setVisible(!locked);
    find<QWidget>(ctx, "Panel_taglia_corrente")->setEnabled(!locked);
    Utxgraph_set_text(find<QWidget>(ctx, "Panel_tensione_drive"), voltage_text(voltage_class(ctx)));
    grid->viewport()->update();
}

void set_language(ParamPage&, uint8_t ctx)
{
    Page_set_captions(page().frame(ctx), CAPTIONS, std::size(CAPTIONS));
    if (auto* grid = find<QTableWidget>(ctx, GRID))
        grid->viewport()->update();
}

void set_access(ParamPage&, uint8_t state)
{
    bool en[2] = {false, false};
    QColor col[2] = {clInactiveCaption, clInactiveCaption};
    if (PagesHost.enable_by_state2 != nullptr)
        PagesHost.enable_by_state2(state, en, col);
    if (auto* grid = find<QTableWidget>(0, GRID))
        grid->setEnabled(en[0]);
    Page_set_colour(find<QWidget>(0, "Panel_taglia_corrente_select"), col[0]);
    Page_set_colour(find<QWidget>(0, "Panel_num_taglia_corrente_select"), col[0]);
    Page_set_colour(find<QWidget>(0, "Panel_tens_rete"), col[1]);
    Page_set_colour(find<QWidget>(0, "Panel_tensione_drive"), col[1]);
    auto* apply = find<QWidget>(0, "BitBtn_carica_drive");
    if (ParamPage::bus_known())
        Utxgraph_enable_button(RecLoc(OFS_SIZE), apply, state);
    else if (apply != nullptr)
        apply->setEnabled(false);
}

const PageHooks HOOKS = {.select_list = [](uint16_t) { return -1; },
                         .build = build,
                         .refresh = refresh,
                         .set_language = set_language,
                         .set_access = set_access,
                         .no_timer = true};

const PageSpec SPEC = {
    "TFrame_taglia_drive", "GroupBox_lista_taglia_correnti",
    {"Lista Taglie Correnti", "Currents Sizes List", "Liste Type Courants"},
    FIELDS, std::size(FIELDS), nullptr, 0, HOOKS,
};

}  // namespace

PARAM_PAGE_UNIT(taglia_drive, SPEC)

QString Frm_taglia_drive_position_text(uint16_t position)
{
    return " [ " + QString::number(position + 1) + QString::fromUtf8("°") + " ] ";
}

SizeGridCell Frm_taglia_drive_cell(const DriveSizeTable& table, int row, int column, uint16_t vclass)
{
    if (row == 0) {
        static const char* const fixed[GRID_COLUMNS] = {"N°", nullptr, nullptr, "I(pk)", "I(Nom)", "T. Max", "ID"};
        const unsigned l = Lang_index();
        const char* text = column == 1 ? HEADER_NAME[l] : column == 2 ? HEADER_PROBE[l]
                           : (column >= 0 && column < GRID_COLUMNS) ? fixed[column]
                                                                    : "";
        return {QString::fromUtf8(text), AlignCentre, clNavy};
    }
    if (table.sorted == nullptr || row < 1 || row > table.count)
        return {QString(), AlignLeft, clBlack};
    const DriveSizeEntry& e = table.sorted[row - 1];
    switch (column) {
    case 0: return {QString::number(row), AlignCentre, clBlue};
    case 1: return {size_name(e.row), AlignLeft, clBlue};
    case 2: return {amperes(e.row.sort_key), AlignRight, clBlack};
    case 3: return {amperes(e.row.current_2), AlignRight, clBlack};
    case 4: return {amperes(e.row.current_1), AlignRight, clBlack};
    case 5:
        return {vclass < VOLTAGE_CLASSES ? Graph_format_float("#0.0", e.row.overtemp[vclass] * 0.1) + QString::fromUtf8("°")
                                         : QString(NO_NAME),
                AlignRight, clBlack};
    case 6: return {QString::number(e.code), AlignRight, clBlack};
    default: return {QString(), AlignLeft, clBlack};
    }
}
