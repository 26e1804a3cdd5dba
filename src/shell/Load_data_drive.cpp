// The offline archive window: edits DriveRecordBank slot 1 on the parameter pages in context 1,
// watches it against the reference copy (slot 3), saves, loads, defaults, prints and sends it.
#include "shell/Load_data_drive.h"

#include <cstring>

#include <QAction>
#include <QChildEvent>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "drivedata/Globvar.h"
#include "drivedata/Init.h"
#include "drivedata/Utx.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"
#include "shell/Form_send_drive.h"
#include "shell/Main.h"
#include "shell/Main_files.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Stbar.h"
#include "shell/Stbarcmx.h"
#include "shell/Treectrl.h"

TForm_load_data_drive* Form_load_data_drive = nullptr;

namespace {

constexpr int RUN_MS = 20;
constexpr int SCREEN_DPI = 96;
constexpr int TREE_FONT_SIZE = 10;
constexpr int DATA_GROUP_HEIGHT = 313;
constexpr int STATUS_HEIGHT = 20;
constexpr uint16_t PANE_MODIFIED = 2;
constexpr uint16_t PANE_FILE = 3;

constexpr const char* DRIVE_FILTER = "Inverter files (*.ivt)|*.ivt";
constexpr const char* DRIVE_SUFFIX = "ivt";

const char* const ASK_NO_FILE[3] = {"Vuoi Salvare i  Dati su File ?", "Do you want to save Data on File ?",
                                    "Voulez-vous enregistrer les données dans un fichier ?"};
const char* const ASK_FILE[3] = {"Vuoi Salvare le Modifiche al File : ", "Do you want to save changes on File : ",
                                 "Voulez-vous enregistrer les modifications du fichier : "};
const char* const SAVE_TITLE[3] = {"Salva", "Save", "Enregistrer"};
const char* const SAVE_AS_TITLE[3] = {"Salva con Nome", "Save as", "Enregistrer sous"};
const char* const OPEN_TITLE[3] = {"Apri", "Open", "Ouvrir"};
const char* const DEFAULT_ASK[3] = {"Impostare Dati Default ?", "Default Data Set ?", "Configurer Données par Défaut ?"};
const char* const DEFAULT_DONE[3] = {"Dati Default Impostati !", "Default Data Set !",
                                     "Données par Dèfaut Configurées !"};
const char* const LOADED_TEXT[3] = {"Dati Caricati !", "Data Loaded !", "Données Chargée !"};
const char* const SAVED_TEXT[3] = {"Dati Salvati !", "Data Saved !", "Données Enregistrées !"};
const char* const VOLTAGE_ASK[3][2] = {
    {"Taglie tensioni differenti!",
     "Verranno mantenute le soglie di tensione e i dati della resistenza di frenatura."},
    {"voltages sizes different!", "Will retain the voltage thresholds and data of the braking resistor."},
    {"Tailles de tension différentes!",
     "Les seuils de tension et les données de la résistance de freinage seront conservés."}};
const char* const SEND_TITLE[3] = {"Carica dati da file", "Load data from file", "Charger données du fichier"};

// Record bytes the drive keeps when its voltage class differs from the data set's.
constexpr std::size_t VOLTAGE_THRESHOLDS = 38;  // four u16
constexpr std::size_t VOLTAGE_THRESHOLDS_LEN = 8;
constexpr std::size_t BRAKING_DATA = 54;
constexpr std::size_t BRAKING_DATA_LEN = 10;
constexpr uint8_t VOLTAGE_CLASS_BITS = 0x03;

enum class Prop : uint8_t { Caption, Hint };
struct CaptionRow {
    const char* name;
    Prop prop;
    const char* text[3];
};
const CaptionRow CAPTIONS[] = {
    {"BitBtn_invia", Prop::Caption, {"Invia", "Send", "Envoyer"}},
    {"BitBtn_invia", Prop::Hint, {"Invia dati drive", "Send data to the drive", "Envoyer les données au variateur"}},
    {"Menu_Open", Prop::Caption, {"Apri", "Open", "Ouvrir"}},
    {"Menu_Save", Prop::Caption, {"Salva", "Save", "Enregistrer"}},
    {"Menu_Save_as", Prop::Caption, {"Salva con Nome", "Save as", "Enregistrer sous"}},
    {"Menu_Chiudi", Prop::Caption, {"Chiudi", "Close", "Fermer"}},
    {"Menu_Printx", Prop::Caption, {"Stampa", "Print", "Imprimer"}},
    {"Menu_Print", Prop::Caption, {"Stampa", "Print", "Imprimer"}},
    {"Menu_PrintPreview", Prop::Caption, {"Anteprima Stampa", "Print Preview", "Aperçu avant impression"}},
    {"BitBtn_open_dati_drive_def", Prop::Hint,
     {"Carica i dati drive default", "Load the default drive", "Charge les données drive par défaut"}},
    {"BitBtn_open_dati_drive", Prop::Hint,
     {"Carica i dati drive da file", "Load the drive data from file", "Charge les données drive du fichier"}},
    {"BitBtn_salva_dati_drive", Prop::Hint,
     {"Salva i dati drive su file", "Save the drive data on file", "Enregistre les données drive sur fichier"}},
    {"BitBtn_preview", Prop::Hint, {"Anteprima Stampa", "Print Preview", "Aperçu avant impression"}},
    {"BitBtn_print", Prop::Hint, {"Stampa", "Print", "Imprimer"}},
};
const char* const WINDOW_TITLE[3] = {"Carica Dati Drive", "Load Drive Data", "Charger Données Drive"};

void inform(MsgIcon icon, const char* const (&text)[3])
{
    Msgbox_show({icon, Msgbox_title(Lang_index()), text[Lang_index()], MsgOk});
}

QToolButton* make_button(QWidget* parent, QLayout* row, const char* name, QStyle::StandardPixmap icon)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(Graph_tool_icon(parent->style()->standardIcon(icon)));
    b->setAutoRaise(true);
    row->addWidget(b);
    return b;
}

