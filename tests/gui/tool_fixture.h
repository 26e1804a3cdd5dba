#pragma once
// The tool windows without a main window: the link ready as far as the request builders can tell
// (the queue exists, no thread runs), message boxes recorded, Italian texts; the windows' timers
// are stopped so that a test calls the ticks with times of its own.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <string>
#include <vector>

#include "gui_app.h"
#include "link/LinkTestUtil.h"
#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "link/Seriale.h"
#include "link/Tools_link.h"
#include "platform/Msgbox.h"
#include "shell/Toolwin.h"

namespace tooltest {

using linktest::queued;

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        linktest::sort_dictionaries();
        State_reset_all();
        Seriale_init();
        Seriale_clear_queue();
        Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
        LanguageIndex = 0;
        old_sink_ = Msgbox_set_sink([this](const MsgRequest& r) {
            boxes.push_back(r.text);
            return MsgOk;
        });
    }
    void TearDown() override
    {
        end_test_objects();
        Msgbox_set_sink(std::move(old_sink_));
        for (int k = 0; k < static_cast<int>(ToolWin::Count); ++k)
            Toolwin_unregister(static_cast<ToolWin>(k));
        Seriale_clear_queue();
        Seriale_queue_close();
        State_reset_all();
    }

    // Types text into a bound edit and presses Enter.
    static void type_into(QLineEdit* memo, const QString& text)
    {
        memo->setFocus();
        memo->clear();
        QTest::keyClicks(memo, text);
        QTest::keyClick(memo, Qt::Key_Return);
    }

    static void stop_timers(QObject* window)
    {
        for (QTimer* t : window->findChildren<QTimer*>())
            t->stop();
    }

    // A status block (drive order) with this status word and alarm word fed to the decoder.
    static void set_status(uint16_t word, uint32_t alarms = 0)
    {
        Drive_status s = Drive_status_get();
        s.status_word = word;
        s.alarm_word = alarms;
        Drive_status_publish(s);
    }

    std::vector<std::string> boxes;

private:
    MsgSink old_sink_;
};

}  // namespace tooltest
