#pragma once
// Shared set-up of the control tests: sorted dictionaries, a recording message sink, saved and
// restored drive data, language and locale, and dictionary entries patched for one test.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <QLocale>
#include <QString>

#include "drivedata/Busx.h"
#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "drivedata/Sortdat.h"
#include "gui_app.h"
#include "platform/Msgbox.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// Replaces one dictionary entry for the life of the object.
class EntryPatch {
public:
    EntryPatch(BusObjectEntry* table, uint16_t count, Loc var)
    {
        const int32_t i = Busx_bsearch(var, table, count);
        if (i < 0)
            throw std::runtime_error("no entry to patch");
        entry_ = &table[i];
        saved_ = *entry_;
    }
    ~EntryPatch() { *entry_ = saved_; }
    EntryPatch(const EntryPatch&) = delete;
    EntryPatch& operator=(const EntryPatch&) = delete;
    BusObjectEntry* operator->() { return entry_; }

private:
    BusObjectEntry* entry_;
    BusObjectEntry saved_;
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        static const bool sorted = [] {
            Sortdat_sort(PrtDat, PRT_DAT_COUNT);
            Sortdat_sort(MdbDat, MDB_DAT_COUNT);
            Sortdat_sort(CanDat, CAN_DAT_COUNT);
            return true;
        }();
        (void)sorted;
        std::memcpy(saved_bank_, DriveRecordBank, sizeof saved_bank_);
        saved_readback_ = DriveReadBack;
        saved_language_ = LanguageIndex;
        saved_ui_ = DriveUiFlags.load();
        saved_link_ = Ser_link_flags.load();
        LanguageIndex = 0;
        DriveUiFlags = 0;
        Ser_link_flags = 0;
        QLocale::setDefault(QLocale::c());
        set_bus_type(0, 1);
        set_bus_type(1, 1);
        previous_sink_ = Msgbox_set_sink([this](const MsgRequest& r) {
            messages_.push_back(r);
            if (on_message)
                on_message(r);
            return MsgOk;
        });
    }

    void TearDown() override
    {
        Msgbox_set_sink(previous_sink_);
        for (const MsgRequest& m : messages_)
            ADD_FAILURE() << "unexpected message: " << m.text;
        std::memcpy(DriveRecordBank, saved_bank_, sizeof saved_bank_);
        DriveReadBack = saved_readback_;
        LanguageIndex = saved_language_;
        DriveUiFlags = saved_ui_;
        Ser_link_flags = saved_link_;
        QLocale::setDefault(QLocale::c());
    }

    // The messages shown since the last call.
    std::vector<MsgRequest> take_messages()
    {
        std::vector<MsgRequest> out;
        out.swap(messages_);
        return out;
    }

    static void set_bus_type(uint8_t slot, uint16_t type)
    {
        Rec_set<uint16_t>(DriveRecordBank[slot], RecOfs::BusType, type);
    }
    static void set_motor_type(uint8_t slot, uint16_t type)
    {
        Rec_set<uint16_t>(DriveRecordBank[slot], RecOfs::MotorType, type);
    }

    std::function<void(const MsgRequest&)> on_message;

private:
    std::vector<MsgRequest> messages_;
    MsgSink previous_sink_;
    DriveRecord saved_bank_[4];
    DriveRecord saved_readback_;
    uint8_t saved_language_ = 0;
    uint8_t saved_ui_ = 0;
    uint8_t saved_link_ = 0;
};