QAction* make_action(QWidget* owner, QMenu* menu, const char* name)
{
    auto* a = new QAction(owner);
    a->setObjectName(name);
    menu->addAction(a);
    return a;
}

StbarPane ArchivePanes[4];
StbarPane* const ArchivePaneList[] = {&ArchivePanes[0], &ArchivePanes[1], &ArchivePanes[2], &ArchivePanes[3],
                                      nullptr};

bool differs_from_reference()
{
    return Utx_mem_differ(DriveRecordBank[1].b, DriveRecordBank[3].b, DRIVE_RECORD_SIZE) != 0;
}

}  // namespace

// ---- status panes ----

void Load_data_drive_paint_modified(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    Stbarcmx_paint_modified(picture, panes, index, Form_load_data_drive != nullptr && Form_load_data_drive->Modified);
}

void Load_data_drive_paint_file(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    Stbarcmx_paint_file(picture, panes, index, DriveDataFileName);
}

// ---- construction ----

TForm_load_data_drive::TForm_load_data_drive(QWidget* parent) : QDialog(parent)
{
    setObjectName("TForm_load_data_drive");
    setModal(true);
    build();
    Form_load_data_drive = this;
}

TForm_load_data_drive::~TForm_load_data_drive()
{
    if (!closed_)
        finish_close();
    if (Form_load_data_drive == this)
        Form_load_data_drive = nullptr;
}

