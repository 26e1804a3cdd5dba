#pragma once
// Shared pieces of the link tests: resetting the link's global state, waiting with deadlines,
// a drive simulator wired to the link, and checks on the simulator's frame log.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "DriveSim.h"
#include "drivedata/Globvar.h"
#include "drivedata/Init.h"
#include "drivedata/Record.h"
#include "drivedata/Sortdat.h"
#include "link/Scope_link.h"
#include "link/Link_state.h"
#include "link/Seriale.h"
#include "link/Seriale_port.h"
#include "link/Serrx.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"
#include "platform/Tick.h"

namespace linktest {

using namespace std::chrono_literals;

inline bool wait_until(const std::function<bool()>& pred, int timeout_ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= end)
            return pred();
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

inline bool link_bits(uint8_t bits)
{
    return (Ser_link_flags.load(std::memory_order_acquire) & bits) == bits;
}

inline bool data_bits(uint8_t bits)
{
    return (Ser_data_flags.load(std::memory_order_acquire) & bits) == bits;
}

inline void sort_dictionaries()
{
    static const bool sorted = [] {
        Sortdat_sort(PrtDat, PRT_DAT_COUNT);
        Sortdat_sort(MdbDat, MDB_DAT_COUNT);
        Sortdat_sort(CanDat, CAN_DAT_COUNT);
        return true;
    }();
    (void)sorted;
}

// A drive image in drive order: pseudo-random bytes, version bytes 20/21 zero (the link
// stamps them), bus type 1 (Modbus) so that parameters have dictionary entries.
inline SimBytes test_image(unsigned seed)
{
    std::mt19937 gen(seed);
    SimBytes img(DRIVE_RECORD_SIZE);
    for (auto& b : img)
        b = static_cast<uint8_t>(gen());
    img[RecOfs::VersionMajor] = 0;
    img[RecOfs::VersionMinor] = 0;
    img[RecOfs::BusType] = 0;
    img[RecOfs::BusType + 1] = 1;
    return img;
}

// The image as slot 0 holds it after the read: the data version stamped where it was 0.
inline SimBytes expected_image(SimBytes img)
{
    img[RecOfs::VersionMajor] = 3;
    img[RecOfs::VersionMinor] = 20;
    return img;
}

// Slot 0 converted back to drive order.
inline SimBytes slot0_drive_order()
{
    DriveRecord copy = DriveRecordBank[0];
    Init_swap_image(copy.b);
    return SimBytes(copy.b, copy.b + DRIVE_RECORD_SIZE);
}

inline std::vector<std::string> hex_requests(const DriveSim& sim, int cmd = -1)
{
    std::vector<std::string> out;
    for (const auto& e : sim.requests(cmd))
        out.push_back(sim_hex(e.bytes));
    return out;
}

inline std::string joined(const std::vector<std::string>& v)
{
    std::string s;
    for (const auto& x : v)
        s += x + "\n";
    return s;
}

inline unsigned block_offset(const SimLogEntry& e)
{
    return static_cast<unsigned>(e.bytes[2]) << 8 | e.bytes[3];
}

// Stop-and-wait: every request that is not a repeat of the one before starts only after a
// reply that began after that one was sent. Returns the first offending pair, or "".
inline std::string stop_and_wait_breach(const DriveSim& sim)
{
    const auto log = sim.log();
    const SimLogEntry* last_req = nullptr;
    bool answered = false;
    for (const auto& e : log) {
        if (e.dir == SimLogEntry::Reply) {
            if (last_req && e.start >= last_req->end)
                answered = true;
            continue;
        }
        if (last_req && !answered && e.bytes != last_req->bytes)
            return sim_hex(last_req->bytes) + " -> " + sim_hex(e.bytes);
        last_req = &e;
        answered = false;
    }
    return {};
}

// Every request is answered before the next one goes out, by its own answer (the simulator's
// serials tell which request an answer belongs to; a repeat may take the answer to the request it
// repeats), unless the link gave up on it: the next request came at least three quarters of
// `timeout` later. Identification requests, which go unanswered every 100 ms while no drive
// answers and take identifications only, are not judged. Returns the first offending pair, or "".
inline std::string pairing_breach(const DriveSim& sim, std::chrono::milliseconds timeout)
{
    const auto log = sim.log();
    std::map<uint32_t, SimClock::time_point> answered_at;  // end of the first answer to each request
    for (const auto& e : log)
        if (e.dir == SimLogEntry::Reply)
            answered_at.emplace(e.serial, e.end);
    const SimLogEntry* last = nullptr;
    std::vector<uint32_t> answered_by;  // serials whose answers answer the last request
    for (const auto& e : log) {
        if (e.dir != SimLogEntry::Request)
            continue;
        bool answered = false;
        if (last != nullptr) {
            for (const uint32_t s : answered_by) {
                const auto it = answered_at.find(s);
                answered = answered || (it != answered_at.end() && it->second <= e.start);
            }
            if (last->cmd != SerCmd::Ident && !answered && e.start - last->start < timeout * 3 / 4)
                return sim_hex(last->bytes) + " -> " + sim_hex(e.bytes) + " without its answer";
        }
        if (last == nullptr || answered || e.bytes != last->bytes)
            answered_by.clear();
        answered_by.push_back(e.serial);
        last = &e;
    }
    return {};
}

// Queued frames without their CRC bytes (written at send time).
inline std::vector<std::string> queued()
{
    std::vector<std::string> out;
    for (const auto& e : Seriale_view().entries)
        out.push_back(sim_hex(SimBytes(e.frame.begin(), e.frame.end() - 2)));
    return out;
}

// A link that is ready as far as the builders can tell; the queue exists, no thread runs.
class Builders : public ::testing::Test {
protected:
    void SetUp() override
    {
        sort_dictionaries();
        State_reset_all();
        Seriale_init();
        Seriale_clear_queue();
        Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    }
    void TearDown() override { Seriale_queue_close(); }
};

// Frames fed to the receive side as if read from the port at chosen times.
class RxFeed : public Builders {
protected:
    void SetUp() override
    {
        Builders::SetUp();
        now_ = Tick_ms() + 1000;
        arm();
    }
    // A new transmission of a command waiting for its reply (the port is closed: armed only).
    void arm(uint8_t cmd = SerCmd::Status, bool fence = false)
    {
        Ser_tx_frame f;
        f.length = 4;
        f.bytes[0] = 4;
        f.bytes[1] = cmd;
        Sertx_send_frame(f, fence);
    }
    void feed(const SimBytes& b, uint32_t after_ms = 0)
    {
        now_ += after_ms;
        Serrx_feed(b.data(), b.size(), now_);
    }
    // True when a reply was dispatched (taken back so the next check starts clean).
    bool woken() { return Ser_reply_sem.wait(0); }

