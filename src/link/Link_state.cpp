#include "link/Link_state.h"

#include "drivedata/Globvar.h"
#include "link/Scope_link.h"
#include "link/Serrx.h"
#include "link/Sertx.h"

StateResetEntries StateResets;

void LinkSharedState::reset()
{
    Ser_mode_changed.store(0);
    Ser_image_read_pos.offset.store(0);
    Ser_image_read_pos.count.store(0);
    Ser_image_read_pos.active.store(0);
    PageContext.store(0);
    SimInputMask.store(0);
    ScopeCaptureOn.store(0);
    OscxPidOpen.store(0);
    Ser_status_seen.store(0);
    Sertx_line_reset();
    Sertx_forget_read_list();
    Ser_write_ack.flag.store(0);
    Ser_chunk_sent.store(0);
}

void State_reset_all()
{
    DriveDataState::reset();
    LinkSharedState::reset();
    if (StateResets.upper != nullptr)
        StateResets.upper();
}