void TForm_load_data_drive::build()
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    MainMenu_archive = new QMenuBar(this);
    MainMenu_archive->setObjectName("MainMenu_archive");
    Menu_File = MainMenu_archive->addMenu("File");
    Menu_File->setObjectName("Menu_File");
    Menu_Default = make_action(this, Menu_File, "Menu_Default");
    Menu_Default->setText("Default");
    Menu_Open = make_action(this, Menu_File, "Menu_Open");
    Menu_Save = make_action(this, Menu_File, "Menu_Save");
    Menu_Save_as = make_action(this, Menu_File, "Menu_Save_as");
    Menu_File->addSeparator();
    Menu_Chiudi = make_action(this, Menu_File, "Menu_Chiudi");
    Menu_Printx = MainMenu_archive->addMenu(QString());
    Menu_Printx->setObjectName("Menu_Printx");
    Menu_PrintPreview = make_action(this, Menu_Printx, "Menu_PrintPreview");
    Menu_Print = make_action(this, Menu_Printx, "Menu_Print");
    column->setMenuBar(MainMenu_archive);

    auto* toolbar = new QWidget(this);
    toolbar->setObjectName("Panel_toolbar");
    auto* row = new QHBoxLayout(toolbar);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(1);
    BitBtn_open_dati_drive_def = make_button(toolbar, row, "BitBtn_open_dati_drive_def", QStyle::SP_FileIcon);
    BitBtn_open_dati_drive = make_button(toolbar, row, "BitBtn_open_dati_drive", QStyle::SP_DialogOpenButton);
    BitBtn_salva_dati_drive = make_button(toolbar, row, "BitBtn_salva_dati_drive", QStyle::SP_DialogSaveButton);
    BitBtn_preview = make_button(toolbar, row, "BitBtn_preview", QStyle::SP_FileDialogContentsView);
    BitBtn_print = make_button(toolbar, row, "BitBtn_print", QStyle::SP_FileDialogDetailedView);
    BitBtn_invia = make_button(toolbar, row, "BitBtn_invia", QStyle::SP_ArrowUp);
    BitBtn_invia->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    row->addStretch(1);
    column->addWidget(toolbar);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(2, 2, 2, 2);
    GroupBox_menu = new QGroupBox(this);
    GroupBox_menu->setObjectName("GroupBox_menu");
    TreeView_menu = new QTreeWidget(GroupBox_menu);
    TreeView_menu->setObjectName("TreeView_menu");
    TreeView_menu->setHeaderHidden(true);
    (new QVBoxLayout(GroupBox_menu))->addWidget(TreeView_menu);
    body->addWidget(GroupBox_menu, 0);
    const PageArea area = Treectrl_build_page_area(this, QString());
    GroupBox_dati_drive = area.group;
    ScrollBox_Menu = area.scroll;
    ScrollBox_Menu_host = area.host;
    body->addWidget(GroupBox_dati_drive, 1);
    column->addLayout(body, 1);

    PanelArchiveStb = new QWidget(this);
    PanelArchiveStb->setObjectName("PanelArchiveStb");
    PanelArchiveStb->setFixedHeight(STATUS_HEIGHT);
    column->addWidget(PanelArchiveStb);

    Timer_run = new QTimer(this);
    Timer_run->setObjectName("Timer_run");
    Timer_run->setInterval(RUN_MS);

    for (QToolButton* b : {BitBtn_salva_dati_drive, BitBtn_invia})
        b->setEnabled(false);
    Menu_Save->setEnabled(false);
    const bool print = PrintDriveData_available();
    for (QToolButton* b : {BitBtn_preview, BitBtn_print})
        b->setEnabled(print);
    for (QAction* a : {Menu_PrintPreview, Menu_Print})
        a->setEnabled(print);

    const auto on_click = [this](QToolButton* b, void (TForm_load_data_drive::*h)()) {
        connect(b, &QToolButton::clicked, this, [this, h] { (this->*h)(); });
    };
    const auto on_menu = [this](QAction* a, void (TForm_load_data_drive::*h)()) {
        connect(a, &QAction::triggered, this, [this, h] { (this->*h)(); });
    };
    on_click(BitBtn_open_dati_drive_def, &TForm_load_data_drive::BitBtn_open_dati_drive_defClick);
    on_menu(Menu_Default, &TForm_load_data_drive::BitBtn_open_dati_drive_defClick);
    on_click(BitBtn_open_dati_drive, &TForm_load_data_drive::BitBtn_open_dati_driveClick);
    on_menu(Menu_Open, &TForm_load_data_drive::BitBtn_open_dati_driveClick);
    on_click(BitBtn_salva_dati_drive, &TForm_load_data_drive::BitBtn_salva_dati_driveClick);
    on_menu(Menu_Save, &TForm_load_data_drive::BitBtn_salva_dati_driveClick);
    on_menu(Menu_Save_as, &TForm_load_data_drive::Menu_Save_asClick);
    on_click(BitBtn_invia, &TForm_load_data_drive::BitBtn_inviaClick);
    on_click(BitBtn_preview, &TForm_load_data_drive::BitBtn_previewClick);
    on_menu(Menu_PrintPreview, &TForm_load_data_drive::BitBtn_previewClick);
    on_click(BitBtn_print, &TForm_load_data_drive::BitBtn_printClick);
    on_menu(Menu_Print, &TForm_load_data_drive::BitBtn_printClick);
    on_menu(Menu_Chiudi, &TForm_load_data_drive::Menu_ChiudiClick);
    connect(TreeView_menu, &QTreeWidget::currentItemChanged, this, [this] { select_page(); });
    connect(TreeView_menu, &QTreeWidget::itemClicked, this, [this] { select_page(); });
    connect(Timer_run, &QTimer::timeout, this, [this] { Timer_runTimer(); });
}