    uint32_t now_ = 0;
};

inline SimBytes cat(SimBytes a, const SimBytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline SimBytes status_payload(uint16_t word)
{
    SimBytes s(28, 0);
    s[0] = static_cast<uint8_t>(word >> 8);
    s[1] = static_cast<uint8_t>(word);
    return s;
}

// A connected link to a drive simulator; torn down after each test.
class SimLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        sort_dictionaries();
        old_sink_ = Msgbox_set_sink([this](const MsgRequest& r) {
            boxes.push_back(r.text);
            return MsgOk;
        });
        State_reset_all();
        sim = std::make_unique<DriveSim>();
        Link_settings_set({sim->port_name(), 57600, false});
        Seriale_init_link();
    }
    void TearDown() override
    {
        Seriale_close_link();
        Seriale_wait_stopped(3000);
        Seriale_close();
        EXPECT_EQ(joined(sim->violations()), "");
        sim.reset();
        Msgbox_set_sink(std::move(old_sink_));
    }
    void connect() { ASSERT_TRUE(Seriale_open_link(LinkMode::Normal)); }
    // Closes the link and puts a new drive on a new line, as between two tests.
    void restart_sim()
    {
        Seriale_close_link();
        Seriale_wait_stopped(3000);
        EXPECT_EQ(joined(sim->violations()), "");
        State_reset_all();
        sim = std::make_unique<DriveSim>();
        Link_settings_set({sim->port_name(), 57600, false});
    }
    // Connects to a drive holding `image` and waits for the whole image.
    void connect_with_image(const SimBytes& image)
    {
        sim->set_image(image);
        connect();
        ASSERT_TRUE(wait_until([] { return data_bits(DataFlag::ImageRead); }, 5000));
    }

    std::unique_ptr<DriveSim> sim;
    std::vector<std::string> boxes;

private:
    MsgSink old_sink_;
};

}  // namespace linktest
