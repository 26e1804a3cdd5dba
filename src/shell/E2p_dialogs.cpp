// EEPROM error dialogs: the checksum dialog with its size grid and whole-image write, the offset
// dialog, and the completion of the whole-image write.
#include "shell/E2p_dialogs.h"

#include <cstring>

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/Grid_cells.h"
#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Globvar.h"
#include "drivedata/Init.h"
#include "drivedata/Record.h"
#include "link/Seriale_port.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"
#include "platform/Tick.h"
#include "platform/Weburl.h"
#include "shell/About.h"
#include "shell/Form_send_drive.h"
#include "shell/Load_data_drive.h"
#include "shell/Main.h"
#include "shell/Main_files.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Toolwin.h"

uint32_t E2pChksBlinkTime = 0;
uint32_t E2pOffsetBlinkTime = 0;
QString E2pOffsetMessage;
uint8_t E2pImageAdopted = 0;

namespace {

using Texts = const char* const[3];

// ---- texts ----
Texts CHKS_CAPTION = {"Errore checksum e2p", "E2p checksum error", "checksum error e2p"};
Texts ATTENTION = {"Attenzione", "Attention", "Attention"};
Texts SUPPORT = {"Assistenza", "Support", "Support"};
Texts PARAMETERS = {"Parametri", "Parameters", "Paramètres"};
Texts PASSWORD_GROUP = {"Password parametri", "Password parameters", "Paramètres de mot de passe"};
Texts SIZE_LIST = {"Lista Taglie Correnti", "Currents Sizes List", "Liste Type Courants"};
Texts SET_SIZE = {"Taglia impostata", "Set size", "Set de taille"};
Texts VERIFY = {"Verifica", "Verifing", "Vérification"};
Texts CONFIRM_SIZE = {"Conferma taglia", "Size confirmation", "Taille de confirm."};
Texts LOAD_FILE = {"Carica File", "Load File", "Charger Fichier"};
Texts LOAD_DEFAULT = {"Carica Default", "Load Default", "Charger par Défaut"};
Texts CLOSE = {"Chiudi", "Close", "Fermer"};
Texts CHKS_ERROR = {"Errore checksum e2prom. Contattare assistenza!", "E2p checksum e2prom. Contact support!",
                    "checksum error e2prom. Contacter le support!"};
Texts PASSWORD_OK = {"Password  Corretta !", "Correct Password !", "Mot de Passe Correct"};
Texts PASSWORD_WRONG = {"Password  Errata !", "Incorrect Password !", "Mot de Passe Incorrect"};
Texts DEFAULT_CAPTION = {"Carica Dati Default", "Load Data Default", "Charger Données par Défaut"};
Texts FILE_CAPTION = {"Carica dati da file", "Load data from file", "Charger Données du Fichier"};
Texts OPEN_TITLE = {"Apri", "Open", "Ouvrir"};
Texts NOT_READ = {"Dati drive non ancora letti: riprovare!", "Drive data not read yet: try again!",
                  "Données du variateur pas encore lues: réessayer!"};
Texts INVALID_SIZE = {"Taglia drive non valida!", "Invalid drive size!", "Taille du variateur non valide!"};
Texts GRID_NAME = {"Nome", "Name", "Nom"};
Texts GRID_PROBE = {"Sonda", "Probe", "Sonde"};
Texts ALARM_CAPTION = {"ALLARME", "ALARM", "ALARME"};
Texts ERROR_WORD = {"Errore", "Error", "Error"};
Texts OFFSET_TEXT = {"Offset correnti", "Offset currents", "Offset courants"};
Texts CONTACT = {"Contattare assistenza!", "Contact support!", "Contacter le support!"};
const char* const E2PROM_OK = "E2prom ok";
const char* const NO_LINK = "-----";
const char* const PASSWORD_MASK = "*********";
const char* const DRIVE_FILE_FILTER = "Inverter files (*.ivt)|*.ivt";

constexpr int GRID_COLUMNS = 7;
constexpr int GRID_WIDTHS[GRID_COLUMNS] = {32, 84, 64, 64, 64, 58, 32};
constexpr int GRID_ROW_HEIGHT = 20;
constexpr uint32_t BIT_CHECKSUM = 1u << 0;
constexpr uint32_t BIT_OFFSETS = 1u << 1;
constexpr uint32_t BIT_EEPROM = 1u << 20;
constexpr uint16_t WHOLE_IMAGE = DRIVE_RECORD_SIZE;
constexpr uint16_t WHOLE_IMAGE_TARGET = 2 * WHOLE_IMAGE;
constexpr uint8_t MAX_VOLTAGE_CLASS = 1;
const QColor DARK_GREEN = bgr(0x008000);

QString tr3(Texts t) { return QString::fromUtf8(t[Lang_index()]); }

bool link_running() { return Ser_tx_state.load() == LinkState::Run; }
bool drive_answers() { return Ser_link_flags.load() & LinkFlag::Answers; }
uint32_t alarm_word() { return Drive_status_get().alarm_word; }

void warn(Texts text) { Msgbox_show({MsgIcon::Warning, Msgbox_title(Lang_index()), text[Lang_index()], MsgOk}); }
void inform(const QString& text) { Msgbox_show({MsgIcon::Information, Msgbox_title(Lang_index()), text.toStdString(), MsgOk}); }

// A status line: bold text in a colour.
void set_line(QLabel* line, const QString& text, const QColor& colour)
{
    Graph_set_text_colour(line, colour);
    line->setText(text);
}

QLabel* status_line(QWidget* parent, const char* name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumHeight(24);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

QLabel* panel(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, Texts caption)
{
    auto* b = new QPushButton(QString::fromUtf8(caption[0]), parent);
    b->setObjectName(name);
    return b;
}

// The maker's frame.
void build_support(E2pSupportFrame& s, QWidget* parent)
{
    s.GroupBox_assistenza = new QGroupBox(QString::fromUtf8(SUPPORT[0]), parent);
    s.GroupBox_assistenza->setObjectName("GroupBox_assistenza");
    s.Memo_indirizzo_ditta = new QPlainTextEdit(QString::fromUtf8(MAKER_ADDRESS), s.GroupBox_assistenza);
    s.Memo_indirizzo_ditta->setObjectName("Memo_indirizzo_ditta");
    s.Memo_indirizzo_ditta->setReadOnly(true);
    s.Memo_indirizzo_ditta->setFrameShape(QFrame::NoFrame);
    s.Memo_indirizzo_ditta->setFixedHeight(56);
    auto* site = new QLabel("Internet Site:", s.GroupBox_assistenza);
    site->setObjectName("Label_internet");
    s.Label_sito_internet = new QLabel(QString::fromUtf8(MAKER_WEB_PAGE), s.GroupBox_assistenza);
    s.Label_sito_internet->setObjectName("Label_sito_internet");
    QFont f = s.Label_sito_internet->font();
    f.setBold(true);
    s.Label_sito_internet->setFont(f);
    Graph_set_text_colour(s.Label_sito_internet, clBlue);
    auto* web = new QHBoxLayout;
    web->addWidget(site);
    web->addWidget(s.Label_sito_internet, 1);
    auto* layout = new QVBoxLayout(s.GroupBox_assistenza);
    layout->addWidget(s.Memo_indirizzo_ditta);
    layout->addLayout(web);
}

uint8_t read_voltage_class() { return static_cast<uint8_t>(Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::VoltageClass) & 3); }

// Closes the modal windows opened above `owner` (file dialogs, message boxes, the send dialog).
void close_modals_above(QWidget* owner)
{
    for (int guard = 0; guard < 8; ++guard) {
        QWidget* top = QApplication::activeModalWidget();
        if (top == nullptr || top == owner)
            return;
        top->close();
        if (!top->isVisible())
            continue;
        if (auto* d = qobject_cast<QDialog*>(top))
            d->done(QDialog::Rejected);
        else
            top->hide();
    }
}

}  // namespace