void TForm_load_data_drive::select_page()
{
    if (shown_)
        Main_select_page(1, ScrollBox_Menu_host);
}

// ---- showing ----

void TForm_load_data_drive::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!shown_)
        FormShow();
}

void TForm_load_data_drive::FormShow()
{
    Modified = 0;
    if (QScreen* s = screen(); s != nullptr && qRound(s->logicalDotsPerInch()) != SCREEN_DPI) {
        QFont f = TreeView_menu->font();
        f.setPointSize(TREE_FONT_SIZE);
        TreeView_menu->setFont(f);
    }
    const int16_t widths[4] = {114, 114, 90, 1000};
    const StbarPaint painters[4] = {Stbarcmx_paint_link, Stbarcmx_paint_drive, Load_data_drive_paint_modified,
                                    Load_data_drive_paint_file};
    for (int i = 0; i < 4; ++i) {
        ArchivePanes[i] = StbarPane{};
        ArchivePanes[i].width = widths[i];
        ArchivePanes[i].paint = painters[i];
    }
    Stbarx_free(Stb);
    Stb = new Stbarx(PanelArchiveStb, ArchivePaneList, 1);
    Main_attach_bar(TForm_main::BarArchive, Stb);
    Stbarx_repaint(Stb);
    CurrentPageNode[1] = nullptr;

    if (std::error_code ec; std::filesystem::is_directory(DriveDataFolder, ec))
        OpenDialog_open_drive.folder = QString::fromStdString(DriveDataFolder.string());
    SaveDialog_dati_drive.folder = OpenDialog_open_drive.folder;
    OpenDialog_open_drive.filter = SaveDialog_dati_drive.filter = DRIVE_FILTER;
    SaveDialog_dati_drive.default_suffix = DRIVE_SUFFIX;
    SaveDialog_dati_drive.save = true;

    BuiltBusType[1] = static_cast<uint16_t>(~Rec_get<uint16_t>(DriveRecordBank[1], RecOfs::BusType));
    GroupBox_dati_drive->setMinimumHeight(DATA_GROUP_HEIGHT);
    shown_ = true;
    InitPageTree(TreeView_menu, DrivePageRoots, 1);
    if (TreeView_menu->topLevelItemCount() > 0)
        TreeView_menu->setCurrentItem(TreeView_menu->topLevelItem(0));
    select_page();

    if (SettingsBlock.archive_height > 0 && SettingsBlock.archive_width > 0)
        resize(SettingsBlock.archive_width, SettingsBlock.archive_height);
    apply_captions();

    DriveRecordBank[3] = DriveRecordBank[1];
    Timer_run->start();
}

void TForm_load_data_drive::apply_captions()
{
    const unsigned l = Lang_index();
    setWindowTitle(QString::fromUtf8(WINDOW_TITLE[l]));
    for (const CaptionRow& row : CAPTIONS) {
        const QString text = QString::fromUtf8(row.text[l]);
        if (auto* b = findChild<QToolButton*>(row.name)) {
            if (row.prop == Prop::Caption)
                b->setText(text);
            else
                b->setToolTip(text);
        } else if (auto* a = findChild<QAction*>(row.name)) {
            a->setText(text);
        } else if (auto* m = findChild<QMenu*>(row.name)) {
            m->setTitle(text);
        }
    }
}

// ---- modified watch ----

void TForm_load_data_drive::Timer_runTimer()
{
    const bool ready = Ser_link_flags.load() & LinkFlag::Ready;
    BitBtn_invia->setEnabled(ready && !(Drive_status_word() & StatusBit::State5) &&
                             (Ser_data_flags.load() & DataFlag::ListReads));
    if (!Modified && differs_from_reference())
        set_modified();
}

