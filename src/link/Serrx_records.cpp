// Hand-over of received record data to the thread that reads the records.
#include <cstring>
#include <mutex>

#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "link/Fieldbus_link.h"
#include "link/Serrx.h"
#include "link/Sertx.h"

namespace {

struct Handover {
    std::mutex lock;  // guards everything below
    bool on = false;
    uint32_t session = 0;

    bool image_waiting = false;
    uint32_t image_session = 0;
    DriveRecord image{};

    bool alarm_waiting = false;
    uint32_t alarm_session = 0;
    Ser_alarm_mem_rec alarm;
};
Handover handover;

void commit_image(const DriveRecord& image)
{
    DriveRecordBank[0] = image;
    DriveRecordBank[2] = DriveRecordBank[0];
    DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::Modified), std::memory_order_acq_rel);
    PageRefreshByte.store(255);
}

void commit_alarm_mem(const Ser_alarm_mem_rec& mem)
{
    for (unsigned slot : {0u, 2u}) {
        std::memcpy(DriveRecordBank[slot].b + RecOfs::AlarmMem, mem.entries, sizeof mem.entries);
        DriveRecordBank[slot].b[RecOfs::AlarmMemByte] = mem.last;
    }
}

void announce(uint8_t bit)
{
    Ser_data_flags.fetch_or(bit, std::memory_order_release);
}

}  // namespace

void Serrx_record_handover(bool on)
{
    std::lock_guard<std::mutex> hold(handover.lock);
    handover.on = on;
    handover.image_waiting = false;
    handover.alarm_waiting = false;
}

bool Serrx_post_image(const DriveRecord& image, uint32_t session)
{
    std::lock_guard<std::mutex> hold(handover.lock);
    if (!handover.on) {
        commit_image(image);
        return true;
    }
    handover.image = image;
    handover.image_session = session;
    handover.image_waiting = true;
    handover.alarm_waiting = false;  // the image holds the alarm memory as it is now
    return false;
}

bool Serrx_post_alarm_mem(const Ser_alarm_mem_rec& mem)
{
    std::lock_guard<std::mutex> hold(handover.lock);
    if (!handover.on) {
        commit_alarm_mem(mem);
        return true;
    }
    handover.alarm = mem;
    handover.alarm_session = handover.session;
    handover.alarm_waiting = true;
    return false;
}

bool Serrx_take_records()
{
    std::lock_guard<std::mutex> hold(handover.lock);
    const bool current = Ser_link_flags.load() & LinkFlag::Answers;
    bool image = false;
    if (handover.image_waiting) {
        handover.image_waiting = false;
        if (current && handover.image_session == handover.session) {
            commit_image(handover.image);
            announce(DataFlag::ImageRead);
            image = true;
        }
    }
    if (handover.alarm_waiting) {
        handover.alarm_waiting = false;
        if (current && handover.alarm_session == handover.session) {
            commit_alarm_mem(handover.alarm);
            announce(DataFlag::AlarmMem);
        }
    }
    return image;
}

uint32_t Serrx_new_session()
{
    std::lock_guard<std::mutex> hold(handover.lock);
    handover.image_waiting = false;
    handover.alarm_waiting = false;
    Ds301Identity_forget(++handover.session);
    return handover.session;
}

uint32_t Serrx_session()
{
    std::lock_guard<std::mutex> hold(handover.lock);
    return handover.session;
}