// ---- shared by both dialogs ----

QString E2p_offset_message(uint32_t word, unsigned language)
{
    const unsigned l = language < 3 ? language : 1;
    QString cause;
    if ((word & BIT_OFFSETS) && (word & BIT_EEPROM))
        cause = QString::fromUtf8(OFFSET_TEXT[l]) + ", Eprom";
    else if (word & BIT_OFFSETS)
        cause = QString::fromUtf8(OFFSET_TEXT[l]);
    else
        cause = "Eprom";
    return QString::fromUtf8(ERROR_WORD[l]) + ": " + cause + ". " + QString::fromUtf8(CONTACT[l]);
}

E2pSizeCell E2p_size_cell(const DriveSizeTable& table, int column, int row, uint8_t voltage_class)
{
    E2pSizeCell cell;
    if (row == 0) {
        static const char* const fixed[GRID_COLUMNS] = {"N°", nullptr, nullptr, "I(pk)", "I(Nom)", "T. Max", "ID"};
        cell.align = AlignCentre;
        cell.text = column == 1   ? tr3(GRID_NAME)
                    : column == 2 ? tr3(GRID_PROBE)
                    : (column >= 0 && column < GRID_COLUMNS) ? QString::fromUtf8(fixed[column])
                                                             : QString();
        return cell;
    }
    if (row < 1 || row > table.count || table.sorted == nullptr)
        return cell;
    const DriveSizeEntry& e = table.sorted[row - 1];
    auto amperes = [](uint16_t hundredths) { return Graph_format_float("#0.00", hundredths * 0.01) + " A"; };
    switch (column) {
    case 0:
        cell.text = QString::number(row);
        cell.align = AlignCentre;
        cell.blue = true;
        break;
    case 1:
        cell.text = QString::fromUtf8(e.row.name, static_cast<qsizetype>(strnlen(e.row.name, sizeof e.row.name)));
        cell.bold = true;
        break;
    case 2:
        cell.text = amperes(e.row.sort_key);
        break;
    case 3:
        cell.text = amperes(e.row.current_2);
        break;
    case 4:
        cell.text = amperes(e.row.current_1);
        break;
    case 5:
        cell.text = voltage_class <= MAX_VOLTAGE_CLASS
                        ? Graph_format_float("#0.0", e.row.overtemp[voltage_class] * 0.1) + QString::fromUtf8("°")
                        : QStringLiteral("---");
        break;
    case 6:
        cell.text = QString::number(e.code);
        break;
    default:
        break;
    }
    return cell;
}