void TForm_load_data_drive::set_modified()
{
    Modified = 1;
    Menu_Save->setEnabled(true);
    BitBtn_salva_dati_drive->setEnabled(true);
    Stbarx_repaint_pane(Stb, PANE_MODIFIED);
}

void TForm_load_data_drive::MarkSaved()
{
    Timer_run->stop();
    DriveRecordBank[3] = DriveRecordBank[1];
    Modified = 0;
    Menu_Save->setEnabled(false);
    BitBtn_salva_dati_drive->setEnabled(false);
    Stbarx_repaint_pane(Stb, PANE_MODIFIED);
    Timer_run->start();
}

// ---- saving ----

bool TForm_load_data_drive::save_to(const QString& name)
{
    if (!WriteDriveFile(name, &DriveRecordBank[1]))
        return false;
    DriveDataFileName = name;
    Stbarx_repaint_pane(Stb, PANE_FILE);
    MarkSaved();
    return true;
}

bool TForm_load_data_drive::save_with_dialog(const char* const (&title)[3])
{
    if (std::error_code ec; !std::filesystem::is_directory(DriveDataFolder, ec))
        std::filesystem::create_directories(DriveDataFolder, ec);
    if (std::error_code ec; std::filesystem::is_directory(DriveDataFolder, ec))
        SaveDialog_dati_drive.folder = QString::fromStdString(DriveDataFolder.string());
    SaveDialog_dati_drive.title = QString::fromUtf8(title[Lang_index()]);
    const QString name = Filedlg_run(this, SaveDialog_dati_drive);
    return !name.isEmpty() && save_to(name);
}

unsigned TForm_load_data_drive::AskSaveData(bool with_cancel)
{
    // An edit committed since the last tick counts too.
    if (!Modified && differs_from_reference())
        set_modified();
    if (!Modified)
        return MsgNo;
    const unsigned l = Lang_index();
    const QString text = DriveDataFileName.isEmpty()
                             ? QString::fromUtf8(ASK_NO_FILE[l])
                             : QString::fromUtf8(ASK_FILE[l]) + Main_file_part(DriveDataFileName) + " ?";
    const unsigned buttons = MsgYes | MsgNo | (with_cancel ? MsgCancel : 0u);
    const MsgButton answer = Msgbox_show({MsgIcon::Question, Msgbox_title(l), text.toStdString(), buttons});
    if (answer != MsgYes)
        return answer;
    const bool saved = DriveDataFileName.isEmpty() ? save_with_dialog(SAVE_TITLE) : save_to(DriveDataFileName);
    return saved ? MsgYes : MsgCancel;
}

// ---- commands ----

void TForm_load_data_drive::refresh_tree_and_page()
{
    if (CurrentPageNode[1] == nullptr)
        return;
    if (BuiltBusType[1] != Rec_get<uint16_t>(DriveRecordBank[1], RecOfs::BusType)) {
        if (TreeView_menu->topLevelItemCount() > 0) {
            const QSignalBlocker quiet(TreeView_menu);
            TreeView_menu->setCurrentItem(TreeView_menu->topLevelItem(0));
        }
        BuildPageTree(1);
    }
    select_page();
    if (PageNode* node = CurrentPageNode[1]; node != nullptr && node->PageRefresh != nullptr)
        node->PageRefresh(1);
}

void TForm_load_data_drive::BitBtn_open_dati_drive_defClick()
{
    if (AskSaveData(false) == MsgCancel)
        return;
    const unsigned l = Lang_index();
    if (Msgbox_show({MsgIcon::Warning, Msgbox_title(l), DEFAULT_ASK[l], MsgOk | MsgCancel}) != MsgOk)
        return;
    Init_default_image(DriveRecordBank[1], DriveSizeRead.size_index, DriveSizeRead.voltage_class,
                       Settings_second_family() ? FAMILY_FLAG_PELSAN : FAMILY_FLAG_ORVEL);
    DriveDataFileName.clear();  // a default data set has no file yet
    MarkSaved();
    Stbarx_repaint_pane(Stb, PANE_FILE);
    refresh_tree_and_page();
    inform(MsgIcon::Information, DEFAULT_DONE);
}

