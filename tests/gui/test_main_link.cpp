// Connecting and disconnecting from the main window against the drive simulator; the port box.
#include "main_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QToolButton>

#include <cerrno>
#include <sys/stat.h>

#include "drivedata/Frm_output_sizes.h"
#include "platform/Pty.h"
#include "platform/Savefile.h"
#include "platform/Serport.h"

using namespace maintest;

namespace {

QByteArray settings_file()
{
    QFile f(SETTINGS_FILE_NAME);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Descriptors of this process open on a device.
int descriptors_on(const std::string& device)
{
    int n = 0;
    QDir fds("/proc/self/fd");
    for (const QString& name : fds.entryList(QDir::NoDotAndDotDot | QDir::System | QDir::Files)) {
        if (QFile::symLinkTarget(fds.filePath(name)) == QString::fromStdString(device))
            ++n;
    }
    return n;
}

// Descriptors open on devices: what the link could leak. (Qt and glib open and close eventfds
// and pipes of their own at any time, so the process-wide count is not stable.)
int device_descriptors()
{
    int n = 0;
    QDir fds("/proc/self/fd");
    for (const QString& name : fds.entryList(QDir::NoDotAndDotDot | QDir::System | QDir::Files)) {
        if (QFile::symLinkTarget(fds.filePath(name)).startsWith("/dev/"))
            ++n;
    }
    return n;
}

}  // namespace

using MainLink = MainWindowTest;

TEST_F(MainLink, ConnectShowsTheDriveAndDisconnectReversesTheControls)
{
    QLocale::setDefault(QLocale::c());
    open_window();
    attach_simulator();
    SimBytes image = linktest::test_image(7);
    image[RecOfs::SizeIndex] = 1;
    put_be16(image, RecOfs::VoltageClass, 0);
    put_be16(image, RecOfs::BusType, 0);
    put_be16(image, RecOfs::MotorType, 0);
    sim->set_image(image);
    SimBytes status(DriveSim::kStatusSize, 0);
    put_be16(status, 0, 0x0020);  // status word: stop
    put_be32(status, 12, 1500);   // speed
    sim->set_status(status);

    main->SpeedButton_bus_remote->setChecked(true);
    main->BitBtn_connect->click();
    EXPECT_FALSE(main->SpeedButton_bus_remote->isChecked()) << "every contact starts without remote control";
    ASSERT_TRUE(pump_until([] { return linktest::data_bits(DataFlag::ListReads); }, 8000));
    ASSERT_TRUE(pump_until([] { return Form_allarmi->Panel_alarm->text() == "DRIVE - OK"; }, 2000));
    const QString size_text = QString(SizeTableOrvel.src[1].name).trimmed() + " [60 V]";
    EXPECT_TRUE(pump_until([&] { return main->Panel_speed->text() == "1500"; }, 2000));
    EXPECT_EQ(main->Panel_taglia_drive->text().trimmed(), size_text);

    const char* const buttons = "e:BitBtn_connect e:ComboBox_porta_com e:Menu_TipoDrive1 e:BitBtn_disconnect";
    EXPECT_EQ(ui(buttons), "0 0 0 1");
    EXPECT_TRUE(boxes.empty());

    main->BitBtn_disconnect->click();
    EXPECT_EQ(ui(buttons), "1 1 1 0");
    EXPECT_TRUE(pump_until([] { return Form_allarmi->Panel_alarm->text() == "COM - OFF"; }, 3000));
    EXPECT_TRUE(Seriale_wait_stopped(2000));
    EXPECT_FALSE(Ser_port.is_open());
    QLocale::setDefault(QLocale::system());
}

TEST_F(MainLink, ConnectWithoutAnyPortOnlyWarns)
{
    open_window();
    QTemporaryDir empty_sysfs;
    ASSERT_TRUE(Settings_set_port_name("ttyUSB0"));
    ASSERT_TRUE(SaveSettings());
    Seriale_poll_ports(Tick_ms() + 5000, empty_sysfs.path().toStdString());
    ASSERT_TRUE(Seriale_port_list().empty());
    main->Main_fill_port_box();
    EXPECT_EQ(main->ComboBox_porta_com->count(), 1);
    EXPECT_EQ(main->ComboBox_porta_com->currentText().toStdString(), SERIALE_NO_PORT);
    const QByteArray before = settings_file();

    main->BitBtn_connect->click();
    EXPECT_EQ(box_texts(), "ERROR: No serial Port!");
    EXPECT_EQ(settings_file(), before);
    EXPECT_EQ(Settings_port_name(), "ttyUSB0");
    EXPECT_EQ(ui("e:BitBtn_connect e:BitBtn_disconnect"), "1 0");

    // The placeholder chosen by the user changes nothing either.
    Q_EMIT main->ComboBox_porta_com->activated(0);
    EXPECT_EQ(settings_file(), before);
}

TEST_F(MainLink, PortThatWillNotOpenWarnsAndLeavesTheButtons)
{
    open_window();
    QTemporaryDir sysfs;
    ASSERT_TRUE(QDir(sysfs.path()).mkpath("class/tty/ttyUSB42"));
    Seriale_poll_ports(Tick_ms() + 5000, sysfs.path().toStdString());
    main->Main_fill_port_box();
    ASSERT_EQ(main->ComboBox_porta_com->currentText(), "ttyUSB42");

    main->BitBtn_connect->click();
    EXPECT_EQ(box_texts(), "ERROR Serial Port Setting\nttyUSB42: " + Savefile_error_text(ENOENT));
    EXPECT_EQ(Settings_port_name(), "ttyUSB42");  // saved before the attempt
    EXPECT_EQ(ui("e:BitBtn_connect e:ComboBox_porta_com e:Menu_TipoDrive1 e:BitBtn_disconnect"), "1 1 1 0");
    EXPECT_NE(Ser_tx_state.load(), LinkState::Run);
    EXPECT_FALSE(Ser_port.is_open());
}

TEST_F(MainLink, APortInUseSaysSo)
{
    open_window();
    attach_simulator();
    Serport holder;  // another program has the port
    ASSERT_TRUE(holder.open(sim->port_name(), 57600));
    main->BitBtn_connect->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "ERROR Serial Port Setting\n" + sim->port_name() +
                                 ": " + Savefile_error_text(EBUSY) + "\nThe port is in use by another program.");
    EXPECT_FALSE(Ser_port.is_open());
}

