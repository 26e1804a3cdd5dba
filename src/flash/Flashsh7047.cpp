// The firmware window: file, device data, start of a run and its follow-up by two timers.
#include "flash/Flashsh7047.h"

#include <unistd.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "controls/Graph_draw.h"
#include "controls/Utx_combo.h"
#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Globvar.h"
#include "flash_core/Flashcom_cdx.h"
#include "flash_core/Flashcom_mot.h"
#include "flash_core/Flashctrl.h"
#include "link/Flash_progress.h"
#include "link/Flash_seams.h"
#include "link/Seriale_port.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"
#include "platform/Tick.h"
#include "shell/Filedlg.h"
#include "shell/Main.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Stbarcmx.h"
#include "shell/Toolwin.h"

namespace {

// ---- layout ----
constexpr int WIDTH = 540;
constexpr int MARGIN = 8;
constexpr int INNER = WIDTH - 2 * MARGIN;
constexpr int GROUP_TOP = 418;
constexpr int GROUP_HEIGHT = 62;
constexpr int BAR_HEIGHT = 22;
constexpr int FULL_HEIGHT = GROUP_TOP + GROUP_HEIGHT + BAR_HEIGHT;
constexpr int16_t PANE_WIDTH[3] = {140, 140, 130};
constexpr uint32_t BLINK_MS = 1000;
constexpr int AGGIORNA_MS = 10;
constexpr int MESSAGE_MS = 50;
constexpr std::size_t PATH_MAX_BYTES = SETTINGS_PATH_FIELD - 1;

// ---- texts ----
const char* const CAPTION = "Flash Firmware";
const char* const DASHES = "-----";
const char* const INCOMPATIBLE[3] = {"Firmware drive incompatibile!", "Incompatible firmware drive!",
                                     "Firmware drive incompatible!"};
const char* const WAIT_END[3] = {"Attendere fine scrittura flash prima di uscire!",
                                 "Wait for the end of the flash write before leaving!",
                                 "Attendez la fin de l'écriture flash avant de quitter?"};
const char* const BOOT_TIMEOUT[3] = {"Time out inizializzazione scrittura flash!\nManca BootLoader!",
                                     "Time out init flash-write !\nAbsence BootLoader!",
                                     "Time out initialisation flash-écrire!\nBootloader absence!"};
const char* const PATH_TOO_LONG[3] = {"Percorso del file troppo lungo!", "File path too long!",
                                      "Chemin du fichier trop long !"};
const char* const ERROR_TITLE[3] = {"Errore", "Error", "Erreur"};
const char* const ERROR_TEXT[2][3] = {{"Bit rate Error!", "Bit rate Error!", "Bit Rate Error!"},
                                      {"Errore Verifica Flash!", "Flash Verify Error", "Flash Verify Error!"}};
const char* const WRITING[3] = {"Scrittura firmware su flash!", "Writing firmware to flash!",
                                "Écriture du firmware en flash !"};
const char* const KEEP_ON[3] = {"Non spegnere o disconnettere il dispositivo!", "Do not switch off or disconnect the device!",
                                "Ne pas éteindre ni déconnecter l'appareil !"};
const char* const WRITE_OK[3] = {"Scrittura termina correttamente!", "Write completed successfully!",
                                 "Écriture terminée correctement !"};
const char* const WRITE_ERROR[3] = {"Errore scrittura flash!", "Flash write error!", "Erreur d'écriture flash !"};
const char* const BUTTON_TEXT[][3] = {{"Esci", "Exit", "Sortie"},
                                      {"Disconnetti", "Disconnect", "Déconnecter"},
                                      {"Programma", "Program", "Programmer"},
                                      {"Carica", "Load", "Charger"}};
const char* const LOAD_TITLE[3] = {"Apri file firmware", "Open firmware file", "Ouvrir fichier firmware"};
const char* const VERIFY_TEXT = "Verify";
const char* const DEVICE_NAME[2] = {"Orvel", "Pelsan"};
// Voltage classes of each family: as shown for the drive, as listed for the selection.
const char* const VOLTAGE_SHOWN[2][2] = {{"60 V", nullptr}, {"230 V", "460 V"}};
const char* const VOLTAGE_LISTED[2][2] = {{"60 V", nullptr}, {"230", "460"}};

// Phase pane.
const char* const NO_DRIVE = "- - - - - - -";
const char* const ERROR_SHORT[2][3] = {{"Bit rate - Er", "Bit rate - Er", "Bit rate - Er"},
                                       {"Errore Verifica!", "Verify Error", "Verify Error"}};
const char* const VERIFY_OK[3] = {"Verifica-Ok", "Verify-Ok", "Verify-Ok"};
const char* const WRITE_DONE[3] = {"Scrittura-Ok", "Write-Ok", "Write-Ok"};
const char* const SETUP_OK = "Setup-Ok";
const char* const SETUP_COM = "Setup Com";
const char* const PHASE_WRITE[3] = {"Scrittura Flash", "Flash Writing", "Flash Writing"};
const char* const PHASE_VERIFY[3] = {"Verifica Flash", "Flash Verifing", "Flash Verifing"};
const char* const TIME_LABEL[3] = {"Tempo Progr.:", "Time Writing:", "Time Writing:"};

QString tr3(const char* const t[3])
{
    return QString::fromUtf8(t[Lang_index()]);
}

void message(MsgIcon icon, const char* title, const char* const text[3])
{
    Msgbox_show({icon, title, text[Lang_index()], MsgOk});
}

void attention(MsgIcon icon, const char* const text[3])
{
    message(icon, Msgbox_title(Lang_index()), text);
}

TForm_FlashSH* open_window()
{
    return qobject_cast<TForm_FlashSH*>(Form_FlashSH.data());
}

bool link_running()
{
    return Ser_tx_state.load() == LinkState::Run;
}

bool drive_answers()
{
    return Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Answers;
}

uint8_t result_bits()
{
    return FlashProgressFlags.load(std::memory_order_acquire);
}

void set_line(QLabel* line, const QString& text, const QColor& colour)
{
    line->setText(text);
    Graph_set_text_colour(line, colour);
}

void both_lines(TForm_FlashSH& w, const QString& one, const QColor& c1, const QString& two, const QColor& c2)
{
    set_line(w.Panel_riga_1, one, c1);
    set_line(w.Panel_riga_2, two, c2);
}

void dashed(QLabel* label)
{
    set_line(label, DASHES, clBlack);
}

// The run's result as the window shows it once the drive answers in another mode: written, no
// verify error, and read back where a boot-loader run was to verify.
bool run_succeeded()
{
    if (!(result_bits() & FlashProgressFlag::AllWritten))
        return false;
    if (FlashRun.errors.load() & FlashError::Verify)
        return false;
    const bool container = FlashModeFlags.load() & FlashModeFlag::Container;
    return container || !FlashRun.verify.load() || (FlashRun.result2.load() & FlashResult2::VerifyDone);
}

// The run's answer to the window: a new value of result bit 7 shows the outcome.
void show_outcome(TForm_FlashSH& w)
{
    const uint8_t written = result_bits() & FlashProgressFlag::AllWritten;
    if (!Flashsh7047_running.load() || written == FlashRun.result_copy.load())
        return;
    FlashRun.result_copy.store(written);
    if (run_succeeded())
        both_lines(w, tr3(WRITING), clBlack, tr3(WRITE_OK), clBlack);
    else
        both_lines(w, tr3(WRITING), clRed, tr3(WRITE_ERROR), clBlack);
    Stbarx_repaint(w.Stb);
}

void buttons(TForm_FlashSH& w, bool prog, bool load)
{
    w.BitBtn_prog->setEnabled(prog);
    w.BitBtn_load->setEnabled(load);
}

// A run of the loaded file asked for: mode 2 (the drive check) or 0, by request when the send
// thread runs, else by opening the link.
void request_mode(uint8_t mode)
{
    if (mode == LinkMode::Check)
        Ser_check_start_ms.store(Tick_ms());
    if (link_running())
        Ser_link_mode_req.store(mode);
    else if (Form_main != nullptr)
        Form_main->OpenLink(mode);
    Ser_mode_changed.store(1);
}

void reset_run(bool verify)
{
    Flashsh7047_reset_state(verify);
    FlashProgressFlags.fetch_and(static_cast<uint8_t>(~FlashProgressFlag::BitRateRefused), std::memory_order_acq_rel);
}

const DriveSizeTable& family_sizes(uint8_t family)
{
    return family == 0 ? SizeTableOrvel : SizeTablePelsan;
}

QString size_text(const DriveSizeTable& t, uint8_t index)
{
    if (index >= t.count || t.src == nullptr)
        return DASHES;
    const DriveSizeRow& row = t.src[index];
    const QString name = QString::fromLatin1(row.name, static_cast<int>(strnlen(row.name, sizeof row.name)));
    return QString("%1  %2").arg(index + 1).arg(name.trimmed());
}

void paint_text_pane(ImageBox* picture, StbarPane* const* panes, uint16_t index, const QString& text, bool bold,
                     const QColor& colour, const QColor* lamp)
{
    if (!picture || !panes || !panes[index])
        return;
    const DrawRect r = Stbarcmx_content(*panes[index]);
    Canvas& c = Stbarcmx_begin(picture);
    Stbarcmx_font(c, bold, colour);
    Graph_draw_text_rect(c, r, AlignLeft, text);
    if (lamp)
        Stbarcmx_indicator(c, r, *lamp);
    Stbarcmx_done(picture, r);
}

}  // namespace

