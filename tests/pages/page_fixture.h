#pragma once
// The page tests: the main window fixture of the GUI tests with the page units installed, a host
// window for page frames, and a simulator connection with a chosen bus type and remote state.
#include <QTest>
#include <QWidget>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "gui/main_fixture.h"
#include "link/Seriale.h"
#include "pages/Pages.h"
#include "pages/ParamPage.h"
#include "shell/Main_page_host.h"

namespace pagetest {

inline void put_be16(SimBytes& b, std::size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}

// Keys of one list request: count byte, then "0202h" (Modbus) or "2008h,0" (CANopen) per item.
inline std::vector<std::string> list_keys(const SimLogEntry& e)
{
    std::vector<std::string> out;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02Xh", e.bytes.at(2));
    out.push_back(buf);
    const bool can = (e.bytes[2] >> 6) == 2;
    for (std::size_t i = 3; i + 3 <= e.bytes.size() - 2; i += 3) {
        if (can)
            std::snprintf(buf, sizeof buf, "%02X%02Xh,%u", e.bytes[i], e.bytes[i + 1], e.bytes[i + 2]);
        else
            std::snprintf(buf, sizeof buf, "%02X%02Xh", e.bytes[i], e.bytes[i + 1]);
        out.push_back(buf);
    }
    return out;
}

class PagesTest : public maintest::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        QLocale::setDefault(QLocale::c());
        LanguageIndex = 1;
        PageContext = 0;
        EditStateFlags = 0;
        Pages_install(Main_page_host());
        host_ = std::make_unique<QWidget>();
        host_->resize(800, 600);
        host_->show();
        host_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(host_.get()));
    }
    void TearDown() override
    {
        host_.reset();  // the page frames go with their parent
        if (quiet_) {
            Seriale_clear_queue();
            Ser_link_flags.store(0);
        }
        EditStateFlags = 0;
        PageContext = 0;
        MainWindowTest::TearDown();
    }

    // Parameter writes of key the simulator received.
    std::vector<DriveSim::ParamWrite> writes_of(uint16_t key) const
    {
        std::vector<DriveSim::ParamWrite> out;
        for (const auto& w : sim->param_writes())
            if (w.key == key)
                out.push_back(w);
        return out;
    }

    // A link that is "ready" without a thread, list reads on, remote: what the pages send stays
    // queued. Slot 0 on bus_type.
    void quiet_link(uint16_t bus_type = 1)
    {
        quiet_ = true;
        Seriale_init();
        Seriale_clear_queue();
        Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
        Ser_data_flags.fetch_or(DataFlag::ListReads);
        DriveReadBack = DriveRecord{};  // nothing read back yet: a poll takes zeros, not a past test's values
        DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::Remote));
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, bus_type);
    }
    // With a quiet link: a tick after the poll interval sends the list, then one after its
    // "reply" takes the read-back values. The queue is empty afterwards.
    static void poll_and_reply(ParamPage& page)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(110));
        page.tick();
        Seriale_clear_queue();
        Sertx_forget_read_list();  // as the reply does
        Ser_list_reply_count.fetch_add(1);
        page.tick();
    }

    // Main window connected to a simulator whose image has bus_type and the given 16-bit fields
    // (offset, value); bus status bit 9 set (remote) unless frozen.
    void connect_drive(uint16_t bus_type, bool frozen = false,
                       const std::vector<std::pair<std::size_t, uint16_t>>& fields = {})
    {
        open_window();
        attach_simulator();
        SimBytes image = linktest::test_image(7);
        put_be16(image, RecOfs::BusType, bus_type);
        image[RecOfs::SizeIndex] = 0;  // a size both families' tables hold
        for (const auto& [ofs, value] : fields)
            put_be16(image, ofs, value);
        sim->set_image(image);
        SimBytes status(DriveSim::kStatusSize, 0);
        put_be16(status, 8, frozen ? 0 : 0x0200);
        sim->set_status(status);
        connect_and_read();
    }

    QWidget* host() const { return host_.get(); }

private:
    std::unique_ptr<QWidget> host_;
    bool quiet_ = false;
};

}  // namespace pagetest
