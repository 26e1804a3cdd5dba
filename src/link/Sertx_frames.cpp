// The two fixed requests that live outside the queue while the link exists.
#include "drivedata/Globvar.h"
#include "link/Seriale.h"

Ser_req_ptr Ser_poll_frame;
Ser_req_ptr Ser_hello_frame;

namespace {

void finish_fixed(Ser_req_ptr& slot, Ser_req_ptr req)
{
    Ser_frame_set_crc(req->frame.get(), req->length);
    slot = std::move(req);
}

}  // namespace

void Sertx_new_poll_frame()
{
    if (!Ser_poll_frame)
        finish_fixed(Ser_poll_frame, Ser_req_new(SerCmd::Status, 0));
}

void Sertx_new_hello_frame()
{
    if (Ser_hello_frame)
        return;
    Ser_req_ptr req = Ser_req_new(SerCmd::Ident, 2);
    req->frame[2] = ProgramVersion.major;
    req->frame[3] = ProgramVersion.minor;
    finish_fixed(Ser_hello_frame, std::move(req));
}

void Sertx_free_poll_frame()
{
    Ser_poll_frame.reset();
}

void Sertx_free_hello_frame()
{
    Ser_hello_frame.reset();
}
