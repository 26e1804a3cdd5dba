// Page figures: each page unit's Create (frame and edits built, then destroyed), and one
// Timer_com tick of every open page when nothing changed (values polled, read-back equal); at
// one tick per 10 ms, a tick time t uses t / 10 ms of a core. The state-machine, control-word and
// CiA 301 pages the same on their own bus (no drive here: their live display steps stop at the
// link check), and the drawings those pages make when a value changes (the state diagrams, every
// cell of the CiA 301 grids).
#include <benchmark/benchmark.h>

#include <QImage>
#include <QWidget>

#include <span>

#include "drivedata/Sortdat.h"
#include "link/Serrx.h"
#include "pages/Pages.h"
#include "pages/drive/Frm_field_bus.h"
#include "pages/drive/Frm_mot_feedback.h"
#include "pages/drive/Frm_motore.h"
#include "pages/drive/Frm_pid_cor.h"
#include "pages/drive/Frm_pid_pos.h"
#include "pages/drive/Frm_pid_vel.h"
#include "pages/drive/Frm_taglia_drive.h"
#include "pages/drive/Frm_fan_ctrl.h"
#include "pages/drive/Frm_input_flt.h"
#include "pages/drive/Frm_mem_alarm.h"
#include "pages/drive/Frm_modo_allarmi.h"
#include "pages/drive/Frm_output.h"
#include "pages/drive/Frm_resistenza_fren.h"
#include "pages/drive/Frm_setup_avanzato.h"
#include "pages/drive/Frm_soglie_tensione.h"
#include "pages/drive/Frm_test_i2t.h"
#include "pages/fieldbus/Factor_page.h"
#include "pages/drive/Frm_filtro_notch.h"
#include "pages/drive/Frm_fpb_iq.h"
#include "pages/drive/Frm_limiti.h"
#include "pages/fieldbus/Frm_mdb_control.h"
#include "pages/fieldbus/Frm_mdb_gearbox.h"
#include "pages/fieldbus/Frm_mdb_gearbox_sgnc.h"
#include "pages/fieldbus/Frm_mdb_pos.h"
#include "pages/fieldbus/Frm_mdb_pos_hp.h"
#include "pages/fieldbus/Frm_mdb_pos_in1_tac.h"
#include "pages/fieldbus/Frm_mdb_pos_par.h"
#include "pages/fieldbus/Cands301_grid.h"
#include "pages/fieldbus/Frm_cands301.h"
#include "pages/fieldbus/Frm_cands301_dat_com.h"
#include "pages/fieldbus/Frm_cands301_emerg_store.h"
#include "pages/fieldbus/Frm_cands301_rpdo_map.h"
#include "pages/fieldbus/Frm_cands301_tpdo_map.h"
#include "pages/fieldbus/Frm_cands402_ctrl.h"
#include "pages/fieldbus/Frm_cands402_stm.h"
#include "pages/fieldbus/Frm_mdb_ctrl.h"
#include "pages/fieldbus/Frm_mdb_stm.h"
#include "diagrams/Blocks_dat.h"
#include "diagrams/Blocks_stm.h"
#include "platform/Msgbox.h"
#include "shell/Main_page_host.h"

