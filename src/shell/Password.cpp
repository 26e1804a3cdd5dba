// The password dialog and the effects of the access bits on the main window.
#include "shell/Password.h"

#include <string_view>

#include <QAction>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "drivedata/Globvar.h"
#include "platform/Msgbox.h"
#include "shell/Main.h"
#include "shell/Mainstate.h"
#include "shell/Toolwin.h"
#include "shell/Treectrl.h"

QPointer<TForm_Password> Form_Password;

namespace {

constexpr int CLIENT_WIDTH = 233;
constexpr int CLIENT_HEIGHT = 93;
constexpr int LABEL_FONT_PIXELS = 13;

// The three service passwords, compared whole and case-sensitive.
constexpr std::string_view PASSWORD_RESERVED = "QWT4821";     // bit 0
constexpr std::string_view PASSWORD_FLASH = "KPZRN7364";      // bit 1
constexpr std::string_view PASSWORD_REMOTE = "0729";          // bit 2

const char* const WRONG_TEXT[3] = {"Password  Errata !", "Incorrect Password !", "Mot de Passe Incorrect"};
const char* const RIGHT_TEXT[3] = {"Password  Corretta !", "Correct Password !", "Mot de Passe Correct"};

// Qt's text of a standard button, in the program's language.
QString standard_text(QDialogButtonBox::StandardButton which)
{
    QDialogButtonBox box;
    return box.addButton(which)->text();
}

void tell(MsgIcon icon, const char* const text[3])
{
    const unsigned l = Lang_index();
    Msgbox_show({icon, Msgbox_title(l), text[l], MsgOk});
}

void grant_flash_write()
{
    AccessFlags |= Access::FlashWrite;
    Main_show_flash_write();
}

void grant_reserved()
{
    AccessFlags |= Access::Reserved;
    PasswordAddReservedPages();
    if (QTreeWidget* tree = Main_page_tree())
        ApplyBrand(tree);
    Main_show_monitor_menu();
}

// Raises the bit of a valid password (first match wins); false for any other text.
bool accept_password(const QByteArray& text)
{
    const std::string_view entered(text.constData(), static_cast<std::size_t>(text.size()));
    if (entered == PASSWORD_FLASH) {
        grant_flash_write();
        return true;
    }
    if (entered == PASSWORD_REMOTE) {
        AccessFlags |= Access::Remote;
        return true;
    }
    if (entered == PASSWORD_RESERVED) {
        if (!(AccessFlags & Access::Reserved))
            grant_reserved();
        return true;
    }
    return false;
}

}  // namespace

TForm_Password::TForm_Password(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form_Password");
    setWindowTitle("Password Dialog");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(CLIENT_WIDTH, CLIENT_HEIGHT);

    Label1 = new QLabel("Password:", this);
    Label1->setObjectName("Label1");
    QFont f = Label1->font();
    f.setBold(true);
    f.setPixelSize(LABEL_FONT_PIXELS);
    Label1->setFont(f);
    Label1->setGeometry(8, 9, 217, 17);

    Password = new QLineEdit(this);
    Password->setObjectName("Password");
    Password->setEchoMode(QLineEdit::Password);
    Password->setGeometry(8, 29, 217, 21);

    BitBtn1 = new QPushButton(standard_text(QDialogButtonBox::Ok), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    BitBtn1->setGeometry(38, 60, 75, 25);
    BitBtn2 = new QPushButton(standard_text(QDialogButtonBox::Cancel), this);
    BitBtn2->setObjectName("BitBtn2");
    BitBtn2->setGeometry(120, 60, 75, 25);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    Password->setFocus();
    Form_Password = this;
}

TForm_Password::~TForm_Password() = default;

void TForm_Password::BitBtn1Click()
{
    const bool valid = accept_password(Password->text().toUtf8());
    Password->clear();
    if (!valid) {
        tell(MsgIcon::Warning, WRONG_TEXT);
        Password->setFocus();
        return;
    }
    tell(MsgIcon::Information, RIGHT_TEXT);
    accept();
}

void TForm_Password::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    // Modifiers alone pass the entry on to the dialog, as Shift does for every capital letter.
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_CapsLock:
        break;
    default:
        Password->clear();
        break;
    }
    QDialog::keyPressEvent(event);
}

void PasswordAddReservedPages()
{
    QTreeWidget* tree = Main_page_tree();
    if (tree == nullptr || FindPageNode(tree, &PageNode_taglia_drive) != nullptr)
        return;
    const bool updates = tree->updatesEnabled();
    tree->setUpdatesEnabled(false);
    {
        const QSignalBlocker quiet(tree);
        uint16_t depth = 0;
        if (QTreeWidgetItem* added = AddPageNodes(tree, ReservedPageRoots, nullptr, &depth, 0))
            added->setExpanded(true);
    }
    tree->setUpdatesEnabled(updates);
}