void E2pChksAdoptImage()
{
    E2pImageAdopted = 1;
    // The whole image written (header included) becomes the working copy; the rest is the
    // completion of a defaults send: drive content, modified mark, pages, monitor, alarm memory.
    DriveRecordBank[0] = Main_sent_record();
    FinishDefaultsSend();
}

void Main_register_eeprom_dialogs()
{
    Toolwin_register(ToolWin::E2pChks, [](QWidget* parent) -> QWidget* { return new TForm_e2p_chks(parent); });
    Toolwin_register(ToolWin::E2pOffsetEr, [](QWidget* parent) -> QWidget* { return new TForm_e2p_offset_er(parent); });
}

// ---- checksum dialog ----

TForm_e2p_chks::TForm_e2p_chks(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form_e2p_chks");
    setWindowTitle(QString::fromUtf8(CHKS_CAPTION[0]));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    GroupBox_attenzione = new QGroupBox(QString::fromUtf8(ATTENTION[0]), this);
    GroupBox_attenzione->setObjectName("GroupBox_attenzione");
    Panel_str_e2p_chk_er = status_line(GroupBox_attenzione, "Panel_str_e2p_chk_er");
    (new QVBoxLayout(GroupBox_attenzione))->addWidget(Panel_str_e2p_chk_er);

    build_support(Support, this);
    Support.Label_sito_internet->setCursor(Qt::PointingHandCursor);
    Support.Label_sito_internet->installEventFilter(this);

    GroupBox_parametri = new QGroupBox(QString::fromUtf8(PARAMETERS[0]), this);
    GroupBox_parametri->setObjectName("GroupBox_parametri");

    GroupBox_password_parametri = new QGroupBox(QString::fromUtf8(PASSWORD_GROUP[0]), GroupBox_parametri);
    GroupBox_password_parametri->setObjectName("GroupBox_password_parametri");
    Edit_Password = new QLineEdit(GroupBox_password_parametri);
    Edit_Password->setObjectName("Edit_Password");
    Edit_Password->setEchoMode(QLineEdit::Password);
    BitBtn_verifica = button(GroupBox_password_parametri, "BitBtn_verifica", VERIFY);
    auto* password_row = new QHBoxLayout(GroupBox_password_parametri);
    password_row->addWidget(Edit_Password, 1);
    password_row->addWidget(BitBtn_verifica);

    GroupBox_lista_taglia_correnti = new QGroupBox(QString::fromUtf8(SIZE_LIST[0]), GroupBox_parametri);
    GroupBox_lista_taglia_correnti->setObjectName("GroupBox_lista_taglia_correnti");
    Panel_taglia_corrente = new QWidget(GroupBox_lista_taglia_correnti);
    Panel_taglia_corrente->setObjectName("Panel_taglia_corrente");
    StringGrid_taglia_corrente = new QTableWidget(0, GRID_COLUMNS, Panel_taglia_corrente);
    StringGrid_taglia_corrente->setObjectName("StringGrid_taglia_corrente");
    const GridCellPaint cell = [this](Canvas& canvas, const DrawRect& rect, int row, int column, bool selected) {
        StringGrid_taglia_correnteDrawCell(canvas, column, row, rect, selected);
    };
    StringGrid_taglia_corrente->setHorizontalHeader(Grid_cell_header(cell, StringGrid_taglia_corrente));
    StringGrid_taglia_corrente->setItemDelegate(Grid_cell_delegate(cell, 1, StringGrid_taglia_corrente));
    StringGrid_taglia_corrente->verticalHeader()->hide();
    StringGrid_taglia_corrente->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid_taglia_corrente->verticalHeader()->setDefaultSectionSize(GRID_ROW_HEIGHT);
    StringGrid_taglia_corrente->horizontalHeader()->setFixedHeight(GRID_ROW_HEIGHT);
    StringGrid_taglia_corrente->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int c = 0; c < GRID_COLUMNS; ++c)
        StringGrid_taglia_corrente->setColumnWidth(c, GRID_WIDTHS[c]);
    StringGrid_taglia_corrente->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid_taglia_corrente->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid_taglia_corrente->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid_taglia_corrente->setMinimumSize(420, 150);
    (new QVBoxLayout(Panel_taglia_corrente))->addWidget(StringGrid_taglia_corrente);

    Panel_taglia_impostata = panel(GroupBox_lista_taglia_correnti, "Panel_taglia_impostata",
                                   QString::fromUtf8(SET_SIZE[0]));
    Panel_num_taglia_impostata = panel(GroupBox_lista_taglia_correnti, "Panel_num_taglia_impostata", "---");
    Panel_nome_taglia_impostata = panel(GroupBox_lista_taglia_correnti, "Panel_nome_taglia_impostata", "------");
    BitBtn_conferma_taglia = button(GroupBox_lista_taglia_correnti, "BitBtn_conferma_taglia", CONFIRM_SIZE);
    auto* chosen_row = new QHBoxLayout;
    chosen_row->addWidget(Panel_taglia_impostata);
    chosen_row->addWidget(Panel_num_taglia_impostata);
    chosen_row->addWidget(Panel_nome_taglia_impostata, 1);
    chosen_row->addWidget(BitBtn_conferma_taglia);
    auto* list_layout = new QVBoxLayout(GroupBox_lista_taglia_correnti);
    list_layout->addWidget(Panel_taglia_corrente, 1);
    list_layout->addLayout(chosen_row);

    BitBtn_load_dati_drive = button(GroupBox_parametri, "BitBtn_load_dati_drive", LOAD_FILE);
    BitBtn_carica_default = button(GroupBox_parametri, "BitBtn_carica_default", LOAD_DEFAULT);
    auto* load_row = new QHBoxLayout;
    load_row->addStretch(1);
    load_row->addWidget(BitBtn_load_dati_drive);
    load_row->addWidget(BitBtn_carica_default);
    auto* parameters = new QVBoxLayout(GroupBox_parametri);
    parameters->addWidget(GroupBox_password_parametri);
    parameters->addWidget(GroupBox_lista_taglia_correnti, 1);
    parameters->addLayout(load_row);

    BitBtn_close = button(this, "BitBtn_close", CLOSE);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(BitBtn_close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox_attenzione);
    layout->addWidget(GroupBox_parametri, 1);
    layout->addWidget(Support.GroupBox_assistenza);
    layout->addLayout(bottom);

    OpenDialog_open_drive.filter = DRIVE_FILE_FILTER;
    SaveDialog_dati_drive.filter = DRIVE_FILE_FILTER;
    SaveDialog_dati_drive.default_suffix = "ivt";
    SaveDialog_dati_drive.save = true;

    connect(BitBtn_verifica, &QPushButton::clicked, this, [this] { BitBtn_verificaClick(); });
    connect(BitBtn_conferma_taglia, &QPushButton::clicked, this, [this] { BitBtn_conferma_tagliaClick(); });
    connect(BitBtn_load_dati_drive, &QPushButton::clicked, this, [this] { BitBtn_load_dati_driveClick(); });
    connect(BitBtn_carica_default, &QPushButton::clicked, this, [this] { BitBtn_carica_defaultClick(); });
    connect(BitBtn_close, &QPushButton::clicked, this, [this] { BitBtn_closeClick(); });
    connect(StringGrid_taglia_corrente, &QTableWidget::currentCellChanged, this, [this] { update_load_buttons(); });

    Timer_com = new QTimer(this);
    Timer_com->setObjectName("Timer_com");
    Timer_com->setInterval(30);
    connect(Timer_com, &QTimer::timeout, this, [this] { Timer_comTimer(); });
    Timer_com->start();

    Main_register_dialog(&TForm_main::Form_e2p_chks, this);
}

