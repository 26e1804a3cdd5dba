// About box.
#include "shell/About.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "drivedata/Globvar.h"
#include "platform/Weburl.h"

const char* const MAKER_ADDRESS = "Pendrix drive tools\nService and commissioning\nsupport@pendrix.example";
const char* const MAKER_WEB_PAGE = "www.pendrix.example";

namespace {
constexpr int PICTURE_WIDTH = 420;
constexpr int PICTURE_HEIGHT = 260;
}  // namespace

QString About_version_text(uint8_t major, uint8_t minor)
{
    return QStringLiteral("Software Release Version: ") + QString::number(major) + "." +
           QStringLiteral("%1").arg(minor, 2, 10, QLatin1Char('0'));
}

TForm_AboutBox::TForm_AboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form_AboutBox");
    setWindowTitle("Dialog About");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    Image_about = new ImageBox(this);
    Image_about->setObjectName("Image_about");
    Image_about->setFixedSize(PICTURE_WIDTH, PICTURE_HEIGHT);

    Panel_ver = new QLabel(this);
    Panel_ver->setObjectName("Panel_ver");
    Panel_ver->setFrameShape(QFrame::Panel);
    Panel_ver->setFrameShadow(QFrame::Sunken);
    Panel_ver->setAlignment(Qt::AlignCenter);

    Memo_indirizzo_ditta = new QPlainTextEdit(this);
    Memo_indirizzo_ditta->setObjectName("Memo_indirizzo_ditta");
    Memo_indirizzo_ditta->setReadOnly(true);
    Memo_indirizzo_ditta->setFrameShape(QFrame::NoFrame);
    Memo_indirizzo_ditta->setFixedHeight(60);

    Label_internet = new QLabel("Internet Site:", this);
    Label_internet->setObjectName("Label_internet");
    Label_sito_internet = new QLabel(this);
    Label_sito_internet->setObjectName("Label_sito_internet");
    QFont web_font = Label_sito_internet->font();
    web_font.setBold(true);
    Label_sito_internet->setFont(web_font);
    Graph_set_text_colour(Label_sito_internet, clBlue);
    Label_sito_internet->setCursor(Qt::PointingHandCursor);
    Label_sito_internet->installEventFilter(this);

    BitBtn_ok = new QPushButton("OK", this);
    BitBtn_ok->setObjectName("BitBtn_ok");
    BitBtn_ok->setDefault(true);
    connect(BitBtn_ok, &QPushButton::clicked, this, [this] { BitBtn_okClick(); });

    auto* web = new QHBoxLayout;
    web->addWidget(Label_internet);
    web->addWidget(Label_sito_internet, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Image_about, 0, Qt::AlignHCenter);
    layout->addWidget(Panel_ver);
    layout->addWidget(Memo_indirizzo_ditta);
    layout->addLayout(web);
    layout->addLayout(buttons);
}

void TForm_AboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

bool TForm_AboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label_sito_internet && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Label_sito_internetClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm_AboutBox::FormShow()
{
    Panel_ver->setText(About_version_text(ProgramVersion.major, ProgramVersion.minor));
    Memo_indirizzo_ditta->setPlainText(QString::fromUtf8(MAKER_ADDRESS));
    Label_sito_internet->setText(QString::fromUtf8(MAKER_WEB_PAGE));
    Graph_draw_jpeg_from_memory(Image_about, AboutPicture, AboutPictureSize);
}

void TForm_AboutBox::BitBtn_okClick()
{
    accept();
}

void TForm_AboutBox::Label_sito_internetClick()
{
    const QString address = QStringLiteral("https://") + Label_sito_internet->text();
    Open_web_address(address.toUtf8().constData());
}
