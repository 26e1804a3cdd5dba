#include "tools/Tools.h"

#include "scope/Oscx_pid.h"
#include "shell/Main_menus.h"
#include "shell/Toolwin.h"
#include "tools/Formx_azzera_enc.h"
#include "tools/Formx_azzera_enc_abs.h"
#include "tools/Formx_cog_dat.h"
#include "tools/Formx_tar_cog.h"
#include "tools/Load_motor.h"
#include "tools/Pos_quote_test.h"
#include "tools/Tar_pos_sensor.h"

namespace {
template <typename W>
void register_window(ToolWin kind)
{
    Toolwin_register(kind, [](QWidget* parent) -> QWidget* { return new W(parent); });
}
}  // namespace

void Tools_install()
{
    register_window<TForm_tar_pos_sensor_ck>(ToolWin::TarPosSensorCk);
    register_window<TForm_tar_pos_sensor>(ToolWin::TarPosSensor);
    register_window<TForm_Azzera_Enc_Ck>(ToolWin::AzzeraEncCk);
    register_window<TForm_Azzera_Enc>(ToolWin::AzzeraEnc);
    register_window<TForm_Azzera_Enc_ABS>(ToolWin::AzzeraEncAbs);
    register_window<TForm_tar_cog_ck>(ToolWin::TarCogCk);
    register_window<TForm_tar_cog>(ToolWin::TarCog);
    register_window<TForm_cog_dat>(ToolWin::CogDat);
    register_window<TForm_load_motor>(ToolWin::LoadMotor);
    register_window<TForm_Oscx_PID>(ToolWin::OscxPID);
    ToolsEntries.load_motor_file = Load_motor_load;
    // A bench that cannot run is not made: its opener gets no window.
    Toolwin_register(ToolWin::PosQuoteTest, [](QWidget* parent) -> QWidget* {
        return Pos_quote_test_allowed() ? new TForm_pos_quote_test(parent) : nullptr;
    });
    ToolsEntries.pos_test_close = Pos_quote_test_close;
}