namespace {

struct BenchUnit {
    const char* name;
    ParamPage& (*page)();
    uint16_t bus = 1;  // of slot 0 while the page is measured
};
const BenchUnit UNITS[] = {{"field_bus", Frm_field_bus_page}, {"motore", Frm_motore_page},
                           {"pid_vel", Frm_pid_vel_page},     {"pid_cor", Frm_pid_cor_page},
                           {"pid_pos", Frm_pid_pos_page},     {"taglia_drive", Frm_taglia_drive_page},
                           {"mot_feedback", Frm_mot_feedback_page}, {"mdb_factor", Frm_mdb_factor_page},
                           {"limiti", Frm_limiti_page},       {"filtro_notch", Frm_filtro_notch_page},
                           {"fpb_iq", Frm_fpb_iq_page},       {"mdb_control", Frm_mdb_control_page},
                           {"setup_avanzato", Frm_setup_avanzato_page}, {"mem_alarm", Frm_mem_alarm_page},
                           {"test_i2t", Frm_test_i2t_page},   {"output", Frm_output_page},
                           {"soglie_tensione", Frm_soglie_tensione_page}, {"modo_allarmi", Frm_modo_allarmi_page},
                           {"resistenza_fren", Frm_resistenza_fren_page}, {"fan_ctrl", Frm_fan_ctrl_page},
                           {"input_flt", Frm_input_flt_page},
                           // Modbus positioning pages (slot 0 is on Modbus here)
                           {"mdb_gearbox", Frm_mdb_gearbox_page}, {"mdb_gearbox_sgnc", Frm_mdb_gearbox_sgnc_page},
                           {"mdb_pos", Frm_mdb_pos_page},     {"mdb_pos_par", Frm_mdb_pos_par_page},
                           {"mdb_pos_hp", Frm_mdb_pos_hp_page}, {"mdb_pos_in1_tac", Frm_mdb_pos_in1_tac_page}};

// Sorted dictionaries, a silent message sink, the pages installed, slot 0 on Modbus with its
// read-back equal and list reads on.
void prepare()
{
    static const bool done = [] {
        Sortdat_sort(PrtDat, PRT_DAT_COUNT);
        Sortdat_sort(MdbDat, MDB_DAT_COUNT);
        Sortdat_sort(CanDat, CAN_DAT_COUNT);
        Msgbox_set_sink([](const MsgRequest&) { return MsgOk; });
        Pages_install(Main_page_host());
        return true;
    }();
    (void)done;
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    DriveReadBack = DriveRecordBank[0];
    Ser_data_flags.fetch_or(DataFlag::ListReads);
    DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::Remote));
}

// Slot 0 and its read-back on bus.
void on_bus(uint16_t bus)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, bus);
    DriveReadBack = DriveRecordBank[0];
}

void page_create(benchmark::State& state, const BenchUnit* units)
{
    prepare();
    const BenchUnit& u = units[state.range(0)];
    state.SetLabel(u.name);
    on_bus(u.bus);
    QWidget host;
    for (auto _ : state) {
        u.page().create(0, &host);
        u.page().destroy(0);
    }
}
void BM_PageCreate(benchmark::State& state) { page_create(state, UNITS); }
BENCHMARK(BM_PageCreate)->DenseRange(0, std::size(UNITS) - 1)->Unit(benchmark::kMicrosecond);

// Ticks of the pages, all open, when nothing changed.
void pages_tick(benchmark::State& state, std::span<const BenchUnit> units)
{
    QWidget host;
    for (const BenchUnit& u : units) {
        u.page().create(0, &host);
        u.page().tick();  // the list goes out (without a link: at once)
    }
    Ser_list_reply_count.fetch_add(1);  // a reply since: every polled field is compared
    for (auto _ : state)
        for (const BenchUnit& u : units)
            u.page().tick();
    for (const BenchUnit& u : units)
        u.page().destroy(0);
}
void BM_PageTickNoChange(benchmark::State& state)
{
    prepare();
    pages_tick(state, UNITS);
}
BENCHMARK(BM_PageTickNoChange)->Unit(benchmark::kMicrosecond);

// State-machine, control-word and CiA 301 pages, each on its own bus.
const BenchUnit BUS_UNITS[] = {{"cands402_stm", Frm_cands402_stm_page, 2},
                               {"mdb_stm", Frm_mdb_stm_page, 1},
                               {"cands402_ctrl", Frm_cands402_ctrl_page, 2},
                               {"mdb_ctrl", Frm_mdb_ctrl_page, 1},
                               {"cands301", Frm_cands301_page, 2},
                               {"cands301_dat_com", Frm_cands301_dat_com_page, 2},
                               {"cands301_emerg_store", Frm_cands301_emerg_store_page, 2},
                               {"cands301_rpdo_map", Frm_cands301_rpdo_map_page, 2},
                               {"cands301_tpdo_map", Frm_cands301_tpdo_map_page, 2}};

