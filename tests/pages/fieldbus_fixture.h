#pragma once
// The field-bus page tests: typing into an edit, direct ticks with a read-back that a reply
// brought, and the simulator's parameter writes of one key.
#include <QLineEdit>

#include <cstring>
#include <thread>

#include "controls/Utxgraph.h"
#include "link/Serrx.h"
#include "page_fixture.h"

namespace pagetest {

class FieldbusTest : public PagesTest {
protected:
    // Types text into the edit of panel and leaves it.
    void enter(ParamPage& page, uint8_t ctx, const char* panel, const char* text)
    {
        MemoUpDwxBase* e = nullptr;
        for (int i = 0; (e = page.edit(ctx, i)) != nullptr; ++i)
            if (e->panel()->objectName() == panel)
                break;
        ASSERT_NE(e, nullptr) << panel;
        QLineEdit other(host());
        other.show();
        e->memo()->setFocus(Qt::TabFocusReason);
        e->memo()->clear();
        QTest::keyClicks(e->memo(), text);
        other.setFocus(Qt::TabFocusReason);
    }
    static int field_index(ParamPage& page, const char* panel)
    {
        for (uint16_t i = 0; i < page.spec().field_count; ++i)
            if (std::strcmp(page.spec().fields[i].panel, panel) == 0)
                return i;
        return -1;
    }
    static void set_raw(uint8_t slot, const FieldSpec& f, uint32_t v)
    {
        if (Edit_size(f.type) == 4)
            Rec_set<uint32_t>(DriveRecordBank[slot], f.ofs, v);
        else if (Edit_size(f.type) == 2)
            Rec_set<uint16_t>(DriveRecordBank[slot], f.ofs, static_cast<uint16_t>(v));
        else
            DriveRecordBank[slot].b[f.ofs] = static_cast<uint8_t>(v);
    }
    // Copy conditions on (list reads, remote) for slot 0 on bus.
    void copy_on(uint16_t bus)
    {
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, bus);
        Ser_data_flags.fetch_or(DataFlag::ListReads);
        DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::Remote));
    }
    // The page's list goes out (without a link at once), then a reply to it "arrives" after
    // receive() set the read-back, and the page ticks.
    template <typename F>
    void reply(ParamPage& page, F receive)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(110));
        page.tick();
        receive();
        Ser_list_reply_count.fetch_add(1);
        page.tick();
    }
    std::vector<DriveSim::ParamWrite> writes_of(uint16_t key) const
    {
        std::vector<DriveSim::ParamWrite> out;
        for (const auto& w : sim->param_writes())
            if (w.key == key)
                out.push_back(w);
        return out;
    }
    template <typename W = QWidget>
    static W* find(ParamPage& page, const char* name, uint8_t ctx = 0)
    {
        return page.find<W>(ctx, name);
    }
    static QString text(ParamPage& page, const char* name, uint8_t ctx = 0)
    {
        return Utxgraph_text(page.find<QWidget>(ctx, name));
    }
};

}  // namespace pagetest