TForm_e2p_chks::~TForm_e2p_chks() = default;

void TForm_e2p_chks::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

bool TForm_e2p_chks::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Support.Label_sito_internet && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Label_sito_internetClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm_e2p_chks::apply_language()
{
    setWindowTitle(tr3(CHKS_CAPTION));
    GroupBox_attenzione->setTitle(tr3(ATTENTION));
    Support.GroupBox_assistenza->setTitle(tr3(SUPPORT));
    GroupBox_parametri->setTitle(tr3(PARAMETERS));
    GroupBox_password_parametri->setTitle(tr3(PASSWORD_GROUP));
    GroupBox_lista_taglia_correnti->setTitle(tr3(SIZE_LIST));
    Panel_taglia_impostata->setText(tr3(SET_SIZE));
    BitBtn_verifica->setText(tr3(VERIFY));
    BitBtn_conferma_taglia->setText(tr3(CONFIRM_SIZE));
    BitBtn_load_dati_drive->setText(tr3(LOAD_FILE));
    BitBtn_carica_default->setText(tr3(LOAD_DEFAULT));
    BitBtn_close->setText(tr3(CLOSE));
}

void TForm_e2p_chks::choose_table()
{
    const bool first = DriveDeviceId.load() == DRIVE_TYPE_ORVEL;
    Table = first ? &SizeTableOrvel : &SizeTablePelsan;
    CurrentSizeTable = *Table;
    StringGrid_taglia_corrente->setRowCount(Table->count);
}