// ---- the window ----

TForm_FlashSH::TForm_FlashSH(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form_FlashSH");
    setWindowTitle("Flash SH7047");
    auto label = [this](const char* name, QRect g, QWidget* parent_widget = nullptr) {
        auto* l = new QLabel(parent_widget ? parent_widget : this);
        l->setObjectName(name);
        l->setGeometry(g);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        return l;
    };
    auto image = [this](const char* name, QRect g) {
        auto* b = new ImageBox(this);
        b->setObjectName(name);
        b->setGeometry(g);
        return b;
    };
    auto button = [this](const char* name, QRect g) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        b->setGeometry(g);
        return b;
    };
    auto combo = [](const char* name, QRect g, QWidget* parent_widget) {
        auto* c = new QComboBox(parent_widget);
        c->setObjectName(name);
        c->setGeometry(g);
        return c;
    };
    Image_file_flash = image("Image_file_flash", {MARGIN, 8, INNER, 24});
    StaticText_dat_file_dati = label("StaticText_dat_file_dati", {MARGIN, 38, INNER, 18});
    StaticText_dat_address_start = label("StaticText_dat_address_start", {MARGIN, 60, 170, 18});
    StaticText_dat_address_end = label("StaticText_dat_address_end", {MARGIN + 176, 60, 170, 18});
    StaticText_dat_size_firmware = label("StaticText_dat_size_firmware", {MARGIN + 352, 60, INNER - 352, 18});
    Image_flash = image("Image_flash", {MARGIN, 84, INNER, 160});
    Image_buf_bar = image("Image_buf_bar", {MARGIN, 250, INNER, 24});
    Panel_riga_1 = label("Panel_riga_1", {MARGIN, 280, INNER, 20});
    Panel_riga_2 = label("Panel_riga_2", {MARGIN, 302, INNER, 20});
    GroupBox_device_data = new QGroupBox(this);
    GroupBox_device_data->setObjectName("GroupBox_device_data");
    GroupBox_device_data->setGeometry(MARGIN, 326, INNER, 52);
    Panel_device = label("Panel_device", {8, 22, 160, 22}, GroupBox_device_data);
    Panel_taglia_corrente = label("Panel_taglia_corrente", {176, 22, 160, 22}, GroupBox_device_data);
    Panel_taglia_tensione = label("Panel_taglia_tensione", {344, 22, 160, 22}, GroupBox_device_data);
    ComboBox_porta_com = combo("ComboBox_porta_com", {MARGIN, 384, 110, 28}, this);
    BitBtn_load = button("BitBtn_load", {MARGIN + 118, 384, 94, 28});
    BitBtn_prog = button("BitBtn_prog", {MARGIN + 216, 384, 94, 28});
    BitBtn_disconnect = button("BitBtn_disconnect", {MARGIN + 314, 384, 94, 28});
    BitBtn_exit = button("BitBtn_exit", {MARGIN + 412, 384, INNER - 412, 28});
    BitBtn_connect = button("BitBtn_connect", {0, 0, 10, 10});
    BitBtn_F1 = button("BitBtn_F1", {0, 0, 10, 10});
    BitBtn_F2 = button("BitBtn_F2", {0, 0, 10, 10});
    BitBtn_F3 = button("BitBtn_F3", {0, 0, 10, 10});
    Panel_verify = new QWidget(this);
    Panel_verify->setObjectName("Panel_verify");
    Panel_verify->setGeometry(MARGIN, 384, 100, 28);
    CheckBox_flash_verify = new QCheckBox(VERIFY_TEXT, Panel_verify);
    CheckBox_flash_verify->setObjectName("CheckBox_flash_verify");
    GroupBox_device_data_set = new QGroupBox(this);
    GroupBox_device_data_set->setObjectName("GroupBox_device_data_set");
    GroupBox_device_data_set->setGeometry(MARGIN, GROUP_TOP, INNER, GROUP_HEIGHT - 6);
    ComboBox_index_dev = combo("ComboBox_index_dev", {8, 22, 160, 26}, GroupBox_device_data_set);
    ComboBox_index_taglia_cor = combo("ComboBox_index_taglia_cor", {176, 22, 160, 26}, GroupBox_device_data_set);
    ComboBox_index_taglia_volt = combo("ComboBox_index_taglia_volt", {344, 22, 160, 26}, GroupBox_device_data_set);
    PanelFlashStb = new QWidget(this);
    PanelFlashStb->setObjectName("PanelFlashStb");
    PanelFlashStb->setGeometry(0, FULL_HEIGHT - BAR_HEIGHT, WIDTH, BAR_HEIGHT);
    Timer_aggiorna = new QTimer(this);
    Timer_aggiorna->setObjectName("Timer_aggiorna");
    Timer_aggiorna->setTimerType(Qt::PreciseTimer);
    Timer_aggiorna->setInterval(AGGIORNA_MS);
    Timer_message = new QTimer(this);
    Timer_message->setObjectName("Timer_message");
    Timer_message->setTimerType(Qt::PreciseTimer);
    Timer_message->setInterval(MESSAGE_MS);
    setFixedSize(WIDTH, FULL_HEIGHT);

    connect(BitBtn_exit, &QPushButton::clicked, this, [this] { close(); });
    connect(BitBtn_disconnect, &QPushButton::clicked, this, [] {
        if (Form_main != nullptr)
            Form_main->CloseLink();
    });
    connect(BitBtn_prog, &QPushButton::clicked, this, [this] { BitBtn_progClick(); });
    connect(BitBtn_load, &QPushButton::clicked, this, [this] { BitBtn_loadClick(); });
    connect(ComboBox_porta_com, &QComboBox::activated, this, [this] { ComboBox_porta_comChange(); });
    connect(CheckBox_flash_verify, &QCheckBox::clicked, this, [this] { CheckBox_flash_verifyClick(); });
    connect(ComboBox_index_dev, &QComboBox::activated, this, [this] { ComboBox_index_devChange(); });
    connect(ComboBox_index_taglia_cor, &QComboBox::activated, this, [this] { ComboBox_index_taglia_corChange(); });
    connect(ComboBox_index_taglia_volt, &QComboBox::activated, this, [this] { ComboBox_index_taglia_voltChange(); });
    connect(Timer_aggiorna, &QTimer::timeout, this, [this] { Timer_aggiornaTimer(); });
    connect(Timer_message, &QTimer::timeout, this, [this] { Timer_messageTimer(); });
    FormCreate();
}

