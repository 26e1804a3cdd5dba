// Factor pages: the application part by motor type and stored bytes, the handlers of the combos
// and the label edit, the polarity check boxes and their copy, the CiA 402 page's first poll, and
// the factor files of the open and save buttons.
#include <sys/stat.h>

#include <filesystem>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "controls/Utxgraph.h"
#include "factors_core/Factor_file_core.h"
#include "factors/Factor_tool.h"
#include "gui/files_fixture.h"
#include "page_fixture.h"
#include "page_units.h"

namespace pagetest {
namespace {

class FactorPageTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        for (uint8_t ctx = 0; ctx < 2; ++ctx) {
            Factor_tool_set_defaults(&rec(ctx));
            Rec_set<uint16_t>(DriveRecordBank[ctx], RecOfs::MotorType, 0);
            Rec_set<uint16_t>(DriveRecordBank[ctx], RecOfs::BusType, 1);
        }
    }
    static FactorApplicationRec& rec(uint8_t ctx) { return Factor_tool_record(ctx); }
    template <typename W = QWidget>
    static W* find(const char* name, uint8_t ctx = 1)
    {
        return Frm_mdb_factor_page().find<W>(ctx, name);
    }
    static QString text(const char* name, uint8_t ctx = 1) { return Utxgraph_text(find(name, ctx)); }
    // The archive's Modbus page.
    void open_archive()
    {
        PageContext = 1;
        Frm_mdb_factor_create(1, host());
    }
    static QStringList items(const char* combo)
    {
        QStringList out;
        auto* c = find<QComboBox>(combo);
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    }
};

TEST_F(FactorPageTest, ApplicationPartFollowsTheMotorType)
{
    Rec_set<uint32_t>(DriveRecordBank[1], DRIVE_POLE_PITCH_OFS, 10000);
    rec(1).b[FactorOfs::AppType] = 5;
    open_archive();
    auto* tabs = find<QTabWidget>("PageControl_factor_tool");
    EXPECT_TRUE(tabs->tabBar()->isHidden());
    EXPECT_EQ(tabs->currentWidget()->objectName(), "TabSheet_05_asse_trasmissione_cinghia_dentata");
    EXPECT_EQ(find<QComboBox>("ComboBox_appl_mot_rotativo")->currentIndex(), 5);
    EXPECT_EQ(find<QComboBox>("ComboBox_appl_mot_rotativo")->currentText(), "5 - Transmission axis  (toothed belt)");
    EXPECT_EQ(items("ComboBox_pos_unit_mis").size(), 11);
    EXPECT_EQ(items("ComboBox_vel_unit_mis").size(), 19);
    EXPECT_EQ(items("ComboBox_acc_unit_mis").at(18), "[18] RPS/(10³s) (motor shaft)");
    EXPECT_EQ(find<QComboBox>("ComboBox_vel_unit_mis")->currentIndex(), 11);
    EXPECT_EQ(find<QComboBox>("ComboBox_app_unit_mis_acc_list")->currentText(), "rpm/s");  // byte 52
    EXPECT_EQ(find<QComboBox>("ComboBox_app_unit_mis_vel_list")->count(), 16);
    EXPECT_EQ(text("Panel_label_unit_mis_rev"), "Motor revolutions");
    EXPECT_EQ(::ui("v:Panel_type_appl_mot_linerare v:Panel_application_type v:GroupBox_unita_mis_applicazione "
                 "v:Panel_type_appl_mot_rotativo_vel_acc",
                 Frm_mdb_factor_page().frame(1)),
              "0 1 1 1");

    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::MotorType, 1);
    Frm_mdb_factor_refresh(1);
    EXPECT_EQ(tabs->currentWidget()->objectName(), "TabSheet_99_asse_lineare");
    EXPECT_EQ(items("ComboBox_pos_unit_mis").size(), 8);
    EXPECT_EQ(items("ComboBox_acc_unit_mis").at(7), "[07] micron/(10²s²)");
    EXPECT_EQ(find<QComboBox>("ComboBox_vel_unit_mis")->currentIndex(), 2);  // byte 46
    EXPECT_EQ(text("Panel_label_unit_mis_rev"), "Pole pitches");
    EXPECT_EQ(text("Panel_passo_polare_dat"), "10.000");
    EXPECT_EQ(text("Panel_unita_vel_mis_mot"), "mm/s");
    EXPECT_EQ(::ui("v:Panel_type_appl_mot_linerare v:Panel_application_type v:GroupBox_unita_mis_applicazione",
                 Frm_mdb_factor_page().frame(1)),
              "1 0 0");
    Frm_mdb_factor_destroy(1);
}

