// The scope's signal catalogues at start-up and the channel settings dialog: captions, lists,
// the conflict question, the looks of items and grid cells, and its registration.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "controls/Graph_draw.h"
#include "main_fixture.h"
#include "scope/Oscx_set.h"
#include "shell/Toolwin.h"

using namespace maintest;

namespace {

class OscxSet : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Oscx_signals_restore();
    }
    void TearDown() override
    {
        dialog.reset();
        MainWindowTest::TearDown();
        ScopeSignalTable = {};
        Oscx_signals_restore();
    }
    TForm_Oscx_Set& show_dialog()
    {
        dialog = std::make_unique<TForm_Oscx_Set>();
        dialog->show();
        return *dialog;
    }
    // Picks signal s on channel k as the engineer does.
    void pick(unsigned k, int s)
    {
        dialog->ComboBox_CH[k]->setCurrentIndex(s);
        Q_EMIT dialog->ComboBox_CH[k]->activated(s);
    }
    std::string ui(const std::string& spec) const { return ::ui(spec, dialog.get()); }
    static uint32_t text_colour(QWidget* w) { return w->palette().color(QPalette::WindowText).rgb() & 0xFFFFFF; }

    std::unique_ptr<TForm_Oscx_Set> dialog;
};

TEST_F(OscxSet, FormCreateSortsBothCataloguesAndFreshSettingsTakeTheirDefaultScales)
{
    main = std::make_unique<TForm_main>();  // FormCreate, not yet shown
    EXPECT_EQ(ScopeFamilyCatalogue[0].entries, ScopeCatalogueOrvel);
    EXPECT_EQ(ScopeFamilyCatalogue[0].count, 107);
    EXPECT_EQ(ScopeFamilyCatalogue[1].entries, ScopeCataloguePelsan);
    EXPECT_EQ(ScopeFamilyCatalogue[1].count, 108);
    EXPECT_EQ(ScopeSignalTable.entries, ScopeCataloguePelsan);
    EXPECT_EQ(ScopeSignalTable.count, 108);
    const int32_t scale[4] = {4000, 4000, 1000, 1000};
    const uint8_t decimals[4] = {0, 0, 2, 2};
    for (unsigned k = 0; k < 4; ++k) {
        const ScopeChannel& ch = ScopeSettings.channel[k];
        EXPECT_EQ(ch.signal_index, k + 1);
        EXPECT_EQ(ch.signal_code, k + 1);
        EXPECT_EQ(ch.scale_max, scale[k]);
        EXPECT_EQ(ch.scale_min, -scale[k]);
        EXPECT_EQ(ch.decimals, decimals[k]);
    }
    EXPECT_EQ(ScopeSettings.trigger_scale_max, 4000);
    EXPECT_EQ(ScopeSettings.trigger_scale_min, -4000);
    EXPECT_EQ(ScopeSettings.trigger_decimals, 0);
}

TEST_F(OscxSet, CaptionsListsAndTheSamplingPeriod)
{
    open_window();  // first family: ORVEL
    ScopeSettings.sample_time = 1;
    show_dialog();
    EXPECT_EQ(ui("t:TForm_Oscx_Set t:Panel_time t:GroupBox_channels t:GroupBox_CH0 t:GroupBox_CH3 t:BitBtn_Close "
                 "t:BitBtn_ok t:ComboBox_index_time_cmp"),
              "Setting Time Sampling Channels Selection Channel CH1 Channel CH4 Cancel OK 2 ms");
    QComboBox* time = dialog->ComboBox_index_time_cmp;
    ASSERT_EQ(time->count(), 28);
    EXPECT_EQ(time->itemText(0), "1 ms");
    EXPECT_EQ(time->itemText(27), "1500 ms");
    time->setCurrentIndex(11);
    Q_EMIT time->activated(11);
    EXPECT_EQ(time->currentText(), "50 ms");
    EXPECT_EQ(ScopeSettingsEdit.sample_time, 49);
    EXPECT_EQ(ScopeSettings.sample_time, 1);  // the dialog edits a copy

    EXPECT_EQ(dialog->ComboBox_CH[0]->count(), 107);
    EXPECT_EQ(dialog->ComboBox_CH[0]->itemText(22), "[22] - 6040h-Ctrl.Word-B0");
    EXPECT_EQ(dialog->StringGrid_cmp_list->rowCount() + 1, 108);  // the header is the fixed row
    std::string header;
    for (int c = 0; c < 5; ++c)
        header += TForm_Oscx_Set::cell_look(c, 0).text.toStdString() + "|";
    EXPECT_EQ(header, "N°|CH|Type|Description|Unit|");
    EXPECT_TRUE(TForm_Oscx_Set::cell_look(3, 0).bold);
    EXPECT_EQ(TForm_Oscx_Set::cell_look(3, 0).colour, 0x800000u);
    EXPECT_TRUE(dialog->BitBtn_Close->isDefault());

    ScopeSettings.sample_time = 10;  // 11 ms is no period
    dialog->hide();
    dialog->show();
    EXPECT_EQ(time->currentIndex(), -1);
    EXPECT_EQ(ScopeSettingsEdit.sample_time, 10);
}