TForm_FlashSH::~TForm_FlashSH()
{
    Main_detach_bar(TForm_main::BarFlash, Stb);
    Stbarx_free(Stb);
}

void TForm_FlashSH::FormCreate()
{
    for (QWidget* hidden : {static_cast<QWidget*>(BitBtn_connect), static_cast<QWidget*>(BitBtn_F1),
                            static_cast<QWidget*>(BitBtn_F2), static_cast<QWidget*>(BitBtn_F3), Panel_verify})
        hidden->hide();
    CheckBox_flash_verify->setChecked(SettingsBlock.flags & SettingsFlag::FlashVerify);
    panes_[0].paint = Stbarcmx_paint_link;
    panes_[1].paint = Flashsh7047_paint_phase_pane;
    panes_[2].paint = Flashsh7047_paint_time_pane;
    for (int i = 0; i < 3; ++i)
        panes_[i].width = PANE_WIDTH[i];
    Stb = new Stbarx(PanelFlashStb, pane_list_, 0);
    Main_attach_bar(TForm_main::BarFlash, Stb);
    full_height_ = FULL_HEIGHT;
    show_selection_group(false);
}

void TForm_FlashSH::show_selection_group(bool on)
{
    if (on == group_shown_)
        return;
    group_shown_ = on;
    GroupBox_device_data_set->setVisible(on);
    const int h = on ? full_height_ : full_height_ - GROUP_HEIGHT;
    setFixedSize(WIDTH, h);
    PanelFlashStb->move(0, h - BAR_HEIGHT);
    if (on)
        fill_selection_lists();
}

