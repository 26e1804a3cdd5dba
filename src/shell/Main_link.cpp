// Main window: connecting and disconnecting, the port box, the display update by link mode.
#include <cerrno>

#include <QComboBox>
#include <QMenu>
#include <QToolButton>

#include "drivedata/Globvar.h"
#include "link/Seriale_port.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"
#include "platform/Portlist.h"
#include "platform/Savefile.h"
#include "platform/Serport.h"
#include "link/Scope_link.h"
#include "shell/Main.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Stbar.h"

namespace {

// A stop still under way (a quick disconnect and connect) must end before the port is opened again.
constexpr int32_t STOP_WAIT_MS = 1000;

const char* const NO_PORT_TEXT[3] = {"ERRORE: porta seriale assente!", "ERROR: No serial Port!",
                                     "ERREUR: Il n'y a pas de port série!"};
const char* const PORT_SETTING_TEXT[3] = {"ERRORE Impostazione Seriale", "ERROR Serial Port Setting",
                                          "ERREUR Configuration Port Série"};

// Why a port could not be opened, added below the setting error.
const char* const PORT_BUSY_TEXT[3] = {"La porta è usata da un altro programma.",
                                       "The port is in use by another program.",
                                       "Le port est utilisé par un autre programme."};
const char* const PORT_GROUP_TEXT[3] = {
    "Su Linux l'utente deve appartenere al gruppo \"%1\" del dispositivo; dopo averlo aggiunto, "
    "chiudere la sessione e rientrare.",
    "On Linux the user must be a member of the device's group \"%1\"; after adding the user to it, "
    "log out and in again.",
    "Sous Linux, l'utilisateur doit être membre du groupe \"%1\" du périphérique ; après l'y avoir "
    "ajouté, fermez la session puis rouvrez-la."};
const char* const PORT_OWNER_TEXT[3] = {
    "Su Linux solo il proprietario del dispositivo (\"%1\") può aprirlo.",
    "On Linux only the device's owner (\"%1\") may open it.",
    "Sous Linux, seul le propriétaire du périphérique (\"%1\") peut l'ouvrir."};
constexpr const char* USUAL_PORT_GROUP = "dialout";

void warn(const char* const text[3])
{
    const unsigned l = Lang_index();
    Msgbox_show({MsgIcon::Warning, Msgbox_title(l), text[l], MsgOk});
}

// The port box's text into the settings' 10-byte port field: at most 9 characters.
void store_port_name(const QString& text)
{
    Settings_set_port_name(text.left(static_cast<qsizetype>(kPortNameMax)).toStdString());
}

// The link threads are parked (port closed by them); a running link is asked to stop first.
bool link_stopped()
{
    if (Ser_tx_state.load() == LinkState::Run)
        Seriale_stop();
    return Seriale_wait_stopped(STOP_WAIT_MS);
}

QComboBox* flash_port_box()
{
    return Form_FlashSH ? Form_FlashSH->findChild<QComboBox*>("ComboBox_porta_com") : nullptr;
}

void fill_box(QComboBox* box, const std::vector<std::string>& items, int index)
{
    box->clear();
    for (const std::string& item : items)
        box->addItem(QString::fromStdString(item));
    box->setCurrentIndex(index);
}

}  // namespace

QString Main_port_error_text(int err, const std::string& port)
{
    const unsigned l = Lang_index();
    QString text = QString::fromUtf8(PORT_SETTING_TEXT[l]);
    if (err == 0)
        return text;
    text += "\n" + QString::fromStdString(port) + ": " + QString::fromStdString(Savefile_error_text(err));
    if (err == EBUSY) {
        text += "\n" + QString::fromUtf8(PORT_BUSY_TEXT[l]);
    } else if (err == EACCES || err == EPERM) {
        // The group only when its members may read and write the device.
        const Serport::DeviceAccess access = Serport::device_access(port);
        if (access.known && access.group.empty())
            text += "\n" + QString::fromUtf8(PORT_OWNER_TEXT[l]).arg(QString::fromStdString(access.owner));
        else
            text += "\n" + QString::fromUtf8(PORT_GROUP_TEXT[l])
                                .arg(QString::fromStdString(access.known ? access.group : USUAL_PORT_GROUP));
    }
    return text;
}

void TForm_main::OpenLink(uint8_t mode)
{
    UpdateCommandButtons(0);
    if (Seriale_port_list().empty()) {
        warn(NO_PORT_TEXT);
        return;
    }
    store_port_name(ComboBox_porta_com->currentText());
    SaveSettings();
    if (!link_stopped()) {
        warn(PORT_SETTING_TEXT);
        return;
    }
    BaudShown = ~Ser_baud.load();
    Main_status_shown_invalidate();
    if (!Seriale_open_link(mode)) {
        const unsigned l = Lang_index();
        const QString text = Main_port_error_text(Seriale_open_error(), Settings_port_name());
        Msgbox_show({MsgIcon::Warning, Msgbox_title(l), text.toStdString(), MsgOk});
        return;
    }
    BitBtn_connect->setEnabled(false);
    ComboBox_porta_com->setEnabled(false);
    if (QComboBox* box = flash_port_box())
        box->setEnabled(false);
    BitBtn_disconnect->setEnabled(true);
    SpeedButton_bus_remote->setChecked(false);
    Menu_TipoDrive1->menuAction()->setEnabled(false);
}

void TForm_main::CloseLink()
{
    Main_release_remote();
    Seriale_close_link();
    BitBtn_connect->setEnabled(true);
    BitBtn_disconnect->setEnabled(false);
    ComboBox_porta_com->setEnabled(true);
    if (QComboBox* box = flash_port_box())
        box->setEnabled(true);
    Menu_TipoDrive1->menuAction()->setEnabled(true);
    UpdateCommandButtons(0);
}

void TForm_main::BitBtn_connectClick()
{
    OpenLink(LinkMode::Normal);
}

void TForm_main::BitBtn_disconnectClick()
{
    if (AskSaveData() == 2)
        CloseLink();
}

void TForm_main::ComboBox_porta_comChange()
{
    if (Seriale_port_list().empty())
        return;
    store_port_name(ComboBox_porta_com->currentText());
    SaveSettings();
}

void TForm_main::Panel_ComboBox_portaResize() {}

void TForm_main::Main_fill_port_box()
{
    const std::vector<std::string> items = Seriale_port_items(Seriale_port_list());
    const int index = Seriale_port_select(items, Settings_port_name());
    fill_box(ComboBox_porta_com, items, index);
    if (QComboBox* box = flash_port_box())
        fill_box(box, items, index);
}

void TForm_main::UpdateMainDisplay()
{
    if (Ser_link_mode.load() == LinkMode::Normal)
        UpdateMonitorNormal();
    else
        UpdateMonitorBoot();
    if (Ser_mode_changed.exchange(0) != 0) {
        if (MainStb != nullptr)
            Stbarx_repaint(MainStb);
        Main_repaint_other_bars();
    }
}