void TForm_e2p_chks::FormShow()
{
    closed_ = false;
    closing_ = false;
    Timer_com->start();
    apply_language();
    choose_table();
    SizeKnown = DriveDeviceId.load() != DRIVE_TYPE_ORVEL || (Drive_ident_get().flags & IdentFlag::BootCondition);
    ConfirmedRow = 0;
    size_shown_ = false;
    GroupBox_password_parametri->setVisible(!SizeKnown);
    BitBtn_conferma_taglia->setVisible(!SizeKnown);
    BitBtn_conferma_taglia->setEnabled(false);
    Panel_taglia_corrente->setEnabled(!SizeKnown);
    Panel_num_taglia_impostata->setText("---");
    Panel_nome_taglia_impostata->setText("------");
    if (SizeKnown)
        show_known_size();
    update_load_buttons();
    Edit_Password->setText(PASSWORD_MASK);
}

// The size of this connection's image, once it has been read.
void TForm_e2p_chks::show_known_size()
{
    if (!(Ser_data_flags.load() & DataFlag::ListReads))
        return;
    DriveSizeRead = {DriveRecordBank[0].b[RecOfs::SizeIndex], read_voltage_class()};
    size_shown_ = true;
    const uint8_t code = DriveSizeRead.size_index;
    const uint16_t i = code < Table->count ? Frm_output_find_size(*Table, code) : SIZE_NOT_FOUND;
    if (i == SIZE_NOT_FOUND) {
        Panel_num_taglia_impostata->setText("---");
        Panel_nome_taglia_impostata->setText("------");
        StringGrid_taglia_corrente->clearSelection();
    } else {
        Panel_nome_taglia_impostata->setText(E2p_size_cell(*Table, 1, i + 1, 0).text + " ");
        Panel_num_taglia_impostata->setText(" [ " + QString::number(i + 1) + QString::fromUtf8("°") + " ] ");
        SelectRow(i + 1);
    }
    StringGrid_taglia_corrente->viewport()->update();
}

void TForm_e2p_chks::update_load_buttons()
{
    const bool enabled = SizeKnown || (ConfirmedRow > 0 && SelectedRow() == ConfirmedRow);
    BitBtn_load_dati_drive->setEnabled(enabled);
    BitBtn_carica_default->setEnabled(enabled);
}

int TForm_e2p_chks::GridRowCount() const { return StringGrid_taglia_corrente->rowCount() + 1; }