TEST_F(FactorPageTest, BytesOutsideTheirTablesShowNoTextAndSelectNothing)
{
    FactorApplicationRec& a = rec(1);
    a.b[FactorOfs::AppType] = 1;
    a.b[FactorOfs::LengthUnit] = 9;
    a.b[FactorOfs::RotaryUnit] = 12;
    a.b[FactorOfs::Selection] = 30;
    a.b[FactorOfs::Selection + 1] = 0;
    open_archive();
    EXPECT_EQ(text("Panel_unita_pos_mis_mot"), "");
    EXPECT_EQ(text("Panel_unita_vel_mis_mot"), "");
    EXPECT_EQ(text("Panel_unita_mis_01_asse_disco_misura_lineare"), "");
    EXPECT_EQ(find<QComboBox>("ComboBox_pos_unit_mis")->currentIndex(), -1);
    EXPECT_EQ(find<QComboBox>("ComboBox_app_unit_mis_list")->currentIndex(), -1);
    a.b[FactorOfs::AppType] = 4;  // rotary: byte 50 = 12 is beyond the 8 position names
    a.b[FactorOfs::Selection] = 0;
    Frm_mdb_factor_refresh(1);
    EXPECT_EQ(text("Panel_unita_pos_mis_mot"), "");
    EXPECT_EQ(text("Panel_unita_vel_mis_mot"), "rpm");
    a.b[FactorOfs::AppType] = 8;
    Frm_mdb_factor_refresh(1);
    EXPECT_TRUE(find("PageControl_factor_tool")->isHidden());
    EXPECT_EQ(find<QComboBox>("ComboBox_appl_mot_rotativo")->currentIndex(), -1);
    Frm_mdb_factor_destroy(1);
}

TEST_F(FactorPageTest, CombosStoreIntoTheRecordOfThePageContext)
{
    open_archive();
    const FactorApplicationRec before0 = rec(0);
    rec(1).b[FactorOfs::LengthUnit] = 1;
    Q_EMIT find<QComboBox>("ComboBox_appl_mot_rotativo")->activated(6);
    EXPECT_EQ(rec(1).b[FactorOfs::AppType], 6);
    EXPECT_EQ(text("Panel_unita_mis_06_asse_rotativo_vite_senza_fine"), "mm");
    EXPECT_EQ(find<QTabWidget>("PageControl_factor_tool")->currentWidget()->objectName(),
              "TabSheet_06_asse_rotativo_vite_senza_fine");
    EXPECT_TRUE(find("Panel_type_appl_mot_rotativo_vel_acc")->isHidden());
    EXPECT_EQ(items("ComboBox_app_unit_mis_list").size(), 6);
    Q_EMIT find<QComboBox>("ComboBox_app_unit_mis_list")->activated(4);  // linear type: byte 49
    EXPECT_EQ(rec(1).b[FactorOfs::LengthUnit], 4);
    EXPECT_EQ(text("Panel_unita_mis_06_asse_rotativo_vite_senza_fine"), "inches");
    Q_EMIT find<QComboBox>("ComboBox_pos_unit_mis")->activated(0);
    EXPECT_EQ(rec(1).b[FactorOfs::Selection], 0);
    EXPECT_EQ(text("Panel_unita_pos_mis_mot"), "inches");
    Q_EMIT find<QComboBox>("ComboBox_acc_unit_mis")->activated(16);
    EXPECT_EQ(rec(1).b[FactorOfs::Selection + 2], 16);
    EXPECT_EQ(text("Panel_unita_acc_mis_mot"), "rps/(10s)");

    Q_EMIT find<QComboBox>("ComboBox_appl_mot_rotativo")->activated(0);
    EXPECT_FALSE(find("Panel_type_appl_mot_rotativo_vel_acc")->isHidden());
    Q_EMIT find<QComboBox>("ComboBox_app_unit_mis_list")->activated(5);  // rotary type: byte 50
    EXPECT_EQ(rec(1).b[FactorOfs::RotaryUnit], 5);
    EXPECT_EQ(rec(1).b[FactorOfs::LengthUnit], 4);
    Q_EMIT find<QComboBox>("ComboBox_app_unit_mis_vel_list")->activated(9);
    EXPECT_EQ(rec(1).b[FactorOfs::RotaryUnit + 1], 9);

    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::MotorType, 1);
    Frm_mdb_factor_refresh(1);
    Q_EMIT find<QComboBox>("ComboBox_vel_unit_mis")->activated(5);  // linear motor: byte 46
    EXPECT_EQ(rec(1).b[FactorOfs::LinearSelection + 1], 5);
    EXPECT_EQ(text("Panel_unita_vel_mis_mot"), "µm/s");
    EXPECT_EQ(std::memcmp(&rec(0), &before0, sizeof before0), 0);
    Frm_mdb_factor_destroy(1);
}

