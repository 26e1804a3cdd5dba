#include "tools/Tools.h"

#include "shell/Toolwin.h"
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
}