TEST(PortErrorText, ReasonAndWhatToDoInEachLanguage)
{
    Pty pty;  // a device whose group the permission hint names when the group may use it
    ASSERT_TRUE(pty.ok());
    const std::string dev = "/dev/" + pty.name;
    ASSERT_EQ(::chmod(dev.c_str(), 0660), 0);
    const std::string group = Serport::device_access(pty.name).group;
    const std::string owner = Serport::device_access(pty.name).owner;
    ASSERT_FALSE(group.empty());
    const struct {
        uint8_t lang;
        int err;
        mode_t mode;
        std::string text;
    } rows[] = {
        {1, 0, 0660, "ERROR Serial Port Setting"},
        {1, EACCES, 0660, "ERROR Serial Port Setting\n" + pty.name + ": " + Savefile_error_text(EACCES) + "\nOn Linux the user must be a member "
                    "of the device's group \"" + group + "\"; after adding the user to it, log out and in again."},
        {0, EBUSY, 0660, "ERRORE Impostazione Seriale\n" + pty.name + ": " + Savefile_error_text(EBUSY) + "\n"
                   "La porta è usata da un altro programma."},
        {2, EACCES, 0660, "ERREUR Configuration Port Série\n" + pty.name + ": " + Savefile_error_text(EACCES) + "\nSous Linux, l'utilisateur "
                    "doit être membre du groupe \"" + group + "\" du périphérique ; après l'y avoir ajouté, fermez "
                    "la session puis rouvrez-la."},
        {0, EACCES, 0660, "ERRORE Impostazione Seriale\nttyUSB77: " + Savefile_error_text(EACCES) + "\nSu Linux l'utente deve appartenere "
                    "al gruppo \"dialout\" del dispositivo; dopo averlo aggiunto, chiudere la sessione e rientrare."},
        // A group that may not read and write the device is not named.
        {0, EACCES, 0620, "ERRORE Impostazione Seriale\n" + pty.name + ": " + Savefile_error_text(EACCES) +
                    "\nSu Linux solo il proprietario del dispositivo (\"" + owner + "\") può aprirlo."},
        {1, EACCES, 0600, "ERROR Serial Port Setting\n" + pty.name + ": " + Savefile_error_text(EACCES) +
                    "\nOn Linux only the device's owner (\"" + owner + "\") may open it."},
        {2, EACCES, 0600, "ERREUR Configuration Port Série\n" + pty.name + ": " + Savefile_error_text(EACCES) +
                    "\nSous Linux, seul le propriétaire du périphérique (\"" + owner + "\") peut l'ouvrir."},
    };
    const uint8_t saved = LanguageIndex;
    for (const auto& r : rows) {
        LanguageIndex = r.lang;
        ASSERT_EQ(::chmod(dev.c_str(), r.mode), 0);
        const std::string port = r.text.find("ttyUSB77") != std::string::npos ? "ttyUSB77" : pty.name;
        EXPECT_EQ(Main_port_error_text(r.err, port).toStdString(), r.text);
    }
    LanguageIndex = saved;
}