TEST_F(FactorPageTest, ApplicationEditsAreBoundToTheContextsRecordAndNeverLocked)
{
    EditStateFlags = 0;
    PageContext = 0;
    Frm_mdb_factor_create(0, host());
    Frm_mdb_factor_set_access(0);
    auto* diameter = Frm_mdb_factor_page().find<FlowPanel>(0, "FlowPanel_diametro_adl_01_asse_disco_misura_lineare");
    auto* memo = diameter->findChild<QLineEdit*>();
    EXPECT_TRUE(memo->isEnabled());
    EXPECT_EQ(memo->text(), "1.000");
    EXPECT_EQ(diameter->caption(), "Diameter");
    memo->setFocus();
    memo->clear();
    QTest::keyClicks(memo, "2.5");
    QTest::keyClick(memo, Qt::Key_Return);
    EXPECT_EQ(Rec_get<uint32_t>(rec(0).b, FactorOfs::DiskDiameter), 2500u);
    EXPECT_FALSE(Frm_mdb_factor_page().edit(0, 0)->memo()->isEnabled());  // factor edit: no link
    EXPECT_TRUE(boxes.empty());
    Frm_mdb_factor_destroy(0);
}

TEST_F(FactorPageTest, CaptionsFollowTheLanguage)
{
    open_archive();
    struct Row {
        uint8_t lang;
        const char* load;
        const char* accel;
        const char* revs;
        const char* box;
    };
    for (const Row r : {Row{0, "Carico", "Accel.", "Giri motore", "Fattori"},
                        Row{2, "Charger", "Accél.", "Tours de moteur", "Facteurs"},
                        Row{1, "Load", "Accel.", "Motor revolutions", "Factors"}}) {
        LanguageIndex = r.lang;
        Frm_mdb_factor_set_language(1);
        EXPECT_EQ(text("FlowPanel_gear_load_03_asse_nastro_cinghia_dentata"), r.load);
        EXPECT_EQ(text("Label_app_unit_mis_acc_list"), r.accel);
        EXPECT_EQ(text("Panel_label_unit_mis_rev"), r.revs);
        EXPECT_EQ(find<QGroupBox>("GroupBox_mdb_factor")->title(), r.box);
    }
    EXPECT_EQ(items("ComboBox_pos_unit_mis").at(3), "[03] Radian (motor shaft)");
    Frm_mdb_factor_destroy(1);
}