TEST_F(OscxSet, ASignalTwiceAsksAndMovesItOnYes)
{
    open_window();
    show_dialog();
    EXPECT_EQ(ui("t:ComboBox_CH1"), "[02] - Meas. Speed.");
    answers.push_back(MsgNo);
    pick(1, 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Segnale già impostato su CH1 - Continuare?");
    EXPECT_EQ(boxes[0].title, "Attenzione");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
    EXPECT_EQ(boxes[0].buttons, MsgYes | MsgNo);
    EXPECT_EQ(dialog->ComboBox_CH[1]->currentIndex(), 2);  // No: back on its signal
    EXPECT_EQ(ScopeSettingsEdit.channel[1].signal_index, 2);

    answers.push_back(MsgYes);
    pick(1, 1);
    const ScopeChannel& ch1 = ScopeSettingsEdit.channel[0];
    const ScopeChannel& ch2 = ScopeSettingsEdit.channel[1];
    EXPECT_EQ(ch2.signal_index, 1);
    EXPECT_EQ(ch2.scale_max, 4000);
    EXPECT_EQ(ch2.scale_min, -4000);
    EXPECT_EQ(ch1.signal_index, 0);
    EXPECT_EQ(ch1.signal_code, 0);
    EXPECT_EQ(ch1.scale_max, 1000000);
    EXPECT_EQ(ch1.scale_min, -1000000);
    EXPECT_EQ(ui("t:Panel_name_CH0 t:Panel_name_CH1"), "Signal Null Speed Ref.");
    EXPECT_EQ(text_colour(dialog->Panel_name_CH[0]), bgr(0x0000FF).rgb() & 0xFFFFFF);
    EXPECT_EQ(text_colour(dialog->Panel_name_CH[1]), 0u);
    EXPECT_EQ(dialog->ComboBox_CH[0]->currentIndex(), 0);

    // Signal 1's row is marked with its channel; signal 0's never.
    const OscxCellLook used = TForm_Oscx_Set::cell_look(0, 2);
    EXPECT_TRUE(used.used);
    EXPECT_EQ(used.colour, 0xFF0000u);
    EXPECT_EQ(used.text, "[01]");
    const OscxCellLook ch = TForm_Oscx_Set::cell_look(1, 2);
    EXPECT_EQ(ch.text, "CH2");
    EXPECT_TRUE(ch.bold);
    EXPECT_FALSE(TForm_Oscx_Set::cell_look(0, 1).used);
    EXPECT_EQ(TForm_Oscx_Set::cell_look(1, 1).text, "");
    EXPECT_EQ(TForm_Oscx_Set::cell_look(3, 11).text, "Torque limit");
    EXPECT_EQ(TForm_Oscx_Set::cell_look(2, 11).text, "Common");
    EXPECT_FALSE(TForm_Oscx_Set::cell_look(3, 11).used);

    // Signal 0 on a second channel: no question.
    pick(2, 0);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(ScopeSettingsEdit.channel[2].signal_index, 0);
}

TEST_F(OscxSet, ItemLooksFollowTheChannelsAndTheSelection)
{
    open_window();
    show_dialog();
    struct Case {
        int n;
        bool selected;
        const char* text;
        uint32_t colour;
    } cases[] = {
        {1, false, "[01] - Speed Ref.", 0xFF0000},  // held by CH1
        {1, true, "[01] - Speed Ref.", 0xFFFFFF},
        {10, false, "[10] - Torque limit", 0x000000},
        {106, false, "[106] - 0803h-Torque inside", 0x000000},
    };
    for (const Case& c : cases) {
        const OscxCellLook look = TForm_Oscx_Set::item_look(c.n, c.selected);
        EXPECT_EQ(look.text.toStdString(), c.text);
        EXPECT_EQ(look.colour, c.colour) << c.n;
        EXPECT_FALSE(look.bold);
    }
    // The combo draws through its delegate without trouble (offscreen).
    dialog->ComboBox_CH[0]->showPopup();
    pump_for(20);
    dialog->ComboBox_CH[0]->hidePopup();
}

TEST_F(OscxSet, ALinearMotorShowsItsUnits)
{
    open_window();
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::MotorType, 1);
    show_dialog();
    EXPECT_EQ(TForm_Oscx_Set::cell_look(4, 3).text, "mm/s");
    EXPECT_EQ(TForm_Oscx_Set::cell_look(4, 4).text, "A");
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::MotorType, 0);
    EXPECT_EQ(TForm_Oscx_Set::cell_look(4, 3).text, "rpm");
}

