// CiA 301 pages: identity (defaults, texts, the information requests once per accepted list),
// communication data and store (store writes, short-queue requests, buttons, progress cells, bit 4
// untouched), error history (decoding drawn into a picture, clear) and PDO mapping (texts, tab
// lists, the read-back rule across tabs).
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <cstring>

#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "link/Fieldbus_link.h"
#include "link/Seriale.h"
#include "link/Serrx.h"
#include "link/Seriale_port.h"
#include "page_fixture.h"
#include "pages/fieldbus/Cands301_grid.h"
#include "pages/fieldbus/Frm_cands301.h"
#include "pages/fieldbus/Frm_cands301_dat_com.h"
#include "pages/fieldbus/Frm_cands301_emerg_store.h"
#include "pages/fieldbus/Frm_cands301_rpdo_map.h"
#include "pages/fieldbus/Frm_cands301_tpdo_map.h"
#include "pages/fieldbus/Pdo_map.h"
#include "pages/drive/Frm_pid_vel.h"
#include "shell/Form_send_drive.h"
#include "shell/Main_files.h"

namespace pagetest {
namespace {

QString text(ParamPage& p, uint8_t ctx, const char* name) { return Utxgraph_text(p.find<QWidget>(ctx, name)); }

// Queued requests of command cmd (and first data byte sub, when given).
int queued(uint8_t cmd, int sub = -1)
{
    int n = 0;
    for (const Ser_queue_entry& e : Seriale_view().entries)
        n += e.frame.size() > 2 && e.frame[1] == cmd && (sub < 0 || e.frame[2] == sub);
    return n;
}

// Pixels of colour rgb in the image.
int count(const QImage& img, QRgb rgb)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFFu) == rgb;
    return n;
}

template <typename Draw>
QImage cell(int w, Draw draw)
{
    QImage img(w, 20, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    Canvas c(&img);
    draw(c, DrawRect{0, 0, w, 20});
    c.end();
    return img;
}

// A list reply's value bytes are in host order.
SimBytes host32(uint32_t v)
{
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

using Cands301Test = PagesTest;

// ---- identity ----

TEST_F(Cands301Test, IdentityArchiveShowsTheLiveDefaultsAndNoValues)
{
    Busx_set_identity_defaults();
    PageContext = 1;
    Frm_cands301_create(1, host());
    ParamPage& p = Frm_cands301_page();
    EXPECT_EQ(text(p, 1, "Panel_can_device_type_dat"), "00020192h");
    EXPECT_EQ(text(p, 1, "Panel_can_vendor_ID_dat"), "00504E44h");
    for (const char* n : {"Panel_can_device_name_dat", "Panel_can_software_version_dat", "Panel_can_product_code_dat",
                          "Panel_can_revision_number_dat"})
        EXPECT_EQ(text(p, 1, n), "-----") << n;
    EXPECT_FALSE(p.find<QTimer>(1, "Timer_com")->isActive());
    EXPECT_FALSE(p.find<QWidget>(1, "Panel_can_serial_number_dat")->isVisibleTo(p.frame(1)));
    EXPECT_EQ(p.find<QGroupBox>(1, "GroupBox_DS301")->title(), "DS 301");
    Frm_cands301_destroy(1);
}

TEST_F(Cands301Test, IdentityTextsShowTheirReceivedAreas)
{
    std::memcpy(DriveDeviceName, "N1", 3);
    std::memcpy(DriveSoftwareName, "V1", 3);
    Frm_cands301_create(0, host());
    ParamPage& p = Frm_cands301_page();
    EXPECT_EQ(text(p, 0, "Panel_can_device_name_dat"), "N1");
    EXPECT_EQ(text(p, 0, "Panel_can_software_version_dat"), "V1");
    Frm_cands301_destroy(0);
    std::memset(DriveDeviceName, 0, sizeof DriveDeviceName);
    std::memset(DriveSoftwareName, 0, sizeof DriveSoftwareName);
}

TEST_F(Cands301Test, IdentityAsksForTheTextsOncePerAcceptedList)
{
    quiet_link(2);
    Frm_cands301_create(0, host());
    ParamPage& p = Frm_cands301_page();
    // A foreign list stays pending: no list of this page, and no information request.
    Frm_pid_vel_create(0, host());
    std::this_thread::sleep_for(std::chrono::milliseconds(110));
    Frm_pid_vel_page().tick();
    Frm_pid_vel_destroy(0);
    ASSERT_EQ(queued(30), 1);
    for (int i = 0; i < 30; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        p.tick();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(210));
    p.tick();
    EXPECT_EQ(queued(7), 0);
    Sertx_forget_read_list();
    p.tick();
    EXPECT_EQ(queued(30), 2);
    EXPECT_EQ(queued(7, 4), 1);
    EXPECT_EQ(queued(7, 5), 1);
    // Asked once (by a print): refused while a list is outstanding; sent uncounted, so that no open
    // page copies from its reply; nothing sent (and no text asked) while list reads are off or
    // when the bus type has nothing to ask.
    EXPECT_EQ(p.ask_once(), ListSend::Refused);
    Sertx_forget_read_list();
    EXPECT_EQ(p.ask_once(), ListSend::Sent);
    Ser_read_list sent;
    ASSERT_TRUE(Sertx_take_read_list(sent));
    Sertx_read_list_stored();
    EXPECT_FALSE(sent.counted);
    EXPECT_EQ(queued(7, 4), 2);
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ListReads));
    EXPECT_EQ(p.ask_once(), ListSend::Nothing);
    EXPECT_EQ(queued(7, 4), 2);
    Ser_data_flags.fetch_or(DataFlag::ListReads);
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    EXPECT_EQ(p.ask_once(), ListSend::Nothing);
    EXPECT_FALSE(Sertx_read_list_outstanding());
    Frm_cands301_destroy(0);
}