TEST_F(FactorPageTest, UnknownBusTypeLocksThePolarityWithoutMessages)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 3);
    EditStateFlags = EditState::Linked | EditState::Remote;
    PageContext = 0;
    Frm_cands402_factor_create(0, host());
    EXPECT_FALSE(Frm_cands402_factor_page().find<QCheckBox>(0, "CheckBox_polarity_pos")->isEnabled());
    EXPECT_EQ(Utxgraph_text(Frm_cands402_factor_page().find<QWidget>(0, "Panel_position_factor")), "Pos factor");
    EXPECT_TRUE(boxes.empty());
    EditStateFlags = 0;
    Frm_cands402_factor_destroy(0);
}

TEST_F(FactorPageTest, LabelEditKeepsFiveLettersAndRenamesTheCustomUnits)
{
    std::memset(rec(1).b + FactorOfs::Selection, 1, 3);
    open_archive();
    auto* edit = find<QLineEdit>("Edit_label_unit_mis_str");
    EXPECT_EQ(edit->maxLength(), 5);
    EXPECT_EQ(edit->text(), "label");
    edit->setFocus();
    edit->clear();
    QTest::keyClicks(edit, "abcdef");
    EXPECT_EQ(edit->text(), "abcde");
    edit->clear();
    QTest::keyClicks(edit, "a1 b");
    EXPECT_EQ(edit->text(), "ab");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec(1).b + FactorOfs::Label), 6), std::string("ab\0\0\0\0", 6));
    EXPECT_EQ(text("Panel_unita_pos_mis_mot"), "ab");
    EXPECT_EQ(text("Panel_unita_vel_mis_mot"), "ab/s");
    EXPECT_EQ(text("Panel_unita_acc_mis_mot"), "ab/s²");
    QApplication::clipboard()->setText("x2y z99w");
    QTest::keySequence(edit, QKeySequence::Paste);
    EXPECT_EQ(edit->text(), "abxyz");

    std::memcpy(rec(1).b + FactorOfs::Label, "abcdef", 6);  // no NUL
    Frm_mdb_factor_refresh(1);
    EXPECT_EQ(edit->text(), "abcde");
    EXPECT_EQ(text("Panel_unita_pos_mis_mot"), "abcde");
    Frm_mdb_factor_destroy(1);
}

// Remote control active (bus status bit 9 clear): the field-bus lock is off.
TEST_F(FactorPageTest, ModbusPolarityClickSetsItsBitAndWritesTheRegister)
{
    connect_drive(1, true);
    Rec_set<uint16_t>(DriveRecordBank[0], 670, 0x0010);
    Frm_mdb_factor_create(0, host());
    ASSERT_TRUE(pump_until([] { return (EditStateFlags & 1) != 0; }, 3000));
    Frm_mdb_factor_set_access(0);
    auto* box = find<QCheckBox>("CheckBox_pos_polarity", 0);
    ASSERT_TRUE(box->isEnabled());
    EXPECT_EQ(box->text(), "[0600h] Reverse position");
    EXPECT_EQ(text("Panel_par_pos_flg_dat_pos_polarity", 0), "0010h");
    sim->clear_log();
    box->click();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 670), 0x0011);
    EXPECT_EQ(text("Panel_par_pos_flg_dat_pos_polarity", 0), "0011h");
    EXPECT_EQ(text("Panel_pos_polarity_on_off", 0), "On");
    ASSERT_TRUE(pump_until([this] { return sim->request_count(4) >= 1; }, 2000));
    bool sent = false;
    for (const auto& w : sim->param_writes())
        sent |= w.key == 0x0600 && w.value_u32() == 0x0011;
    EXPECT_TRUE(sent);
    Frm_mdb_factor_destroy(0);
}