void TForm_FlashSH::fill_selection_lists()
{
    const uint8_t* sel = SettingsBlock.flash_option;
    ComboBox_index_dev->clear();
    for (const char* name : DEVICE_NAME)
        ComboBox_index_dev->addItem(name);
    const uint8_t family = sel[0] < 2 ? sel[0] : 0;
    ComboBox_index_taglia_cor->clear();
    const DriveSizeTable& sizes = family_sizes(family);
    for (uint8_t i = 0; i < sizes.count; ++i)
        ComboBox_index_taglia_cor->addItem(size_text(sizes, i));
    ComboBox_index_taglia_volt->clear();
    for (const char* v : VOLTAGE_LISTED[family])
        if (v != nullptr)
            ComboBox_index_taglia_volt->addItem(v);
    QComboBox* boxes[3] = {ComboBox_index_dev, ComboBox_index_taglia_cor, ComboBox_index_taglia_volt};
    for (int i = 0; i < 3; ++i)
        boxes[i]->setCurrentIndex(sel[i] < boxes[i]->count() ? sel[i] : -1);  // a byte outside the list is kept
}

void TForm_FlashSH::FormShow()
{
    if (Form_main != nullptr)
        Utx_copy_combo(ComboBox_porta_com, Form_main->ComboBox_porta_com);
    Flashsh7047_paint_buf_bar(100, 0, 0xFFFFFF);
    const std::string path = Flash_settings().path;
    if (!path.empty() && ::access(path.c_str(), F_OK) == 0)
        Flashsh7047_load_file(path);
    Flashctrl_draw_file_panel(Image_file_flash);
    Flashsh7047_show_image_data(*this);
    setWindowTitle(CAPTION);
    const char* const* texts[4] = {BUTTON_TEXT[0], BUTTON_TEXT[1], BUTTON_TEXT[2], BUTTON_TEXT[3]};
    QPushButton* btns[4] = {BitBtn_exit, BitBtn_disconnect, BitBtn_prog, BitBtn_load};
    for (int i = 0; i < 4; ++i)
        btns[i]->setText(tr3(texts[i]));
    Flashsh7047_running.store(0);
    both_lines(*this, DASHES, clBlack, DASHES, clBlack);
    const uint32_t id = DriveDeviceId.load();
    const bool known = id == DRIVE_TYPE_PELSAN || (id == DRIVE_TYPE_ORVEL && (Ser_data_flags.load() & DataFlag::ListReads));
    if (drive_answers() && known) {
        Flashsh7047_show_drive_data(*this);
    } else {
        dashed(Panel_device);
        dashed(Panel_taglia_corrente);
        dashed(Panel_taglia_tensione);
    }
    Timer_aggiorna->start();
    Timer_message->start();
}