void TForm_load_data_drive::BitBtn_open_dati_driveClick()
{
    if (AskSaveData(false) == MsgCancel)
        return;
    OpenDialog_open_drive.title = QString::fromUtf8(OPEN_TITLE[Lang_index()]);
    OpenDialog_open_drive.save = false;
    const QString name = Filedlg_run(this, OpenDialog_open_drive);
    if (name.isEmpty())
        return;
    if (ReadDriveFile(name, &DriveRecordBank[1], SaveDialog_dati_drive) != 1)
        return;
    MarkSaved();
    Stbarx_repaint_pane(Stb, PANE_FILE);
    refresh_tree_and_page();
    inform(MsgIcon::Information, LOADED_TEXT);
}

void TForm_load_data_drive::BitBtn_salva_dati_driveClick()
{
    const bool saved = DriveDataFileName.isEmpty() ? save_with_dialog(SAVE_TITLE) : save_to(DriveDataFileName);
    if (saved)
        inform(MsgIcon::Information, SAVED_TEXT);
}

void TForm_load_data_drive::Menu_Save_asClick()
{
    save_with_dialog(SAVE_AS_TITLE);
}

void TForm_load_data_drive::BitBtn_inviaClick()
{
    // The drive's own thresholds and braking data come from slot 0: it must hold this connection's image.
    if (!(Ser_link_flags.load() & LinkFlag::Ready) || !(Ser_data_flags.load() & DataFlag::ListReads))
        return;
    const DriveRecord& drive = DriveRecordBank[0];
    const DriveRecord& data = DriveRecordBank[1];
    const uint8_t drive_class = drive.b[RecOfs::VoltageClass] & VOLTAGE_CLASS_BITS;
    const bool other_class = drive_class != (data.b[RecOfs::VoltageClass] & VOLTAGE_CLASS_BITS);
    const unsigned l = Lang_index();
    if (other_class) {
        const std::string text = std::string(VOLTAGE_ASK[l][0]) + "\n" + VOLTAGE_ASK[l][1];
        if (Msgbox_show({MsgIcon::Warning, Msgbox_title(l), text, MsgOk | MsgCancel}) != MsgOk)
            return;
    }
    DriveRecord record = data;
    record.b[RecOfs::SizeIndex] = drive.b[RecOfs::SizeIndex];
    record.b[RecOfs::VoltageClass] =
        static_cast<uint8_t>((data.b[RecOfs::VoltageClass] & ~VOLTAGE_CLASS_BITS) | drive_class);
    if (other_class) {
        std::memcpy(record.b + VOLTAGE_THRESHOLDS, drive.b + VOLTAGE_THRESHOLDS, VOLTAGE_THRESHOLDS_LEN);
        std::memcpy(record.b + BRAKING_DATA, drive.b + BRAKING_DATA, BRAKING_DATA_LEN);
    }
    Main_prepare_drive_job(record, Main_archive_send_done);
    TForm_send_drive dialog(this);
    dialog.Panel_dat_send->setText(QString::fromUtf8(SEND_TITLE[l]));
    dialog.set_message(Formdattxrx_rewrite_lines());
    dialog.exec();
}

void TForm_load_data_drive::BitBtn_previewClick()
{
    Main_print_command(this, &DriveRecordBank[1], 1, DriveDataFileName);
}

void TForm_load_data_drive::BitBtn_printClick()
{
    Main_print_command(this, &DriveRecordBank[1], 0, DriveDataFileName);
}

void TForm_load_data_drive::Menu_ChiudiClick()
{
    close();
}

// ---- closing ----

void TForm_load_data_drive::closeEvent(QCloseEvent* event)
{
    event->ignore();
    reject();
}

void TForm_load_data_drive::reject()
{
    if (!closed_) {
        if (AskSaveData(true) == MsgCancel)
            return;
        finish_close();
    }
    QDialog::reject();
}

void TForm_load_data_drive::finish_close()
{
    closed_ = true;
    Timer_run->stop();
    PageNode* node = CurrentPageNode[1];
    CurrentPageNode[1] = nullptr;
    if (node != nullptr && node->PageDestroy != nullptr)
        node->PageDestroy(1);
    SettingsBlock.archive_height = static_cast<uint16_t>(height());
    SettingsBlock.archive_width = static_cast<uint16_t>(width());
    Main_detach_bar(TForm_main::BarArchive, Stb);
    Stbarx_free(Stb);
}
