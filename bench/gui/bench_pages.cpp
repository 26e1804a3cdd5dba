// Page figures: each page unit's Create (frame and edits built, then destroyed), and one
// Timer_com tick of every open page when nothing changed (values polled, read-back equal); at
// one tick per 10 ms, a tick time t uses t / 10 ms of a core.
#include <benchmark/benchmark.h>

#include <QWidget>

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
#include "pages/fieldbus/Factor_page.h"
#include "pages/drive/Frm_filtro_notch.h"
#include "pages/drive/Frm_fpb_iq.h"
#include "pages/drive/Frm_limiti.h"
#include "pages/fieldbus/Frm_mdb_control.h"
#include "diagrams/Blocks_dat.h"
#include "platform/Msgbox.h"
#include "shell/Main_page_host.h"

namespace {

struct BenchUnit {
    const char* name;
    ParamPage& (*page)();
};
const BenchUnit UNITS[] = {{"field_bus", Frm_field_bus_page}, {"motore", Frm_motore_page},
                           {"pid_vel", Frm_pid_vel_page},     {"pid_cor", Frm_pid_cor_page},
                           {"pid_pos", Frm_pid_pos_page},     {"taglia_drive", Frm_taglia_drive_page},
                           {"mot_feedback", Frm_mot_feedback_page}, {"mdb_factor", Frm_mdb_factor_page},
                           {"limiti", Frm_limiti_page},       {"filtro_notch", Frm_filtro_notch_page},
                           {"fpb_iq", Frm_fpb_iq_page},       {"mdb_control", Frm_mdb_control_page}};

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

void BM_PageCreate(benchmark::State& state)
{
    prepare();
    const BenchUnit& u = UNITS[state.range(0)];
    state.SetLabel(u.name);
    QWidget host;
    for (auto _ : state) {
        u.page().create(0, &host);
        u.page().destroy(0);
    }
}
BENCHMARK(BM_PageCreate)->DenseRange(0, std::size(UNITS) - 1)->Unit(benchmark::kMicrosecond);

void BM_PageTickNoChange(benchmark::State& state)
{
    prepare();
    QWidget host;
    for (const BenchUnit& u : UNITS) {
        u.page().create(0, &host);
        u.page().tick();  // the list goes out (without a link: at once)
    }
    Ser_list_reply_count.fetch_add(1);  // a reply since: every polled field is compared
    for (auto _ : state)
        for (const BenchUnit& u : UNITS)
            u.page().tick();
    for (const BenchUnit& u : UNITS)
        u.page().destroy(0);
}
BENCHMARK(BM_PageTickNoChange)->Unit(benchmark::kMicrosecond);

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