void TForm_FlashSH::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

bool TForm_FlashSH::Flashsh7047_can_close()
{
    if (drive_answers() && Ser_link_mode.load() == LinkMode::Flash) {
        attention(MsgIcon::Information, WAIT_END);
        return false;
    }
    return true;
}

void TForm_FlashSH::FormClose()
{
    if (closing_)
        return;
    closing_ = true;
    Timer_aggiorna->stop();
    Timer_message->stop();
    Main_detach_bar(TForm_main::BarFlash, Stb);
    Stbarx_free(Stb);
    Ser_link_mode_req.store(LinkMode::Normal);
}

void TForm_FlashSH::closeEvent(QCloseEvent* event)
{
    if (!Flashsh7047_can_close()) {
        event->ignore();
        return;
    }
    FormClose();
    QDialog::closeEvent(event);
}

void TForm_FlashSH::reject()
{
    if (!Flashsh7047_can_close())
        return;
    FormClose();
    QDialog::reject();
}

void TForm_FlashSH::BitBtn_loadClick()
{
    FileDialogSpec spec;
    spec.title = tr3(LOAD_TITLE);
    spec.filter = "Firmware (*.mot *.cdx)|*.mot;*.cdx";
    const QString chosen = Filedlg_run(this, spec);
    if (chosen.isEmpty())
        return;
    const std::string path = chosen.toStdString();
    if (path.size() > PATH_MAX_BYTES || !Settings_set_firmware_path(path)) {
        attention(MsgIcon::Warning, PATH_TOO_LONG);
        return;
    }
    SaveSettings();
    Settings_publish_link();
    if (Flashsh7047_load_file(path))
        Flashctrl_draw_file_panel(Image_file_flash);
}

void TForm_FlashSH::BitBtn_progClick()
{
    Flashsh7047_start_prog();
}