TEST_F(FactorPageTest, CanPolarityClickSetsItsBitAndWritesTheObject)
{
    connect_drive(2, true);
    DriveRecordBank[0].b[2185] = 0x80;
    PageContext = 0;
    Frm_cands402_factor_create(0, host());
    ASSERT_TRUE(pump_until([] { return (EditStateFlags & 1) != 0; }, 3000));
    Frm_cands402_factor_set_access(0);
    ParamPage& page = Frm_cands402_factor_page();
    EXPECT_EQ(Utxgraph_text(page.find<QWidget>(0, "Panel_position_factor")), "[6093h] Pos factor");
    auto* vel = page.find<QCheckBox>(0, "CheckBox_polarity_vel");
    ASSERT_TRUE(vel->isEnabled());
    EXPECT_TRUE(page.find<QCheckBox>(0, "CheckBox_polarity_pos")->isChecked());
    sim->clear_log();
    vel->click();
    EXPECT_EQ(DriveRecordBank[0].b[2185], 0xC0);
    EXPECT_EQ(Utxgraph_text(page.find<QWidget>(0, "Panel_polarity_dat")), "C0h");
    const auto sent = [this] {
        for (const auto& w : sim->param_writes())
            if (w.key == 0x607E && w.value_u32() == 0xC0)
                return true;
        return false;
    };
    EXPECT_TRUE(pump_until(sent, 2000));
    Frm_cands402_factor_destroy(0);
}

TEST_F(FactorPageTest, CanCopiesThePolarityByteWhole)
{
    connect_drive(2);
    DriveRecordBank[0].b[2185] = 0x80;
    sim->set_list_value(0x607E, 0, {0x41});
    Frm_cands402_factor_create(0, host());
    ParamPage& page = Frm_cands402_factor_page();
    auto* vel = page.find<QCheckBox>(0, "CheckBox_polarity_vel");
    ASSERT_TRUE(pump_until([] { return DriveRecordBank[0].b[2185] == 0x41; }, 3000));
    EXPECT_FALSE(page.find<QCheckBox>(0, "CheckBox_polarity_pos")->isChecked());
    EXPECT_TRUE(vel->isChecked());
    EXPECT_EQ(Utxgraph_text(page.find<QWidget>(0, "Panel_polarity_dat")), "41h");
    Frm_cands402_factor_destroy(0);
}

TEST_F(FactorPageTest, ModbusCopiesOnlyBitZeroOfThePolarityWords)
{
    connect_drive(1);
    Rec_set<uint16_t>(DriveRecordBank[0], 670, 0x0010);
    sim->set_list_value(0x0600, 0, {0x21, 0x00});  // host order
    Frm_mdb_factor_create(0, host());
    ASSERT_TRUE(pump_until([] { return Rec_get<uint16_t>(DriveRecordBank[0], 670) != 0x0010; }, 3000));
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 670), 0x0011);
    EXPECT_TRUE(find<QCheckBox>("CheckBox_pos_polarity", 0)->isChecked());
    EXPECT_EQ(text("Panel_par_pos_flg_dat_pos_polarity", 0), "0011h");
    Frm_mdb_factor_destroy(0);
}

TEST_F(FactorPageTest, CanPageWaitsAWholeIntervalBeforeItsFirstList)
{
    connect_drive(2);
    sim->clear_log();
    const auto created = SimClock::now();
    Frm_cands402_factor_create(0, host());
    ASSERT_TRUE(pump_until([this] { return sim->request_count(30) >= 1; }, 3000));
    EXPECT_GT(sim->requests(30).front().start - created, std::chrono::milliseconds(100));
    Frm_cands402_factor_destroy(0);
}

class FactorFileTest : public FactorPageTest {
protected:
    QString path(const char* name) const { return QDir(QString::fromStdString(StartFolder.string())).filePath(name); }
    filestest::DialogScript script;
};

