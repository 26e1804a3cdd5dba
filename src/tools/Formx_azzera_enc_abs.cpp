#include "tools/Formx_azzera_enc_abs.h"

#include "link/Tools_link.h"
#include "shell/Main.h"

namespace {
constexpr uint8_t MOVE_PHASE = 2;
const ZeroingKind ABSOLUTE_KIND = {"Form_Azzera_Enc_ABS", 10, ProcMode::AbsZeroing, 9, 9, 9, MOVE_PHASE,
                                   &AbsZeroingReply.AbsZeroingPhase, TForm_main::BarAzzeraEncAbs, false};
}  // namespace

TForm_Azzera_Enc_ABS::TForm_Azzera_Enc_ABS(QWidget* parent) : ZeroingWindow(parent, ABSOLUTE_KIND) {}

TForm_Azzera_Enc_ABS::~TForm_Azzera_Enc_ABS() = default;

void TForm_Azzera_Enc_ABS::invalidate() { last_offset = static_cast<uint16_t>(~ZeroingReply.ZeroingOffset.load()); }

void TForm_Azzera_Enc_ABS::show_values()
{
    const uint16_t offset = ZeroingReply.ZeroingOffset.load();
    const uint16_t angle = ZeroingReply.ZeroingAngle.load();
    if (offset == last_offset && angle == last_angle)
        return;
    last_offset = offset;
    last_angle = angle;
    show_counts(offset, angle, Zeroing_offset_degrees(offset), Zeroing_offset_degrees(angle));
    paint_picture(0, angle, offset, false, AbsZeroingReply.AbsZeroingPhase.load() < MOVE_PHASE);
}
