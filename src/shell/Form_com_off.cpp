// The link-incompatible dialog.
#include "shell/Form_com_off.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTextEdit>
#include <QVBoxLayout>

#include "drivedata/Globvar.h"
#include "link/Seriale_port.h"
#include "platform/Weburl.h"
#include "shell/Main.h"
#include "shell/Stbarcmx.h"

namespace {

constexpr int CLIENT_WIDTH = 420;
constexpr int CLIENT_HEIGHT = 330;
constexpr int STATUS_BAR_HEIGHT = 22;
constexpr const char* BRAND = "Pendrix";

const char* const CAPTION[3] = {"Firmware drive incompatibile!", "Incompatible firmware drive!",
                                "Firmware drive incompatible!"};
const char* const DISCONNECT[3] = {"Disconnetti", "Disconnect", "Déconnecter"};
const char* const ATTENTION[3] = {"Attenzione", "Attention", "Attention"};

// The message, part by part.
const char* const VERSION_WORD[3] = {"Versione", "Version", "Version"};
const char* const INCOMPATIBLE[3] = {" e drive  incompatibili!\n", " e drive, incompatible!\n",
                                     " et variateur, incompatibles!\n"};
const char* const UPDATE_PROGRAM[3] = {"Eseguire aggiornamento ", "Perform ", "Effectuer "};
const char* const TO_VERSION[3] = {" alla versione: ", " update to version: ", " à la version: "};
const char* const UPDATE_FIRMWARE[3] = {"Eseguire aggiornamento firmware a versione: ",
                                        "Perform firmware update to version: ", "Effectuer firmware à la version: "};
const char* const CHECK_SITE[3] = {"Controllare aggiornamenti sul sito internet.", "Check updating on internet site.",
                                   "Verifier la mise à jour sur le site internet"};

const char* const PANE_SOFTWARE[3] = {"Ver. software", "Ver. software", "Ver. logiciel"};
const char* const PANE_FIRMWARE[3] = {"Ver. firmware drive", "Ver. firmware drive", "Ver. firmware variateur"};

const char* const MAKER_TEXT = "Pendrix\nDrive commissioning and service";
const char* const SITE_LABEL = "Internet Site:";

QString tr3(const char* const text[3]) { return QString::fromUtf8(text[Lang_index()]); }

void paint_version(ImageBox* picture, StbarPane* const* panes, uint16_t index, const char* const label[3],
                   bool firmware)
{
    if (picture == nullptr || panes == nullptr || panes[index] == nullptr)
        return;
    const DrawRect r = Stbarcmx_content(*panes[index]);
    Canvas& c = Stbarcmx_begin(picture);
    c.fill_rect(r);
    const QString caption = tr3(label) + ": ";
    Stbarcmx_font(c, true, clBlack);
    const DrawRect label_rect{r.left + 2, r.top, r.right, r.bottom};
    Graph_draw_text_rect(c, label_rect, AlignLeft, caption);
    const int value_left = label_rect.left + c.text_width(caption) + 2;
    const ComOffVersion v = ComOffPaneValue(firmware);
    Stbarcmx_font(c, v.active, v.active ? clBlue : clGray);
    if (value_left < r.right)
        Graph_draw_text_rect(c, {value_left, r.top, r.right, r.bottom}, AlignLeft, v.text);
    Stbarcmx_done(picture, r);
}

}  // namespace

QString ComOffBuildText(uint8_t program_major, uint8_t drive_major)
{
    const unsigned l = Lang_index();
    QString text = "\n" + QString::fromUtf8(VERSION_WORD[l]) + " " + BRAND + QString::fromUtf8(INCOMPATIBLE[l]);
    if (program_major <= drive_major)
        text += QString::fromUtf8(UPDATE_PROGRAM[l]) + BRAND + QString::fromUtf8(TO_VERSION[l]) +
                QString::number(unsigned{drive_major});
    else
        text += QString::fromUtf8(UPDATE_FIRMWARE[l]) + QString::number(unsigned{program_major});
    return text + "\n" + QString::fromUtf8(CHECK_SITE[l]);
}

ComOffVersion ComOffPaneValue(bool firmware)
{
    const bool live = Ser_tx_state.load() == LinkState::Run && (Ser_link_flags.load() & LinkFlag::Answers);
    if (!live)
        return {QStringLiteral("-----"), false};
    const unsigned major = firmware ? unsigned{Drive_ident_get().fw_major} : unsigned{ProgramVersion.major};
    return {QString::number(major) + ".xx", true};
}

void ComOffPaneSoftware(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    paint_version(picture, panes, index, PANE_SOFTWARE, false);
}

void ComOffPaneFirmware(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    paint_version(picture, panes, index, PANE_FIRMWARE, true);
}

// ---- the dialog ----