TEST_F(FactorFileTest, SaveReportsOnlyAWrittenFileAndKeepsTheCurrentFolder)
{
    LoadSettings();
    std::filesystem::remove_all(DriveDataFolder);
    open_archive();
    const QString cwd = QDir::currentPath();
    script.names = {path("a.ftl"), path("plain/b.ftl")};
    find<QPushButton>("BitBtn_save")->click();
    ASSERT_EQ(script.asked.size(), 1u);
    EXPECT_EQ(script.asked[0].title, "Save");
    EXPECT_EQ(script.asked[0].filter, "Factor files (*.ftl)|*.ftl");
    EXPECT_EQ(script.asked[0].default_suffix, "ftl");
    EXPECT_TRUE(script.asked[0].save);
    EXPECT_EQ(script.asked[0].folder.toStdString(), DriveDataFolder.string());
    EXPECT_TRUE(std::filesystem::is_directory(DriveDataFolder));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Data Saved !");
    EXPECT_EQ(filestest::read_file(path("a.ftl")).size(), 108);

    ASSERT_TRUE(filestest::write_file(path("plain"), "x"));
    find<QPushButton>("BitBtn_save")->click();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].icon, MsgIcon::Warning);
    EXPECT_NE(boxes[1].text.find("b.ftl"), std::string::npos);
    EXPECT_EQ(QDir::currentPath(), cwd);
    Frm_mdb_factor_destroy(1);
}

TEST_F(FactorFileTest, SaveOnAFolderOrAPipeSaysWhatStandsThere)
{
    LoadSettings();
    open_archive();
    ASSERT_TRUE(QDir().mkpath(path("x.ftl")));
    ASSERT_EQ(::mkfifo(path("p.ftl").toLocal8Bit().constData(), 0600), 0);  // would block an open
    const struct {
        const char* file;
        const char* text;
    } rows[] = {{"x.ftl", "x.ftl\nis a folder"}, {"p.ftl", "p.ftl\nis not a regular file"}};
    for (const auto& r : rows) {
        boxes.clear();
        script.names = {path(r.file)};
        find<QPushButton>("BitBtn_save")->click();
        ASSERT_EQ(boxes.size(), 1u) << r.file;
        EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
        EXPECT_EQ(boxes[0].text, r.text);
    }
    EXPECT_TRUE(QFileInfo(path("x.ftl")).isDir());
    EXPECT_TRUE(std::filesystem::is_fifo(path("p.ftl").toStdString()));
    for (const char* name : {"x.ftl", "p.ftl"})
        std::filesystem::remove(path(name).toStdString());
    Frm_mdb_factor_destroy(1);
}

TEST_F(FactorFileTest, OpenLoadsIntoThePageContextAndRefreshes)
{
    LoadSettings();
    DriveDataFileName = "kept.ivt";
    FactorApplicationRec saved = rec(1);
    Rec_set<uint32_t>(saved.b, FactorOfs::DiskDiameter, 4321);
    saved.b[FactorOfs::AppType] = 1;
    ASSERT_EQ(Factor_tool_save_file(path("f.ftl").toStdString(), saved), 0);
    QByteArray bad = filestest::read_file(path("f.ftl"));
    bad[40] = static_cast<char>(bad[40] ^ 1);
    ASSERT_TRUE(filestest::write_file(path("bad.ftl"), bad));
    open_archive();
    script.names = {path("bad.ftl"), path("missing.ftl"), path("f.ftl")};
    for (int i = 0; i < 3; ++i)
        find<QPushButton>("BitBtn_open")->click();
    EXPECT_EQ(script.asked[0].title, "Open");
    EXPECT_EQ(script.asked[0].filter, "Factor  files (*.ftl)|*.ftl");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Corrupted Data or Invalid File !");
    EXPECT_EQ(std::memcmp(&rec(1), &saved, sizeof saved), 0);
    EXPECT_EQ(find<QTabWidget>("PageControl_factor_tool")->currentWidget()->objectName(),
              "TabSheet_01_asse_disco_misura_lineare");
    EXPECT_EQ(find<FlowPanel>("FlowPanel_diametro_adl_01_asse_disco_misura_lineare")->findChild<QLineEdit*>()->text(),
              "4.321");
    EXPECT_EQ(DriveDataFileName, "kept.ivt");
    DriveDataFileName.clear();
    Frm_mdb_factor_destroy(1);
}

}  // namespace
}  // namespace pagetest