int TForm_e2p_chks::SelectedRow() const
{
    const QModelIndexList rows = StringGrid_taglia_corrente->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.front().row() + 1;
}

void TForm_e2p_chks::SelectRow(int row)
{
    if (row < 1 || row >= GridRowCount()) {
        StringGrid_taglia_corrente->clearSelection();
        return;
    }
    StringGrid_taglia_corrente->selectRow(row - 1);
    update_load_buttons();
}

void TForm_e2p_chks::Timer_comTimer()
{
    if (link_running() && drive_answers()) {
        if (SizeKnown && !size_shown_)
            show_known_size();
        if (alarm_word() & BIT_CHECKSUM) {
            const uint32_t now = Tick_ms();
            if (Tick_diff(now, E2pChksBlinkTime) <= E2P_BLINK_MS)
                return;
            E2pChksBlinkTime = now;
            set_line(Panel_str_e2p_chk_er, Panel_str_e2p_chk_er->text().isEmpty() ? tr3(CHKS_ERROR) : QString(), clRed);
        } else if (Panel_str_e2p_chk_er->text() != E2PROM_OK) {
            set_line(Panel_str_e2p_chk_er, E2PROM_OK, DARK_GREEN);
        }
    } else if (Panel_str_e2p_chk_er->text() != NO_LINK) {
        set_line(Panel_str_e2p_chk_er, NO_LINK, clBlack);
    }
}

void TForm_e2p_chks::StringGrid_taglia_correnteDrawCell(Canvas& canvas, int column, int row, const DrawRect& cell,
                                                        bool selected)
{
    if (Table == nullptr)
        return;
    const E2pSizeCell content = E2p_size_cell(*Table, column, row, DriveSizeRead.voltage_class);
    QFont font("Arial");
    if (row == 0) {
        font.setPointSize(10);
        font.setBold(true);
        canvas.font = font;
        canvas.font_colour = clNavy;
        canvas.brush = QBrush(clBtnFace, Qt::SolidPattern);
        Graph_draw_text_rect(canvas, cell, AlignCentre, content.text);
        return;
    }
    font.setPointSize(8);
    font.setBold(content.bold);
    canvas.font = font;
    canvas.font_colour = selected ? clWhite : content.blue ? clBlue : clBlack;
    canvas.brush = QBrush(selected ? StringGrid_taglia_corrente->palette().color(QPalette::Highlight) : clWhite,
                          Qt::SolidPattern);
    Graph_draw_text_rect(canvas, {cell.left, cell.top, cell.right - 2, cell.bottom}, content.align, content.text);
}

template <typename F>
bool TForm_e2p_chks::inner(F&& step)
{
    ++inner_depth_;
    step();
    --inner_depth_;
    return !closing_;
}

void TForm_e2p_chks::BitBtn_verificaClick()
{
    if (Edit_Password->text() == QLatin1String(E2P_SERVICE_PASSWORD)) {
        BitBtn_conferma_taglia->setEnabled(true);
        inner([] { inform(tr3(PASSWORD_OK)); });
        return;
    }
    if (inner([] { warn(PASSWORD_WRONG); }))
        Edit_Password->setFocus();
}

void TForm_e2p_chks::BitBtn_conferma_tagliaClick()
{
    const int r = SelectedRow();
    if (r == 0 || Table == nullptr)
        return;
    ConfirmedRow = r;
    const QString name = E2p_size_cell(*Table, 1, r, 0).text;
    Panel_nome_taglia_impostata->setText(name + " ");
    Panel_num_taglia_impostata->setText(" [ " + QString::number(r) + QString::fromUtf8("°") + " ] ");
    update_load_buttons();
    inner([&] { inform(tr3(SET_SIZE) + ": " + name); });
}

bool TForm_e2p_chks::size_for_write(bool with_class, uint8_t& code, uint8_t& voltage_class)
{
    if (Table == nullptr)
        return false;
    if (!(Ser_data_flags.load() & DataFlag::ListReads)) {
        inner([] { warn(NOT_READ); });
        return false;
    }
    DriveSizeRead = {DriveRecordBank[0].b[RecOfs::SizeIndex], read_voltage_class()};
    voltage_class = DriveSizeRead.voltage_class;
    if (SizeKnown) {
        code = DriveSizeRead.size_index;
    } else {
        if (ConfirmedRow == 0 || SelectedRow() != ConfirmedRow)
            return false;
        code = Table->sorted[ConfirmedRow - 1].code;
    }
    if (code >= Table->count || (with_class && voltage_class > MAX_VOLTAGE_CLASS)) {
        inner([] { warn(INVALID_SIZE); });
        return false;
    }
    return true;
}