void TForm_FlashSH::ComboBox_porta_comChange()
{
    const std::vector<std::string> ports = Seriale_port_list();
    if (ports.empty() || Form_main == nullptr)
        return;
    Form_main->ComboBox_porta_com->setCurrentIndex(ComboBox_porta_com->currentIndex());
    Settings_set_port_name(ComboBox_porta_com->currentText().left(SETTINGS_PORT_FIELD - 1).toStdString());
    SaveSettings();
}

void TForm_FlashSH::CheckBox_flash_verifyClick()
{
    if (CheckBox_flash_verify->isChecked())
        SettingsBlock.flags |= SettingsFlag::FlashVerify;
    else
        SettingsBlock.flags &= static_cast<uint8_t>(~SettingsFlag::FlashVerify);
    Settings_publish_link();
}

void TForm_FlashSH::ComboBox_index_devChange()
{
    SettingsBlock.flash_option[0] = static_cast<uint8_t>(std::max(0, ComboBox_index_dev->currentIndex()));
    fill_selection_lists();
    Settings_publish_link();
}

void TForm_FlashSH::ComboBox_index_taglia_corChange()
{
    SettingsBlock.flash_option[1] = static_cast<uint8_t>(std::max(0, ComboBox_index_taglia_cor->currentIndex()));
    Settings_publish_link();
}

void TForm_FlashSH::ComboBox_index_taglia_voltChange()
{
    SettingsBlock.flash_option[2] = static_cast<uint8_t>(std::max(0, ComboBox_index_taglia_volt->currentIndex()));
    Settings_publish_link();
}

void TForm_FlashSH::Timer_aggiornaTimer()
{
    Flashsh7047_refresh_state(*this);
    if (!drive_answers()) {
        dashed(Panel_device);
        dashed(Panel_taglia_corrente);
        dashed(Panel_taglia_tensione);
    }
    if (FlashModeFlags.load() & FlashModeFlag::DriveKnown) {
        FlashModeFlags.fetch_and(static_cast<uint8_t>(~FlashModeFlag::DriveKnown), std::memory_order_acq_rel);
        Flashsh7047_show_drive_data(*this);
    }
    if (result_bits() & FlashProgressFlag::Answered) {
        Timer_aggiorna->stop();
        attention(MsgIcon::Warning, INCOMPATIBLE);
        FlashProgressFlags.fetch_and(static_cast<uint8_t>(~FlashProgressFlag::Answered), std::memory_order_acq_rel);
        if (!closing_)
            Timer_aggiorna->start();
    }
    const bool normal = Ser_link_mode.load() == LinkMode::Normal;
    for (QComboBox* c : {ComboBox_index_dev, ComboBox_index_taglia_cor, ComboBox_index_taglia_volt})
        c->setEnabled(normal);
    const bool boot_image = FlashFileLoaded.load() && (FlashModeFlags.load() & FlashModeFlag::BootProgram);
    show_selection_group(boot_image);
}

void TForm_FlashSH::Timer_messageTimer()
{
    Timer_message->stop();
    const uint32_t errors = FlashRun.errors.load();
    for (uint32_t bit : {FlashError::BitRate, FlashError::Verify}) {
        if (!(errors & bit))
            continue;
        const bool first = !(FlashRun.errors_shown.load() & bit);
        // A refusal of the bit rate closes the link every time it happens; its message stays once.
        const bool now = bit == FlashError::Verify ? first : (result_bits() & FlashProgressFlag::BitRateRefused);
        if (first) {
            FlashRun.errors_shown.fetch_or(bit);
            message(MsgIcon::Warning, ERROR_TITLE[Lang_index()], ERROR_TEXT[bit == FlashError::Verify]);
        }
        if (now && link_running() && Form_main != nullptr)
            Form_main->CloseLink();
    }
    if (CdxDownload.bits.load() & CdxBit::BootTimeout) {
        CdxDownload.bits.fetch_and(static_cast<uint8_t>(~CdxBit::BootTimeout), std::memory_order_acq_rel);
        Ser_link_mode_req.store(LinkMode::Normal);
        if (Form_main != nullptr)
            Form_main->CloseLink();
        both_lines(*this, DASHES, clBlack, DASHES, clBlack);
        message(MsgIcon::Warning, ERROR_TITLE[Lang_index()], BOOT_TIMEOUT);
    }
    if (!closing_)
        Timer_message->start();
}

// ---- refresh ----