TEST_F(Cands301Test, IdentityKeepsTheDefaultsWhileListReadsAreOff)
{
    Busx_set_identity_defaults();
    quiet_link(2);
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ListReads));
    BusLiveReadBack.device_type = 0x1234;
    Frm_cands301_create(0, host());
    ParamPage& p = Frm_cands301_page();
    for (int i = 0; i < 3; ++i)
        poll_and_reply(p);
    EXPECT_EQ(BusLiveValues.device_type, CANOPEN_DEVICE_TYPE);
    EXPECT_EQ(text(p, 0, "Panel_can_device_type_dat"), "00020192h");
    Frm_cands301_destroy(0);
    BusLiveReadBack.device_type = 0;
}

// ---- communication data and store ----

TEST_F(Cands301Test, StoreButtonWritesItsSubindexOnly)
{
    connect_drive(2);
    EditStateFlags = 0x09;  // link ready, remote
    Frm_cands301_dat_com_create(0, host());
    ParamPage& p = Frm_cands301_dat_com_page();
    auto* save = p.find<QPushButton>(0, "BitBtn_save1");
    ASSERT_TRUE(pump_until([&] { return save->isEnabled(); }, 2000));
    sim->clear_log();
    save->click();
    ASSERT_TRUE(pump_until([&] { return !writes_of(0x1010).empty(); }, 3000));
    pump_for(200);
    const auto w = writes_of(0x1010);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].sub, 2);
    EXPECT_EQ(w[0].value_u32(), 0x65766173u);
    EXPECT_EQ(sim->param_writes().size(), 1u);
    Frm_cands301_dat_com_destroy(0);
}