TEST_F(OscxSet, AChannelBeyondTheFamilysCatalogueShowsSignalNull)
{
    open_window();
    main->Menu_PELSAN1->trigger();
    ScopeSettings.channel[2].signal_index = 107;  // "0803h-Torque inside" of PELSAN
    ScopeSettings.channel[2].signal_code = 107;
    main->Menu_ORVEL1->trigger();
    ASSERT_EQ(ScopeSignalTable.count, 107);
    show_dialog();
    EXPECT_EQ(ui("t:Panel_name_CH2"), "Signal Null");
    EXPECT_EQ(text_colour(dialog->Panel_name_CH[2]), bgr(0x0000FF).rgb() & 0xFFFFFF);
    EXPECT_EQ(dialog->ComboBox_CH[2]->currentIndex(), -1);
    EXPECT_EQ(ScopeSettingsEdit.channel[2].signal_index, 107);  // kept until a signal is picked
}

TEST_F(OscxSet, RegisteredForTheMainWindowWithNoCommandOfItsOwn)
{
    open_window();
    Oscx_register_windows([](OscxWindow w, OscxWindowFactory make) {
        if (w == OscxWindow::Set)
            Toolwin_register(ToolWin::OscxSet, make);
    });
    QPointer<QWidget> w = Toolwin_create(ToolWin::OscxSet, main.get());
    ASSERT_TRUE(w);
    EXPECT_NE(qobject_cast<TForm_Oscx_Set*>(w.data()), nullptr);
    EXPECT_EQ(Toolwin_open(ToolWin::OscxSet), w.data());
    delete w.data();
    Toolwin_unregister(ToolWin::OscxSet);
}

TEST_F(OscxSet, OkAndCancelEndTheDialog)
{
    open_window();
    show_dialog();
    // Buttons one eighth of the free width in from each edge; panels fit their combos.
    QWidget* panel = dialog->Panel_buttons;
    const int inset = (panel->width() - dialog->BitBtn_ok->width() - dialog->BitBtn_Close->width()) / 8;
    EXPECT_EQ(dialog->BitBtn_ok->x(), inset);
    EXPECT_EQ(dialog->BitBtn_Close->geometry().right() + 1, panel->width() - inset);
    EXPECT_EQ(dialog->BitBtn_ok->y(), (panel->height() - dialog->BitBtn_ok->height()) / 2);
    QComboBox* combo = dialog->ComboBox_CH[2];
    EXPECT_EQ(dialog->GroupBox_CH[2]->height(), 2 * combo->y() + combo->height());
    QComboBox* time = dialog->ComboBox_index_time_cmp;
    EXPECT_EQ(dialog->Panel_time->height(), 2 * time->y() + time->height());
    dialog->BitBtn_ok->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    dialog->show();
    dialog->BitBtn_Close->click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

}  // namespace
