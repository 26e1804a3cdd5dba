#pragma once
// The main window in a test: an empty temporary folder as the start folder, an English system,
// a recording message sink with scripted answers, the three start-up windows, counting pages,
// and (optionally) a drive simulator on the port box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui_app.h"
#include "link/LinkTestUtil.h"
#include "platform/Msgbox.h"
#include "platform/Tick.h"
#include "shell/Allarmi.h"
#include "shell/Main.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Splash.h"
#include "shell/Terminal.h"
#include "shell/Treectrl.h"

namespace maintest {

using ::pump_for;
using ::pump_until;

// Big-endian fields of the simulator's image and status.
inline void put_be16(SimBytes& b, std::size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}
inline void put_be32(SimBytes& b, std::size_t at, uint32_t v)
{
    put_be16(b, at, static_cast<uint16_t>(v >> 16));
    put_be16(b, at + 2, static_cast<uint16_t>(v));
}

// ---- counting pages: entry points that log what the shell calls ----
struct PageCalls {
    std::vector<std::string> log;  // "C<n>/<ctx>", "D<n>/<ctx>", "L<n>/<ctx>", "R<n>/<ctx>"
    std::vector<QPointer<QWidget>> frames;
    int live = 0;  // frames created and not destroyed
};
inline PageCalls& page_calls()
{
    static PageCalls calls;
    return calls;
}
template <int N>
QPointer<QWidget>& page_frame(uint8_t context)
{
    static QPointer<QWidget> frames[2];
    return frames[context & 1];
}
template <int N>
void page_create(uint8_t context, QWidget* parent)
{
    page_calls().log.push_back("C" + std::to_string(N) + "/" + std::to_string(context));
    ++page_calls().live;
    page_frame<N>(context) = new QWidget(parent);
    page_frame<N>(context)->setMinimumSize(200, 100);
    page_frame<N>(context)->show();
}
template <int N>
void page_destroy(uint8_t context)
{
    page_calls().log.push_back("D" + std::to_string(N) + "/" + std::to_string(context));
    --page_calls().live;
    delete page_frame<N>(context).data();
}
template <int N>
void page_language(uint8_t context)
{
    page_calls().log.push_back("L" + std::to_string(N) + "/" + std::to_string(context));
}

// Gives the node counting entry points and restores the old ones when destroyed.
class CountingNode {
public:
    template <int N>
    static std::unique_ptr<CountingNode> make(PageNode& node)
    {
        auto c = std::unique_ptr<CountingNode>(new CountingNode(node));
        node.PageCreate = page_create<N>;
        node.PageDestroy = page_destroy<N>;
        node.PageSetLanguage = page_language<N>;
        return c;
    }
    ~CountingNode() { node_ = saved_; }

private:
    explicit CountingNode(PageNode& node) : node_(node), saved_(node) {}
    PageNode& node_;
    PageNode saved_;
};

// ---- fixture ----
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        ASSERT_TRUE(dir_.isValid());
        old_cwd_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir_.path()));
        Settings_set_start_folder([this] { return std::filesystem::path(dir_.path().toStdString()); });
        Settings_set_system_language_id([] { return static_cast<uint16_t>(1033); });
        old_sink_ = Msgbox_set_sink([this](const MsgRequest& r) {
            boxes.push_back(r);
            if (!answers.empty()) {
                const MsgButton a = answers.front();
                answers.pop_front();
                return a;
            }
            return (r.buttons & MsgOk) ? MsgOk : MsgYes;
        });
        linktest::sort_dictionaries();
        State_reset_all();
        SplashDurationMs = 10;
        page_calls() = PageCalls{};
        nodes_.push_back(CountingNode::make<1>(PageNode_field_bus));
        nodes_.push_back(CountingNode::make<2>(PageNode_motore));
        nodes_.push_back(CountingNode::make<3>(PageNode_mdb_stm));
        nodes_.push_back(CountingNode::make<4>(PageNode_cands402_stm));
    }

    void TearDown() override
    {
        end_test_objects();  // the body's dialog scripts end with it, before the windows go
        close_window();
        sim.reset();
        nodes_.clear();
        Msgbox_set_sink(std::move(old_sink_));
        Settings_set_system_language_id({});
        Settings_set_start_folder({});
        SplashDurationMs = 2000;
        QDir::setCurrent(old_cwd_);
    }

    // The three start-up windows, in their order; waits for the end of the first showing.
    TForm_main* open_window(bool wait_shown = true)
    {
        main = std::make_unique<TForm_main>();
        terminal = std::make_unique<TForm_terminal>();
        alarms = std::make_unique<TForm_allarmi>();
        main->show();
        if (wait_shown) {
            EXPECT_TRUE(pump_until([this] { return main->form_shown(); }, 10000));
        }
        return main.get();
    }

    // Closes the main window unasked where possible, then destroys the windows.
    void close_window()
    {
        if (main) {
            WritePending = 0;
            DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::Modified));
            answers.clear();
            answers.push_back(MsgNo);
            main->close();
        }
        alarms.reset();
        terminal.reset();
        main.reset();
    }

    // A simulator whose port the port box lists and the settings name.
    void attach_simulator()
    {
        sim = std::make_unique<DriveSim>();
        ASSERT_TRUE(Settings_set_port_name(sim->port_name()));
        Settings_publish_link();
        Seriale_poll_ports(Tick_ms() + 5000);  // rescan now
        if (main)
            main->Main_fill_port_box();
    }

    // The whole image of a drive has been read, without a drive: the display step that enables
    // the drive commands (link flags `linked`).
    void image_read_tick(uint8_t linked)
    {
        Drive_status_publish(Drive_status{});
        Ser_tx_state.store(LinkState::Run);
        Ser_link_flags.fetch_or(linked);
        Ser_data_flags.fetch_or(DataFlag::ImageRead);
        main->Timer_comTimer();
        main->Timer_com->stop();
    }

    // Connect button; waits for the whole image and its first display.
    void connect_and_read()
    {
        main->BitBtn_connect->click();
        ASSERT_TRUE(pump_until([] { return linktest::data_bits(DataFlag::ListReads); }, 8000));
        pump_for(100);
    }

    bool linked_and_running() const
    {
        return Ser_tx_state.load() == LinkState::Run && linktest::link_bits(LinkFlag::Answers);
    }

    // ui() of the main window.
    std::string ui(const std::string& spec) const { return ::ui(spec, main.get()); }

    // The message boxes shown, texts joined by '|'.
    std::string box_texts() const
    {
        std::string s;
        for (const MsgRequest& r : boxes)
            s += (s.empty() ? "" : "|") + r.text;
        return s;
    }

    std::unique_ptr<TForm_main> main;
    std::unique_ptr<TForm_terminal> terminal;
    std::unique_ptr<TForm_allarmi> alarms;
    std::unique_ptr<DriveSim> sim;
    std::vector<MsgRequest> boxes;
    std::deque<MsgButton> answers;
    QTemporaryDir dir_;

private:
    QString old_cwd_;
    MsgSink old_sink_;
    std::vector<std::unique_ptr<CountingNode>> nodes_;
};

}  // namespace maintest