TEST_F(MainLink, RefillKeepsTheSavedPortOnlyTheUsersChoiceSavesIt)
{
    open_window();
    attach_simulator();
    const QString sim_port = QString::fromStdString(sim->port_name());
    EXPECT_EQ(main->ComboBox_porta_com->currentText(), sim_port);

    // A port that is gone: the refill shows another, the saved name stays.
    ASSERT_TRUE(Settings_set_port_name("ttyUSB7"));
    ASSERT_TRUE(SaveSettings());
    const QByteArray before = settings_file();
    main->Main_fill_port_box();
    EXPECT_EQ(main->ComboBox_porta_com->currentText(), sim_port);
    EXPECT_EQ(Settings_port_name(), "ttyUSB7");
    EXPECT_EQ(settings_file(), before);

    // The user's choice is saved at once, cut to the 9 characters of the field.
    main->ComboBox_porta_com->addItem("ttyUSB1234567");
    const int long_item = main->ComboBox_porta_com->count() - 1;
    main->ComboBox_porta_com->setCurrentIndex(long_item);
    EXPECT_EQ(Settings_port_name(), "ttyUSB7");
    Q_EMIT main->ComboBox_porta_com->activated(long_item);
    EXPECT_EQ(Settings_port_name(), "ttyUSB123");
    EXPECT_NE(settings_file(), before);
}

TEST_F(MainLink, QuickDisconnectConnectPairsLeaveOnePortOpen)
{
    open_window();
    attach_simulator();
    const int sim_own = descriptors_on(sim->device_path());  // the simulator keeps the line open too
    main->BitBtn_connect->click();
    ASSERT_TRUE(pump_until([] { return linktest::link_bits(LinkFlag::Answers); }, 5000));
    main->BitBtn_disconnect->click();
    ASSERT_TRUE(Seriale_wait_stopped(2000));
    const int fds = device_descriptors();

    for (int i = 0; i < 20; ++i) {
        main->BitBtn_disconnect->click();
        pump_for(20);
        main->BitBtn_connect->click();
        pump_for(20);
        ASSERT_TRUE(main->BitBtn_disconnect->isEnabled()) << "pair " << i;
    }
    EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].text);
    ASSERT_TRUE(pump_until([] { return linktest::link_bits(LinkFlag::Answers | LinkFlag::IdentReceived); }, 5000));
    EXPECT_TRUE(pump_until([] { return linktest::data_bits(DataFlag::ListReads); }, 5000)) << "the drive is read and shown";
    EXPECT_TRUE(Ser_port.is_open());
    EXPECT_EQ(descriptors_on(sim->device_path()), sim_own + 1);
    EXPECT_EQ(linktest::joined(sim->violations()), "");

    main->BitBtn_disconnect->click();
    ASSERT_TRUE(Seriale_wait_stopped(2000));
    EXPECT_EQ(descriptors_on(sim->device_path()), sim_own);
    EXPECT_EQ(device_descriptors(), fds);
}