TEST_F(Cands301Test, StoreStateAskedOnlyWithAShortQueueButtonsFollowBusy)
{
    quiet_link(2);
    EditStateFlags = 0x09;
    Frm_cands301_dat_com_create(0, host());
    ParamPage& p = Frm_cands301_dat_com_page();
    Seriale_clear_queue();
    Sertx_read_info(7);
    Sertx_read_info(7);
    Frm_cands301_dat_com_store_tick();
    EXPECT_EQ(queued(7, 6), 0);
    Seriale_clear_queue();
    Sertx_read_info(7);
    Frm_cands301_dat_com_store_tick();
    EXPECT_EQ(queued(7, 6), 1);
    EXPECT_TRUE(p.find<QWidget>(0, "BitBtn_save0")->isEnabled());
    Drive_status_update_word(0, StatusBit::WritesHeld);
    Frm_cands301_dat_com_store_tick();
    EXPECT_FALSE(p.find<QWidget>(0, "BitBtn_save2")->isEnabled());
    Drive_status_update_word(StatusBit::WritesHeld, 0);
    // A received state unlike the shown entries is copied over them.
    Ds301StoreState[1] = {0x1234, 3, 10};
    Frm_cands301_dat_com_store_tick();
    EXPECT_EQ(BusLiveValues.store[1].value, 0x1234u);
    EXPECT_EQ(BusLiveValues.store[1].total, 10);
    Ds301StoreState[1] = {};
    Frm_cands301_dat_com_destroy(0);
}

TEST_F(Cands301Test, DataFlagBitFourLeftAlone)
{
    quiet_link(2);
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::InfoSub1));
    Frm_cands301_dat_com_create(0, host());
    Frm_cands301_dat_com_refresh(0);
    Frm_cands301_dat_com_store_tick();
    EXPECT_EQ(Ser_data_flags.load() & DataFlag::InfoSub1, 0);
    Ser_data_flags.fetch_or(DataFlag::InfoSub1);
    Frm_cands301_dat_com_store_tick();
    EXPECT_NE(Ser_data_flags.load() & DataFlag::InfoSub1, 0);
    Frm_cands301_dat_com_destroy(0);
}

TEST_F(Cands301Test, StoreArchiveShowsTheLiveSyncAndDisabledButtons)
{
    BusLiveValues.cob_id_sync = 0x80;
    Rec_set<uint32_t>(DriveRecordBank[1], 1580, 0x81);
    PageContext = 1;
    Frm_cands301_dat_com_create(1, host());
    ParamPage& p = Frm_cands301_dat_com_page();
    EXPECT_EQ(text(p, 1, "Panel_can_cob_id_sync_dat"), "00000080h");
    EXPECT_EQ(text(p, 1, "Panel_can_COB_ID_emergency_dat"), "00000081h");
    EXPECT_FALSE(p.find<QWidget>(1, "BitBtn_save0")->isEnabled());
    EXPECT_FALSE(p.find<QTimer>(1, "Timer_com")->isActive());
    Frm_cands301_dat_com_destroy(1);
}

TEST_F(Cands301Test, StoreProgressCells)
{
    connect_drive(2);
    struct Row {
        uint16_t done, total;
        bool black;  // a bar drawn
        bool any;    // anything but the white cell
    } rows[] = {{0, 0, false, true}, {5, 0, false, false}, {12, 10, true, true}, {5, 10, true, true}};
    for (const Row& r : rows) {
        BusLiveValues.store[0] = {0, r.done, r.total};
        const QImage img = cell(121, [](Canvas& c, const DrawRect& rect) { StringGrid_par_writeDrawCell(0, c, rect, 1, 3, false); });
        EXPECT_EQ(count(img, 0) > 500, r.black) << r.done << "/" << r.total;
        EXPECT_EQ(count(img, 0xFFFFFF) != img.width() * img.height(), r.any) << r.done << "/" << r.total;
    }
    BusLiveValues.store[0] = {};
}

TEST_F(Cands301Test, StoreStateCellWithoutTheSendThreadShowsDashes)
{
    quiet_link(2);
    Ser_tx_state.store(LinkState::Stop);  // no send thread, whatever a test before left
    BusLiveValues.store[0] = {0, 3, 10};
    const QImage got = cell(121, [](Canvas& c, const DrawRect& r) { StringGrid_par_writeDrawCell(0, c, r, 1, 3, false); });
    const QImage dashes = cell(121, [](Canvas& c, const DrawRect& r) {
        Cands301_white_cell(c, r);
        Cands301_text_cell(c, r, QStringLiteral("- - - - - - -"), false, clBlack, AlignCentre);
    });
    EXPECT_EQ(got, dashes);
    BusLiveValues.store[0] = {};
}