void TForm_e2p_chks::BitBtn_carica_defaultClick()
{
    if (!drive_answers())
        return;
    uint8_t code = 0, voltage_class = 0;
    if (!size_for_write(true, code, voltage_class))
        return;
    const bool first = DriveDeviceId.load() == DRIVE_TYPE_ORVEL;
    DriveRecordRx.b[RecOfs::SizeIndex] = code;
    Init_default_image(DriveRecordRx, code, voltage_class, first ? FAMILY_FLAG_ORVEL : FAMILY_FLAG_PELSAN);
    whole_image_write(tr3(DEFAULT_CAPTION));
}

void TForm_e2p_chks::BitBtn_load_dati_driveClick()
{
    uint8_t code = 0, voltage_class = 0;
    if (!size_for_write(false, code, voltage_class))
        return;
    OpenDialog_open_drive.title = tr3(OPEN_TITLE);
    if (OpenDialog_open_drive.folder.isEmpty() && !DriveDataFolder.empty())
        OpenDialog_open_drive.folder = QString::fromStdString(DriveDataFolder.string());
    QString name;
    if (!inner([&] { name = Filedlg_run(this, OpenDialog_open_drive); }))
        return;
    if (name.isEmpty() || !QFileInfo::exists(name))
        return;
    static DriveRecord loaded;
    uint8_t accepted = 0;
    if (!inner([&] { accepted = ReadDriveFile(name, &loaded, SaveDialog_dati_drive); }) || !accepted)
        return;
    DriveRecordRx = loaded;
    uint8_t* r = DriveRecordRx.b;
    std::memset(r + RecOfs::AlarmMemByte, 0, RecOfs::VersionMajor - RecOfs::AlarmMemByte);
    r[RecOfs::SizeIndex] = code;
    r[RecOfs::Mark] = RECORD_MARK;
    Rec_set<uint16_t>(DriveRecordRx, RecOfs::EndMarker, RECORD_END_MARKER);
    Rec_set<uint16_t>(DriveRecordRx, DRIVE_RECORD_SIZE - 2, RECORD_END_MARKER);
    uint8_t check = 0;
    for (std::size_t i = 1; i < DRIVE_RECORD_SIZE; ++i)
        check ^= r[i];
    r[RecOfs::CheckByte] = check;
    whole_image_write(tr3(FILE_CAPTION));
}

void TForm_e2p_chks::whole_image_write(const QString& caption)
{
    // A drive data set job, widened to the whole image: bytes 0 to 2411, target twice the total.
    Main_prepare_drive_job(DriveRecordRx, E2pChksAdoptImage);
    Ser_block_job.start.store(0);
    Ser_block_job.offset.store(0);
    Ser_block_job.length.store(WHOLE_IMAGE);
    Ser_block_job.end.store(WHOLE_IMAGE);
    Ser_block_job.progress_max.store(WHOLE_IMAGE_TARGET);
    std::memcpy(Ser_block_job.data, DriveRecordTx.b, DRIVE_RECORD_SIZE);
    E2pImageAdopted = 0;

    // The size parameter written before the block carries the size of this image; the working
    // copy takes it back when the image was not written.
    const uint8_t kept[2] = {DriveRecordBank[0].b[RecOfs::SizeIndex], DriveRecordBank[2].b[RecOfs::SizeIndex]};
    DriveRecordBank[0].b[RecOfs::SizeIndex] = DriveRecordRx.b[RecOfs::SizeIndex];

    QPointer<TForm_send_drive> dialog = new TForm_send_drive(this);
    dialog->RequireImage = false;
    dialog->setWindowTitle(caption);
    dialog->Panel_dat_send->setText(caption);
    dialog->set_message(Formdattxrx_rewrite_lines());
    inner([&] { dialog->exec(); });
    delete dialog.data();

    if (!E2pImageAdopted) {
        DriveRecordBank[0].b[RecOfs::SizeIndex] = kept[0];
        DriveRecordBank[2].b[RecOfs::SizeIndex] = kept[1];
    }
}

void TForm_e2p_chks::BitBtn_closeClick()
{
    close();
}

void TForm_e2p_chks::close_inner_modals()
{
    if (inner_depth_ > 0)
        close_modals_above(this);
}