void Flashsh7047_refresh_state(TForm_FlashSH& w)
{
    const bool running = link_running();
    const bool flash_mode = Ser_link_mode.load() == LinkMode::Flash;
    if (!FlashFileLoaded.load()) {
        buttons(w, false, true);
        Flashsh7047_running.store(0);
    } else if (!running) {
        buttons(w, true, true);
    } else if (drive_answers() && flash_mode) {
        buttons(w, false, false);
        Flashsh7047_running.store(1);
        if (Tick_since(w.blink_ms) >= BLINK_MS) {
            w.blink_ms = Tick_ms();
            w.blink_on = !w.blink_on;
            set_line(w.Panel_riga_1, w.blink_on ? tr3(WRITING) : QString(), clNavy);
            set_line(w.Panel_riga_2, tr3(KEEP_ON), clNavy);
        }
    } else if (drive_answers()) {
        buttons(w, true, true);
        show_outcome(w);
    } else if (flash_mode) {
        buttons(w, false, false);
        Flashsh7047_running.store(1);
        both_lines(w, DASHES, clBlack, DASHES, clBlack);
    } else {
        buttons(w, true, true);
    }
    w.ComboBox_porta_com->setEnabled(!running);
    w.BitBtn_disconnect->setEnabled(running);
    const uint8_t phase = FlashPhase.load();
    if (phase != FlashRun.prev_phase.load()) {
        FlashRun.prev_phase.store(phase);
        Stbarx_repaint(w.Stb);
    }
}

void Flashsh7047_show_drive_data(TForm_FlashSH& w)
{
    const uint8_t family = DriveDeviceId.load() == DRIVE_TYPE_ORVEL ? 0 : 1;
    set_line(w.Panel_device, DEVICE_NAME[family], clNavy);
    set_line(w.Panel_taglia_corrente, size_text(family_sizes(family), DriveSizeRead.size_index), clNavy);
    const uint8_t v = DriveSizeRead.voltage_class;
    const char* volt = v < 2 ? VOLTAGE_SHOWN[family][v] : nullptr;
    set_line(w.Panel_taglia_tensione, volt ? QString(volt) : QString(DASHES), clNavy);
}

void Flashsh7047_show_image_data(TForm_FlashSH& w)
{
    const FirmwareImageRec& img = FirmwareImage;
    if (!FlashFileLoaded.load()) {
        for (QLabel* l : {w.StaticText_dat_file_dati, w.StaticText_dat_address_start, w.StaticText_dat_address_end,
                          w.StaticText_dat_size_firmware})
            dashed(l);
    } else {
        auto hex = [](uint32_t a) { return QString("0x%1").arg(a, 8, 16, QLatin1Char('0')).toUpper().replace("0X", "0x"); };
        set_line(w.StaticText_dat_file_dati, QString::fromStdString(Flash_settings().path), clNavy);
        set_line(w.StaticText_dat_address_start, hex(img.start_address), clBlue);
        set_line(w.StaticText_dat_address_end, hex(img.end_address), clBlue);
        set_line(w.StaticText_dat_size_firmware, QString("%1 Kb").arg(img.image_size / 1024), clBlue);
    }
    drawFlashZone(w.Image_flash, img, FLASH_ZONE_SIZE);
}

void Flashsh7047_paint_buf_bar(uint32_t maximum, uint32_t position, uint32_t colour)
{
    TForm_FlashSH* w = open_window();
    if (w == nullptr)
        return;
    ImageBox* box = w->Image_buf_bar;
    Canvas& c = box->canvas();
    if (box->image().size() != box->size())
        box->set_image_size(box->width(), box->height());
    Graph_draw_fill(c, clBtnFace);
    if (maximum == 0 && position == 0)
        maximum = 100;
    Graph_draw_progress_bar(c, {2, 2, box->width() - 2, box->height() - 1}, bgr(colour), maximum, position, 12);
    box->update();
}

// ---- status panes ----