// A data set sent to the drive while the page asks for the store state finishes.
TEST_F(Cands301Test, DriveDataSendFinishesWithTheStorePageOpen)
{
    connect_drive(2);
    const auto store_requests = [this] {
        int n = 0;
        for (const SimLogEntry& e : sim->requests(7))
            n += e.bytes.size() > 2 && e.bytes[2] == 6;
        return n;
    };
    Frm_cands301_dat_com_create(0, host());
    DriveRecordBank[0].b[1500] ^= 0x5A;
    Main_prepare_drive_job(DriveRecordBank[0], nullptr);
    TForm_send_drive send(main.get());
    send.show();
    ASSERT_TRUE(pump_until([&] { return send.BitBtn_send_all->isEnabled() && store_requests() > 0; }, 8000));
    sim->clear_log();
    send.BitBtn_send_all->click();
    EXPECT_TRUE(pump_until([&] { return send.message_lines().value(1) == "Write Finished"; }, 15000));
    EXPECT_EQ(send.message_colour(), clGreen);
    EXPECT_GE(sim->request_count(6), 10u) << "the whole record";
    send.close();
    Frm_cands301_dat_com_destroy(0);
}

// Header rows of the three grids and the store grid's type texts, in each language.
TEST_F(Cands301Test, GridHeadersAndStoreTypesByLanguage)
{
    quiet_link(2);  // the drive answers: the store rows are live
    struct Text {
        int at;  // column of a header cell, row of a type cell
        const char* text[3];
    };
    using HeaderCell = void (*)(Canvas&, const DrawRect&, int column);
    const std::vector<Text> pdo_head = {{0, {"N°", "N°", "N°"}},
                                        {1, {"Dati Mappati", "Mapped Data", "Données cartographiées"}}};
    const struct {
        HeaderCell draw;
        std::vector<Text> heads;
    } grids[] = {
        {[](Canvas& c, const DrawRect& r, int column) { StringGrid_par_writeDrawCell(0, c, r, 0, column, false); },
         {{0, {"N°", "N°", "N°"}},
          {1, {"Dato", "Data", "Données"}},
          {2, {"Tipo", "Type", "Type"}},
          {3, {"Stato", "State", "état"}}}},
        {[](Canvas& c, const DrawRect& r, int column) { StringGrid_alarmDrawCell(0, c, r, 0, column, false); },
         {{0, {"N°", "N°", "N°"}}, {1, {"Codice", "Code", "Code"}}, {2, {"Allarme", "Alarm", "Alarme"}}}},
        {[](Canvas& c, const DrawRect& r, int column) {
             static const uint32_t words[8] = {};
             Frm_cands301_rpdo_map_draw_cell(c, column, 0, r, words);
         },
         pdo_head},
        {[](Canvas& c, const DrawRect& r, int column) {
             static const uint32_t words[8] = {};
             Frm_cands301_tpdo_map_draw_cell(c, column, 0, r, words);
         },
         pdo_head},
    };
    const Text store_types[] = {{1, {"Salva Tutto", "Save all", "Sauver tous"}},
                                {2, {"Salva DS301", "Save DS301", "Sauver DS301"}},
                                {3, {"Salva D402", "Save D402", "Sauver D402"}}};
    for (uint8_t lang = 0; lang < 3; ++lang) {
        SCOPED_TRACE(int{lang});
        LanguageIndex = lang;
        for (const auto& g : grids)
            for (const Text& h : g.heads) {
                const QString text = QString::fromUtf8(h.text[lang]);
                EXPECT_EQ(cell(121, [&](Canvas& c, const DrawRect& r) { g.draw(c, r, h.at); }),
                          cell(121, [&](Canvas& c, const DrawRect& r) { Cands301_header_cell(c, r, text); }))
                    << h.text[lang];
            }
        for (const Text& t : store_types) {
            const QString text = QString::fromUtf8(t.text[lang]);
            EXPECT_EQ(cell(121, [&](Canvas& c, const DrawRect& r) { StringGrid_par_writeDrawCell(0, c, r, t.at, 2, false); }),
                      cell(121, [&](Canvas& c, const DrawRect& r) {
                          Cands301_text_cell(c, Cands301_white_cell(c, r), text, false, clBlack, AlignCentre);
                      }))
                << t.text[lang];
        }
    }
}