void TForm_e2p_chks::closeEvent(QCloseEvent* event)
{
    closing_ = true;
    close_inner_modals();
    if (!closed_) {
        closed_ = true;
        FormClose();
    }
    QDialog::closeEvent(event);
}

void TForm_e2p_chks::FormClose()
{
    Timer_com->stop();
    if (drive_answers() && (alarm_word() & BIT_CHECKSUM))
        Main_close_link();
}

void TForm_e2p_chks::Label_sito_internetClick()
{
    const QString address = QStringLiteral("https://") + QString::fromUtf8(MAKER_WEB_PAGE);
    Open_web_address(address.toUtf8().constData());
}

// ---- offset dialog ----

TForm_e2p_offset_er::TForm_e2p_offset_er(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form_e2p_offset_er");
    setWindowTitle(QString::fromUtf8(ALARM_CAPTION[0]));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    GroupBox_attenzione = new QGroupBox(QString::fromUtf8(ATTENTION[0]), this);
    GroupBox_attenzione->setObjectName("GroupBox_attenzione");
    Panel_str_e2p_chk_er_line1 = status_line(GroupBox_attenzione, "Panel_str_e2p_chk_er_line1");
    Panel_str_e2p_chk_er_line2 = status_line(GroupBox_attenzione, "Panel_str_e2p_chk_er_line2");
    auto* lines = new QVBoxLayout(GroupBox_attenzione);
    lines->addWidget(Panel_str_e2p_chk_er_line1);
    lines->addWidget(Panel_str_e2p_chk_er_line2);

    build_support(Support, this);

    BitBtn_close = button(this, "BitBtn_close", CLOSE);
    connect(BitBtn_close, &QPushButton::clicked, this, [this] { BitBtn_closeClick(); });
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(BitBtn_close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox_attenzione);
    layout->addWidget(Support.GroupBox_assistenza);
    layout->addLayout(bottom);
    setMinimumWidth(420);

    Timer_com = new QTimer(this);
    Timer_com->setObjectName("Timer_com");
    Timer_com->setInterval(30);
    connect(Timer_com, &QTimer::timeout, this, [this] { Timer_comTimer(); });
    Timer_com->start();

    Main_register_dialog(&TForm_main::Form_e2p_offset_er, this);
}

TForm_e2p_offset_er::~TForm_e2p_offset_er() = default;

void TForm_e2p_offset_er::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm_e2p_offset_er::FormShow()
{
    closed_ = false;
    Timer_com->start();
    setWindowTitle(tr3(ALARM_CAPTION));
    GroupBox_attenzione->setTitle(tr3(ATTENTION));
    Support.GroupBox_assistenza->setTitle(tr3(SUPPORT));
    BitBtn_close->setText(tr3(CLOSE));
    E2pOffsetMessage = E2p_offset_message(alarm_word(), Lang_index());
    set_line(Panel_str_e2p_chk_er_line2, E2pOffsetMessage, clRed);
}

void TForm_e2p_offset_er::Timer_comTimer()
{
    if (!link_running() || !drive_answers()) {
        if (Panel_str_e2p_chk_er_line1->text() != NO_LINK) {
            set_line(Panel_str_e2p_chk_er_line1, NO_LINK, clBlack);
            set_line(Panel_str_e2p_chk_er_line2, NO_LINK, clBlack);
        }
        return;
    }
    const QString line2 = Panel_str_e2p_chk_er_line2->text();
    if (line2 == NO_LINK || line2.isEmpty())
        set_line(Panel_str_e2p_chk_er_line2, E2pOffsetMessage, clRed);
    const uint32_t now = Tick_ms();
    if (Tick_diff(now, E2pOffsetBlinkTime) <= E2P_BLINK_MS)
        return;
    E2pOffsetBlinkTime = now;
    const bool empty = Panel_str_e2p_chk_er_line1->text().isEmpty();
    set_line(Panel_str_e2p_chk_er_line1, empty ? tr3(ALARM_CAPTION) : QString(), clRed);
}

void TForm_e2p_offset_er::BitBtn_closeClick()
{
    close();
}

void TForm_e2p_offset_er::closeEvent(QCloseEvent* event)
{
    if (!closed_) {
        closed_ = true;
        FormClose();
    }
    QDialog::closeEvent(event);
}

void TForm_e2p_offset_er::FormClose()
{
    Timer_com->stop();
    if (drive_answers())
        Main_close_link();
}