TForm_com_off::TForm_com_off(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form_com_off");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(CLIENT_WIDTH, CLIENT_HEIGHT);

    GroupBox_attenzione = new QGroupBox(this);
    GroupBox_attenzione->setObjectName("GroupBox_attenzione");
    GroupBox_attenzione->setGeometry(6, 4, CLIENT_WIDTH - 12, 140);
    RichEdit_dialog = new QTextEdit(GroupBox_attenzione);
    RichEdit_dialog->setObjectName("RichEdit_dialog");
    RichEdit_dialog->setReadOnly(true);
    (new QVBoxLayout(GroupBox_attenzione))->addWidget(RichEdit_dialog);

    auto* maker = new QWidget(this);
    maker->setObjectName("Panel_ditta");
    maker->setGeometry(6, 148, CLIENT_WIDTH - 12, 90);
    RichEdit_indirizzo_ditta = new QTextEdit(maker);
    RichEdit_indirizzo_ditta->setObjectName("RichEdit_indirizzo_ditta");
    RichEdit_indirizzo_ditta->setReadOnly(true);
    RichEdit_indirizzo_ditta->setGeometry(0, 0, maker->width(), 64);
    Label_sito_internet = new QLabel(SITE_LABEL, maker);
    Label_sito_internet->setObjectName("Label_sito_internet");
    Label_sito_internet->setGeometry(0, 68, maker->width(), 18);
    Label_sito_internet->setCursor(Qt::PointingHandCursor);
    Label_sito_internet->setToolTip(COM_OFF_WEB_ADDRESS);
    Label_sito_internet->installEventFilter(this);

    Panel_exit = new QWidget(this);
    Panel_exit->setObjectName("Panel_exit");
    Panel_exit->setGeometry(6, 242, CLIENT_WIDTH - 12, 56);
    BitBtn_disconnect = new QPushButton(Panel_exit);
    BitBtn_disconnect->setObjectName("BitBtn_disconnect");
    BitBtn_disconnect->resize(110, 30);

    PanelCom_off_Stb = new QWidget(this);
    PanelCom_off_Stb->setObjectName("PanelCom_off_Stb");
    PanelCom_off_Stb->setGeometry(0, CLIENT_HEIGHT - STATUS_BAR_HEIGHT, CLIENT_WIDTH, STATUS_BAR_HEIGHT);

    connect(BitBtn_disconnect, &QPushButton::clicked, this, [this] { BitBtn_disconnectClick(); });
    FormCreate();
}

TForm_com_off::~TForm_com_off()
{
    Main_detach_bar(TForm_main::BarComOff, Stb);
    Stbarx_free(Stb);
}

void TForm_com_off::FormCreate()
{
    const int half = PanelCom_off_Stb->width() / 2;
    panes_[0].width = static_cast<int16_t>(half);
    panes_[0].paint = ComOffPaneSoftware;
    panes_[1].width = static_cast<int16_t>(half - 2);
    panes_[1].paint = ComOffPaneFirmware;
    Stb = new Stbarx(PanelCom_off_Stb, pane_list_, 0);
    Main_attach_bar(TForm_main::BarComOff, Stb);
}

void TForm_com_off::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm_com_off::FormShow()
{
    setWindowTitle(tr3(CAPTION));
    BitBtn_disconnect->setText(tr3(DISCONNECT));
    BitBtn_disconnect->setToolTip(tr3(DISCONNECT));
    GroupBox_attenzione->setTitle(tr3(ATTENTION));

    RichEdit_dialog->clear();
    QFont f = RichEdit_dialog->font();
    f.setBold(true);
    RichEdit_dialog->setFont(f);
    RichEdit_dialog->setTextColor(clNavy);
    RichEdit_dialog->setPlainText(ComOffBuildText(ProgramVersion.major, Drive_ident_get().fw_major));

    RichEdit_indirizzo_ditta->setPlainText(MAKER_TEXT);
    BitBtn_disconnect->move((Panel_exit->width() - BitBtn_disconnect->width()) / 2,
                            (Panel_exit->height() - BitBtn_disconnect->height()) / 2);
    Stbarx_repaint(Stb);
}

void TForm_com_off::BitBtn_disconnectClick()
{
    Main_close_link();
    close();
}

void TForm_com_off::FormClose()
{
    if (Ser_link_flags.load() & LinkFlag::Answers)
        Main_close_link();
    Main_detach_bar(TForm_main::BarComOff, Stb);
    Stbarx_free(Stb);
}

void TForm_com_off::Label_sito_internetClick()
{
    Open_web_address(COM_OFF_WEB_ADDRESS);
}

void TForm_com_off::done(int result)
{
    if (!closed_) {
        closed_ = true;
        FormClose();
    }
    QDialog::done(result);
}

bool TForm_com_off::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label_sito_internet && event->type() == QEvent::MouseButtonRelease)
        Label_sito_internetClick();
    return QDialog::eventFilter(watched, event);
}