// In the archive frame the store rows show no values: bold grey "-----" in every value column.
TEST_F(Cands301Test, StoreRowsOfTheArchiveShowNoValues)
{
    quiet_link(2);
    const QImage dashes = cell(121, [](Canvas& c, const DrawRect& r) {
        Cands301_text_cell(c, Cands301_white_cell(c, r), QStringLiteral("-----"), true, clGray, AlignLeft);
    });
    for (int column = 1; column < 4; ++column)
        EXPECT_EQ(cell(121, [&](Canvas& c, const DrawRect& r) { StringGrid_par_writeDrawCell(1, c, r, 2, column, false); }),
                  dashes)
            << column;
}

// ---- error history ----

TEST_F(Cands301Test, ErrorHistoryCellsDecodeTheAlarm)
{
    Ser_link_flags.store(LinkFlag::Answers);
    const uint32_t entries[] = {0x00002340, 0x00012340, 0};
    for (int i = 0; i < 3; ++i)
        Rec_set<uint32_t>(DriveRecordBank[0], 1540 + 4 * i, entries[i]);
    auto draw = [](uint8_t ctx, int row, int column) {
        return cell(227, [=](Canvas& c, const DrawRect& r) { StringGrid_alarmDrawCell(ctx, c, r, row, column, false); });
    };
    EXPECT_GT(count(draw(0, 1, 2), 0xFF0000), 0);  // "Overcurrent" in red
    EXPECT_EQ(count(draw(0, 2, 2), 0xFF0000), 0);                // upper bits: "-----" in black
    EXPECT_GT(count(draw(0, 2, 2), 0x000000), 0);
    EXPECT_EQ(count(draw(0, 3, 2), 0xFF0000), 0);
    EXPECT_GT(count(draw(0, 1, 1), 0x000080), 0);  // the code in navy
    // Archive and a silent drive: grey only.
    EXPECT_EQ(count(draw(1, 1, 2), 0xFF0000), 0);
    EXPECT_GT(count(draw(1, 1, 2), 0x808080), 0);
    Ser_link_flags.store(0);
    EXPECT_EQ(count(draw(0, 1, 1), 0x000080), 0);
    EXPECT_EQ(Cands301_word_text(0x2340), "00002340h");
    EXPECT_EQ(Cands301_word_text(0), "0h");
}

TEST_F(Cands301Test, ErrorHistoryClearWritesZeroArchiveShowsNoValues)
{
    connect_drive(2);
    Frm_cands301_emerg_store_create(0, host());
    ParamPage& p = Frm_cands301_emerg_store_page();
    EXPECT_EQ(text(p, 0, "Panel_can_error_register_str").contains("1001h"), true);
    sim->clear_log();
    BitBtn_canc_mem_alarmClick();
    ASSERT_TRUE(pump_until([&] { return !writes_of(0x1003).empty(); }, 3000));
    EXPECT_EQ(writes_of(0x1003)[0].sub, 0);
    EXPECT_EQ(writes_of(0x1003)[0].value_u32() >> 24, 0u);
    Frm_cands301_emerg_store_destroy(0);

    PageContext = 1;
    Frm_cands301_emerg_store_create(1, host());
    EXPECT_EQ(text(p, 1, "Panel_can_error_register_dat"), "-----");
    EXPECT_EQ(text(p, 1, "Panel_can_number_errors_dat"), "-----");
    EXPECT_FALSE(p.find<QWidget>(1, "BitBtn_canc_mem_alarm")->isEnabled());
    EXPECT_EQ(p.find<QGroupBox>(1, "GroupBox_can_alarm_lis")->title(), "[1003h,1..8] Pre-defined Error Field");
    Frm_cands301_emerg_store_destroy(1);
}

// ---- PDO mapping ----