void Flashsh7047_paint_phase_pane(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    const unsigned l = Lang_index();
    if (!link_running()) {
        paint_text_pane(picture, panes, index, QString(), false, clBlack, &clBtnFace);
        return;
    }
    if (!drive_answers()) {
        paint_text_pane(picture, panes, index, NO_DRIVE, false, clBlack, &clBtnFace);
        return;
    }
    const uint32_t errors = FlashRun.errors.load();
    const uint8_t results = result_bits();
    switch (FlashPhase.load()) {
    case FlashUiPhase::Boot:
        if (errors != 0) {
            const int bit = (errors & FlashError::BitRate) ? 0 : 1;
            paint_text_pane(picture, panes, index, ERROR_SHORT[bit][l], true, clBlack, &clRed);
        } else if (FlashRun.result2.load() & FlashResult2::VerifyDone) {
            paint_text_pane(picture, panes, index, VERIFY_OK[l], true, clBlack, &clLime);
        } else if (results & FlashProgressFlag::AllWritten) {
            paint_text_pane(picture, panes, index, WRITE_DONE[l], true, clBlack, &clLime);
        } else if (results & FlashProgressFlag::KernelAccepted) {
            paint_text_pane(picture, panes, index, SETUP_OK, true, clBlack, &clLime);
        } else {
            paint_text_pane(picture, panes, index, SETUP_COM, false, clBlack, &clGreen);
        }
        break;
    case FlashUiPhase::Write:
        paint_text_pane(picture, panes, index, PHASE_WRITE[l], true, clNavy, &clYellow);
        break;
    case FlashUiPhase::Verify:
        paint_text_pane(picture, panes, index, PHASE_VERIFY[l], true, clNavy, &clYellow);
        break;
    default:
        paint_text_pane(picture, panes, index, QString(), false, clBlack, &clBtnFace);
        break;
    }
}

void Flashsh7047_paint_time_pane(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    if (!picture || !panes || !panes[index])
        return;
    const DrawRect r = Stbarcmx_content(*panes[index]);
    Canvas& c = Stbarcmx_begin(picture);
    Stbarcmx_font(c, false, clBlack);
    const QString label = tr3(TIME_LABEL) + " ";
    Graph_draw_text_rect(c, r, AlignLeft, label);
    int x = r.left + c.text_width(label);
    Stbarcmx_font(c, true, clBlue);
    const QString secs = QString::number(FlashElapsedSeconds.load());
    Graph_draw_text_rect(c, {x, r.top, r.right, r.bottom}, AlignLeft, secs);
    x += c.text_width(secs);
    Stbarcmx_font(c, false, clBlack);
    Graph_draw_text_rect(c, {x, r.top, r.right, r.bottom}, AlignLeft, "s");
    Stbarcmx_done(picture, r);
}

// ---- start of a run ----

void Flashsh7047_start_prog()
{
    if (!FlashFileLoaded.load())
        return;
    const FlashSettingsRec settings = Flash_settings();
    const FlashDeviceSelection sel{settings.selection[0], settings.selection[1], settings.selection[2]};
    const uint8_t mode_flags = FlashModeFlags.load();
    const bool container = mode_flags & FlashModeFlag::Container;
    const bool boot_image = !container && (mode_flags & FlashModeFlag::BootProgram);
    if (!drive_answers()) {
        if (!container && !Flashcom_mot_prepare())
            return;
        if (boot_image)
            patchDeviceData(FirmwareImage, sel);
        reset_run(settings.verify);
        request_mode(container || boot_image ? LinkMode::Flash : LinkMode::Check);
        return;
    }
    bool accepted = true;
    if (boot_image)
        patchDeviceData(FirmwareImage, sel);
    else if (container)
        accepted = Flashctrl_cdx_compatible();
    else
        accepted = Flashctrl_mot_flash_allowed() == 1;
    if (!accepted) {
        attention(MsgIcon::Warning, INCOMPATIBLE);
        return;
    }
    if (!container && !Flashcom_mot_prepare())
        return;
    reset_run(settings.verify);
    request_mode(LinkMode::Flash);
}

// ---- registration ----

void Flashsh7047_register()
{
    Toolwin_register(ToolWin::FlashSH, [](QWidget* parent) -> QWidget* { return new TForm_FlashSH(parent); });
    FlashEntries.draw_buf_bar = Flashsh7047_paint_buf_bar;
    Flashctrl_on_file_state = [](uint8_t) {
        if (TForm_FlashSH* w = open_window())
            Flashctrl_draw_file_panel(w->Image_file_flash);
        if (Form_main != nullptr)
            Flashctrl_draw_file_panel(Form_main->Image_file_flash);
    };
    MainFlashEntries.reset_drive = Flashcom_mot_reset_drive;
    MainFlashEntries.start_prog = Flashsh7047_start_prog;
    MainFlashEntries.load_file = [] { Flashsh7047_load_file(Flash_settings().path); };
    MainFlashEntries.draw_file_panel = Flashctrl_draw_file_panel;
    if (Form_main != nullptr)
        for (QToolButton* b : {Form_main->BitBtn_Reset, Form_main->BitBtn_prog, Form_main->BitBtn_load})
            b->setEnabled(true);
    Flashctrl_on_image_loaded = [](bool) {
        if (TForm_FlashSH* w = open_window())
            Flashsh7047_show_image_data(*w);
    };
}