void BM_BusPageCreate(benchmark::State& state) { page_create(state, BUS_UNITS); }
BENCHMARK(BM_BusPageCreate)->DenseRange(0, std::size(BUS_UNITS) - 1)->Unit(benchmark::kMicrosecond);

void BM_BusPageTickNoChange(benchmark::State& state)
{
    prepare();
    const BenchUnit& u = BUS_UNITS[state.range(0)];
    state.SetLabel(u.name);
    on_bus(u.bus);
    pages_tick(state, {&u, 1});
}
BENCHMARK(BM_BusPageTickNoChange)->DenseRange(0, std::size(BUS_UNITS) - 1)->Unit(benchmark::kMicrosecond);

// Every cell of the store grid (4 x 4), the error history (9 x 3) and a PDO list (9 x 2), with the
// rows' values shown.
void BM_Cands301GridsPaint(benchmark::State& state)
{
    prepare();
    Ser_link_flags.fetch_or(LinkFlag::Answers);
    const uint32_t words[8] = {0x60400010, 0x60600008, 0x607A0020, 0, 0, 0, 0, 0};
    QImage image(300, 20, QImage::Format_RGB32);
    Canvas canvas(&image);
    const DrawRect cell{0, 0, 121, 20};
    for (auto _ : state) {
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                StringGrid_par_writeDrawCell(0, canvas, cell, row, column, false);
        for (int row = 0; row < 9; ++row)
            for (int column = 0; column < 3; ++column)
                StringGrid_alarmDrawCell(0, canvas, cell, row, column, false);
        for (int row = 0; row < 9; ++row)
            for (int column = 0; column < 2; ++column)
                Frm_cands301_tpdo_map_draw_cell(canvas, column, row, cell, words);
    }
    Ser_link_flags.fetch_and(static_cast<uint8_t>(~LinkFlag::Answers));
}
BENCHMARK(BM_Cands301GridsPaint)->Unit(benchmark::kMicrosecond);

// Both state diagrams drawn live with a new state each time, as a status-word change draws them.
void BM_StateDiagramsDraw(benchmark::State& state)
{
    ImageBox can;
    can.resize(358, 337);
    ImageBox mdb;
    mdb.resize(358, 367);
    uint16_t n = 0;
    for (auto _ : state) {
        Blocks_can_stm_draw(&can, static_cast<uint16_t>(n % 9), 1);
        Blocks_mdb_stm_draw(&mdb, static_cast<uint16_t>(n % 8), 1);
        ++n;
    }
}
BENCHMARK(BM_StateDiagramsDraw)->Unit(benchmark::kMicrosecond);

// The full speed diagram (ramps, notch and Iq filter on) placed and painted on an 1100 x 400 image.
void BM_SpeedDiagramPaint(benchmark::State& state)
{
    DriveRecord rec{};
    Rec_set<uint16_t>(rec, BlockSwitch::SpeedFlags, 0x0C);
    Rec_set<uint16_t>(rec, BlockSwitch::FilterFlags, 0x03);
    QImage image(1100, 400, QImage::Format_RGB32);
    Canvas canvas(&image);
    for (auto _ : state) {
        canvas.brush = QBrush(Qt::white);
        canvas.fill_rect({0, 0, image.width(), image.height()});
        Blocks_speed_draw(canvas, Blocks_speed, BLOCKS_SPEED, rec, 1, 0, 0, 0);
        Blocks_speed_draw(canvas, Blocks_speed, BLOCKS_SPEED, rec, 1, 10, 10, 1);
    }
}
BENCHMARK(BM_SpeedDiagramPaint)->Unit(benchmark::kMillisecond);

}  // namespace