TEST(PdoTexts, TypeInhibitAndWord)
{
    LanguageIndex = 1;
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(Pdo_type_text(255), "255 - (Async-Device)");
    EXPECT_EQ(Pdo_type_text(245), "245 - ---");
    EXPECT_EQ(Pdo_type_text(0), "0 - (Acyclic-Sync)");
    EXPECT_EQ(Pdo_type_text(252), "252 - (Sync-RTR)");
    EXPECT_EQ(Pdo_inhibit_text(65535), "6553.5");
    EXPECT_EQ(Pdo_inhibit_text(10), "1.0");
    EXPECT_EQ(Cands301_word_text(0x60400010), "60400010h");
    const PdoOffsets t2 = Pdo_offsets(true, 1);
    EXPECT_EQ(t2.cob_id, 1788);
    EXPECT_EQ(t2.mapping, 1872);
    EXPECT_EQ(Pdo_offsets(false, 3).number, 1768);
}

TEST_F(Cands301Test, PdoTabPollsItsListAndTakesOnlyItsReplies)
{
    connect_drive(2);
    Frm_cands301_tpdo_map_create(0, host());
    ParamPage& p = Frm_cands301_tpdo_map_page();
    Rec_set<uint32_t>(DriveRecordBank[0], 1788, 0x282);
    Rec_set<uint32_t>(DriveReadBack, 1788, 0x281);
    pump_for(1000);
    EXPECT_EQ(Rec_get<uint32_t>(DriveRecordBank[0], 1788), 0x282u);
    sim->set_list_value(0x1801, 1, host32(0x283));
    sim->clear_log();
    p.find<QTabWidget>(0, "PageControl_tpdo_map")->setCurrentIndex(1);
    ASSERT_TRUE(pump_until([&] { return Rec_get<uint32_t>(DriveRecordBank[0], 1788) == 0x283; }, 3000));
    EXPECT_EQ(text(p, 0, "Panel_tpdo2_cob_id_dat"), "00000283h");
    const auto reqs = sim->requests(30);
    ASSERT_FALSE(reqs.empty());
    EXPECT_EQ(list_keys(reqs.back()),
              (std::vector<std::string>{"8Ch", "1801h,1", "1801h,2", "1801h,3", "1A01h,0", "1A01h,1", "1A01h,2",
                                        "1A01h,3", "1A01h,4", "1A01h,5", "1A01h,6", "1A01h,7", "1A01h,8"}));
    Frm_cands301_tpdo_map_destroy(0);
}

TEST_F(Cands301Test, PdoArchiveShowsSlotOne)
{
    DriveRecordBank[1].b[1600] = 255;
    Rec_set<uint16_t>(DriveRecordBank[1], 1778, 65535);
    PageContext = 1;
    Frm_cands301_rpdo_map_create(1, host());
    EXPECT_EQ(text(Frm_cands301_rpdo_map_page(), 1, "Panel_rpdo1_transmission_type_dat"), "255 - (Async-Device)");
    EXPECT_EQ(Frm_cands301_rpdo_map_page().find<QGroupBox>(1, "GroupBox_rpdo2_list")->title(), "[1601h,1..8] PDO List");
    Frm_cands301_rpdo_map_destroy(1);
    Frm_cands301_tpdo_map_create(1, host());
    EXPECT_EQ(text(Frm_cands301_tpdo_map_page(), 1, "Panel_tpdo1_inhibit_time_dat"), "6553.5");
    EXPECT_EQ(Frm_cands301_tpdo_map_page().find<QGroupBox>(1, "GroupBox_tpdo4_list")->title(), "[1A03h,1..8] PDO List");
    Frm_cands301_tpdo_map_destroy(1);
}

TEST_F(Cands301Test, PdoGridCellsShowTheWords)
{
    const uint32_t words[8] = {0x60400010, 0};
    auto draw = [&](int row) {
        return cell(229, [&](Canvas& c, const DrawRect& r) { Frm_cands301_rpdo_map_draw_cell(c, 1, row, r, words); });
    };
    const int wide = count(draw(1), 0);
    const int narrow = count(draw(2), 0);
    EXPECT_GT(narrow, 0);
    EXPECT_GT(wide, 3 * narrow);  // nine characters against two
}

}  // namespace
}  // namespace pagetest
