// Positioning test bench: its set-up and restore frames on the simulator's log per motor type,
// the commands of its buttons, the page tree around its bus-type change and the main window's
// close; the table, editor and monitor rules without a drive.
#include "files_fixture.h"
#include "text_fit.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdio>

#include "drivedata/Fieldtab.h"
#include "link/Seriale.h"
#include "link/Seriale_port.h"
#include "shell/Main_menus.h"
#include "shell/Settings.h"
#include "shell/Toolwin.h"
#include "tools_core/Load_motor_core.h"
#include "tools/Pos_quote_test.h"
#include "tools/Tools.h"

namespace {

using namespace maintest;

// The link requests from `from` on as "F<code>,<value>" (command 8) and "W<key>=<value>" (command
// 4, "s" appended when stored permanently).
std::vector<std::string> events(const DriveSim& sim, std::size_t from = 0)
{
    std::vector<std::string> out;
    const std::vector<SimLogEntry> requests = sim.requests();
    for (std::size_t i = from; i < requests.size(); ++i) {
        const SimBytes& b = requests[i].bytes;
        char text[48] = {};
        if (requests[i].cmd == 8 && b.size() >= 4) {
            std::snprintf(text, sizeof text, "F%u,%u", b[2], b[3]);
        } else if (requests[i].cmd == 4 && b.size() >= 10) {
            const uint32_t value = uint32_t{b[6]} << 24 | uint32_t{b[7]} << 16 | uint32_t{b[8]} << 8 | b[9];
            std::snprintf(text, sizeof text, "W%04X=%u%s", b[2] << 8 | b[3], value, (b[5] & 0x80) ? "s" : "");
        } else {
            continue;
        }
        out.push_back(text);
    }
    return out;
}

// Whether `want` appears in `seen` in this order (other events between).
bool in_order(const std::vector<std::string>& seen, const std::vector<std::string>& want)
{
    auto it = seen.begin();
    for (const std::string& w : want) {
        it = std::find(it, seen.end(), w);
        if (it == seen.end())
            return false;
        ++it;
    }
    return true;
}

std::string joined(const std::vector<std::string>& v)
{
    std::string s;
    for (const std::string& x : v)
        s += x + " ";
    return s;
}

const uint16_t BUS_TYPE_KEY = static_cast<uint16_t>(Fieldtab_find(110)->common);
std::string bus_type_write(unsigned v)
{
    char text[16];
    std::snprintf(text, sizeof text, "W%04X=%u", BUS_TYPE_KEY, v);
    return text;
}

TForm_pos_quote_test* bench() { return qobject_cast<TForm_pos_quote_test*>(Toolwin_open(ToolWin::PosQuoteTest)); }

class BenchTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Tools_install();
    }
    void TearDown() override
    {
        Pos_quote_test_close();
        for (int k = 0; k < static_cast<int>(ToolWin::Count); ++k)
            Toolwin_unregister(static_cast<ToolWin>(k));
        ToolsEntries = {};
        MainWindowTest::TearDown();
    }
    void connect_drive(uint16_t bus_type)
    {
        open_window();
        attach_simulator();
        // The drive reports local control (field-bus status bit 9) until the program takes it:
        // the main window sends no remote requests of its own while its remote button is up.
        SimBytes status(DriveSim::kStatusSize, 0);
        status[8] = 0x02;
        sim->set_status(status);
        SimBytes bus(2);
        put_be16(bus, 0, bus_type);
        sim->set_image_bytes(RecOfs::BusType, bus);
        SimBytes factor(4);
        put_be32(factor, 0, 1000);
        sim->set_image_bytes(PosTestOfs::VelocityNum, factor);
        connect_and_read();
        LanguageIndex = 0;
    }
    void set_motor(uint16_t type, uint32_t pole_pitch)
    {
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::Motor + MotorField::MotorType, type);
        Rec_set<uint32_t>(DriveRecordBank[0], RecOfs::Motor + MotorField::PolePitch, pole_pitch);
    }
    // Opens the bench from the main window's button; its set-up has reached the drive.
    TForm_pos_quote_test* open_bench()
    {
        const std::size_t mark = sim->requests().size();
        EXPECT_TRUE(pump_until([this] { return main->BitBtn_pos_test->isEnabled(); }, 5000));
        main->BitBtn_pos_test->click();
        EXPECT_TRUE(pump_until([&] { return in_order(events(*sim, mark), {"W0410=50"}); }, 5000))
            << joined(events(*sim, mark));
        return bench();
    }
    // Closes it; its restore has reached the drive.
    void close_bench(unsigned old_bus_type)
    {
        const std::size_t mark = sim->requests().size();
        bench()->BitBtn_Close->click();
        EXPECT_TRUE(pump_until([] { return bench() == nullptr; }, 5000));
        EXPECT_TRUE(pump_until([&] { return in_order(events(*sim, mark), {bus_type_write(old_bus_type)}); }, 5000))
            << joined(events(*sim, mark));
    }
};

TEST_F(BenchTest, SetUpAndRestoreFramesByMotorType)
{
    connect_drive(0);
    struct Row {
        const char* name;
        uint16_t motor_type;
        uint32_t pole_pitch;
        bool remote_before;
        std::vector<std::string> factors;  // 0609h, 060Bh, 0406h, 0408h, 040Ah, 040Ch
    };
    const Row rows[] = {
        {"rotary", 0, 0, false,
         {"W0609=1", "W060B=1", "W0406=16384", "W0408=15", "W040A=16384", "W040C=15"}},
        {"linear", 1, 32000, false,
         {"W0609=655360", "W060B=32000", "W0406=6553600", "W0408=32000", "W040A=6553600", "W040C=32000"}},
        {"rotary, remote pressed before", 0, 0, true,
         {"W0609=1", "W060B=1", "W0406=16384", "W0408=15", "W040A=16384", "W040C=15"}},
    };
    for (const Row& r : rows) {
        set_motor(r.motor_type, r.pole_pitch);
        main->SpeedButton_bus_remote->setChecked(r.remote_before);
        const std::size_t mark = sim->requests().size();
        TForm_pos_quote_test* w = open_bench();
        ASSERT_NE(w, nullptr) << r.name;
        const std::vector<std::string> setup = events(*sim, mark);
        std::vector<std::string> want = {"F6,0", "F3,0", "F4,0", bus_type_write(1), "W0401=3", "W0640=0"};
        want.insert(want.end(), r.factors.begin(), r.factors.end());
        for (const char* e : {"W0612=100", "W0614=10000", "W0616=10000", "W040E=910", "W0410=50"})
            want.push_back(e);
        EXPECT_TRUE(in_order(setup, want)) << r.name << ": " << joined(setup);
        for (const std::string& e : setup)
            EXPECT_NE(e.back(), 's') << r.name << ": nothing stored permanently: " << e;
        EXPECT_TRUE(main->SpeedButton_bus_remote->isChecked()) << r.name;

        const std::size_t close_mark = sim->requests().size();
        close_bench(0);
        const std::vector<std::string> restore = events(*sim, close_mark);
        EXPECT_TRUE(in_order(restore, {"F6,0", "F4,0"})) << r.name << ": " << joined(restore);
        const bool gave_back = in_order(restore, {"F3,1"});
        EXPECT_EQ(gave_back, !r.remote_before) << r.name << ": " << joined(restore);
        EXPECT_EQ(main->SpeedButton_bus_remote->isChecked(), r.remote_before) << r.name;
        EXPECT_TRUE(in_order(restore, {"W0406=1000", "W0401=0", bus_type_write(0)})) << r.name << ": " << joined(restore);
        EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::BusType), 0) << r.name;
    }
}

TEST_F(BenchTest, ButtonsDriveTheTestAndTheCommandWord)
{
    connect_drive(1);
    TForm_pos_quote_test* w = open_bench();
    ASSERT_NE(w, nullptr);
    std::size_t mark = sim->requests().size();
    w->SpeedButton_test_on_off->click();
    EXPECT_EQ(w->SpeedButton_test_on_off->text(), "Test ON");
    EXPECT_FALSE(w->SpeedButton_jog_piu->isEnabled());
    EXPECT_FALSE(w->BitBtn_set_home->isEnabled());
    ASSERT_TRUE(pump_until([&] { return in_order(events(*sim, mark), {"F6,1"}); }, 3000)) << joined(events(*sim, mark));

    mark = sim->requests().size();
    w->SpeedButton_test_on_off->click();
    EXPECT_TRUE(w->SpeedButton_jog_piu->isEnabled());
    ASSERT_TRUE(pump_until([&] { return in_order(events(*sim, mark), {"F6,0"}); }, 3000));

    mark = sim->requests().size();
    w->SpeedButton_jog_meno->click();
    w->SpeedButton_jog_piu->click();
    EXPECT_FALSE(w->SpeedButton_jog_meno->isChecked());
    EXPECT_EQ(BusCtrlWord.mdb_ctrl & 0x60, 0x40);
    w->SpeedButton_jog_piu->click();
    EXPECT_EQ(BusCtrlWord.mdb_ctrl & 0x60, 0);
    ASSERT_TRUE(pump_until([&] { return in_order(events(*sim, mark), {"W0300=32", "W0300=64", "W0300=0"}); }, 3000))
        << joined(events(*sim, mark));

    mark = sim->requests().size();
    w->BitBtn_set_home->click();
    ASSERT_TRUE(pump_until([&] {
        return in_order(events(*sim, mark), {"W0640=35", "W0300=128", "W0640=0", "W0300=0"});
    }, 3000)) << joined(events(*sim, mark));
    close_bench(1);
}

TEST_F(BenchTest, MainWindowCloseWaitsForTheRestore)
{
    connect_drive(0);
    ASSERT_NE(open_bench(), nullptr);
    const std::size_t mark = sim->requests().size();
    answers = {MsgNo, MsgNo};
    main->close();
    EXPECT_EQ(bench(), nullptr);
    ASSERT_TRUE(pump_until([this] { return !main->isVisible(); }, 5000)) << "the deferred close completes"
;
    EXPECT_FALSE(Ser_port.is_open());
    EXPECT_TRUE(in_order(events(*sim, mark), {"F6,0", "W0401=0", bus_type_write(0)})) << joined(events(*sim, mark));
}

TEST_F(BenchTest, BusPageOpenGivesWayToTheFirstNode)
{
    open_window();
    EXPECT_FALSE(main->BitBtn_pos_test->isEnabled()) << "no link";
    EXPECT_EQ(main->BitBtn_pos_test->toolTip(), "Serie Quote");
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 2);
    BuildPageTree(0);
    QTreeWidgetItem* can_page = FindPageNode(main->TreeView_menu, &PageNode_cands402_stm);
    ASSERT_NE(can_page, nullptr);
    main->TreeView_menu->setCurrentItem(can_page);
    ASSERT_EQ(CurrentPageNode[0], &PageNode_cands402_stm);
    const std::size_t mark = page_calls().log.size();
    main->BitBtn_pos_testClick();
    ASSERT_NE(bench(), nullptr);
    const std::vector<std::string> log(page_calls().log.begin() + static_cast<long>(mark), page_calls().log.end());
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "D4/0") << "the page of the old bus type goes first";
    EXPECT_EQ(log[1], "C1/0");
    EXPECT_EQ(CurrentPageNode[0], &PageNode_field_bus);
    EXPECT_EQ(BuiltBusType[0], 1);
    Pos_quote_test_close();
    EXPECT_EQ(BuiltBusType[0], 2) << "the restore rebuilds the tree for the old bus type";
    EXPECT_EQ(WritePending, 0) << "without a drive there is no restore to wait for";
}

TEST_F(BenchTest, LinearMotorWithoutPolePitchOpensNothing)
{
    open_window();
    LanguageIndex = 0;
    set_motor(1, 0);
    Seriale_init();
    Seriale_clear_queue();
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    main->BitBtn_pos_testClick();
    EXPECT_EQ(bench(), nullptr);
    EXPECT_EQ(box_texts(), "Passo polare 0: test non possibile!");
    EXPECT_TRUE(Seriale_view().entries.empty());
    Ser_link_flags.store(0);
}

// ---- without a drive: the requests stay queued ----

class BenchTableTest : public BenchTest {
protected:
    void SetUp() override
    {
        BenchTest::SetUp();
        LanguageIndex = 0;
        Seriale_init();
        Seriale_clear_queue();
        Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
        SettingsBlock.pos_test = {1, 100, 10000, 10000, 910, 50, {0, 0}};
    }
    void TearDown() override
    {
        delete window_.data();
        Seriale_clear_queue();
        Seriale_queue_close();
        Ser_link_flags.store(0);
        BenchTest::TearDown();
    }
    TForm_pos_quote_test* open(uint16_t flags, uint16_t motor_type = 0, uint32_t pole_pitch = 0)
    {
        Rec_set<uint16_t>(DriveRecordBank[0], PosTestOfs::TableFlags, flags);
        set_motor(motor_type, pole_pitch);
        delete window_.data();
        window_ = new TForm_pos_quote_test;
        window_->setAttribute(Qt::WA_DeleteOnClose, false);
        window_->resize(700, 500);
        window_->show();
        for (QTimer* t : window_->findChildren<QTimer*>())
            t->stop();  // the test runs the ticks
        Seriale_clear_queue();
        return window_.data();
    }
    static void set_status(uint16_t word, int16_t turns = 0, uint16_t turn_pos = 0, int32_t speed = 0,
                           int16_t current = 0)
    {
        Drive_status s = Drive_status_get();
        s.status_word = word;
        s.turns = turns;
        s.turn_pos = turn_pos;
        s.speed = speed;
        s.current = current;
        Drive_status_publish(s);
    }
    static std::vector<uint16_t> written_fields()
    {
        std::vector<uint16_t> keys;
        for (const Ser_queue_entry& e : Seriale_view().entries)
            if (e.frame.size() > 3 && e.frame[1] == 4)
                keys.push_back(static_cast<uint16_t>(e.frame[2] << 8 | e.frame[3]));
        return keys;
    }

private:
    QPointer<TForm_pos_quote_test> window_;
};

TEST_F(BenchTableTest, RowsProfileAndHeaders)
{
    struct Row {
        uint16_t flags;
        const char* click;  // "ins", "canc" or ""
        int data_rows;
        int columns;
        const char* last_header;
    };
    const Row rows[] = {
        {0x0005, "ins", 5, 6, "Jerk[rpm/s²]"},
        {0x0002, "canc", 2, 6, "Jerk[rpm/s²]"},
        {0x0003, "ins", 4, 6, "Jerk[rpm/s²]"},
        {0x0013, "", 3, 6, "Tempo[ms]"},
        {0x0023, "", 3, 5, "Decel.[rpm/s]"},
        {0x0007, "", 5, 6, "Jerk[rpm/s²]"},  // a row count past the table is taken as 5
    };
    {
        // A fill before the window is shown lands in the grid (an item outside it is dropped).
        TForm_pos_quote_test fresh;
        fresh.Pos_quote_test_draw_grid();
        ASSERT_NE(fresh.StringGrid_pos_dati->item(POS_TABLE_ROWS, POS_TABLE_COLUMNS), nullptr);
        EXPECT_EQ(fresh.StringGrid_pos_dati->item(0, 1)->text(), "Posizione[Counts]");
        EXPECT_EQ(fresh.StringGrid_pos_dati->item(POS_TABLE_ROWS, 0)->text(), "5");
    }
    for (const Row& r : rows) {
        TForm_pos_quote_test* w = open(r.flags);
        const std::string click = r.click;
        if (click == "ins")
            w->BitBtn_ins->click();
        else if (click == "canc")
            w->BitBtn_canc->click();
        EXPECT_EQ(w->StringGrid_pos_dati->rowCount(), r.data_rows + 1) << r.flags;
        EXPECT_EQ(w->Panel_numq_max->text(), QString::number(r.data_rows)) << r.flags;
        EXPECT_EQ(w->StringGrid_pos_dati->columnCount(), r.columns) << r.flags;
        EXPECT_EQ(w->StringGrid_pos_dati->item(0, 1)->text(), "Posizione[Counts]");
        EXPECT_EQ(w->StringGrid_pos_dati->item(0, r.columns - 1)->text(), r.last_header) << r.flags;
        const bool changed = !click.empty() && (r.flags & 7) != r.data_rows;
        EXPECT_EQ(written_fields().size(), changed ? 1u : 0u) << r.flags << ": the flags word, when changed";
    }
}

TEST_F(BenchTableTest, EditorStaysInsideTheTable)
{
    TForm_pos_quote_test* w = open(0x0007);
    QTableWidget* grid = w->StringGrid_pos_dati;
    for (int row : {5, 6}) {
        grid->setCurrentCell(row, 2);
        w->StringGrid_pos_datiSelectCell(row, 2);
    }
    EXPECT_EQ(w->editor_row(), 5) << "no editor on a row past the table";
    QLineEdit* memo = w->cell_editor()->memo();
    memo->setFocus();
    memo->clear();
    QTest::keyClicks(memo, "1234");
    QTest::keyClick(memo, Qt::Key_Return);
    EXPECT_EQ(Rec_get<uint32_t>(DriveRecordBank[0], PosTestOfs::Table + 4 * 20 + 4), 1234u);
    const std::vector<uint16_t> keys = written_fields();
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0], 0x092A);
    EXPECT_EQ(grid->item(5, 2)->text(), "1234");
    for (uint16_t k : keys)
        EXPECT_LE(k, 0x0931);
}

TEST_F(BenchTableTest, MarkerMonitorAndJogLimit)
{
    TForm_pos_quote_test* w = open(0x0005);
    set_status(0x0600);
    w->Timer_testTimer();
    EXPECT_EQ(w->CurrentRow, 3);
    EXPECT_EQ(w->Panel_numq->text(), "3");
    EXPECT_TRUE(w->StringGrid_pos_dati->item(3, 0)->data(Qt::UserRole + 1).toBool());
    EXPECT_FALSE(w->StringGrid_pos_dati->item(1, 0)->data(Qt::UserRole + 1).toBool());

    QLineEdit* jog = w->FlowPanel_pos_jog_rif->findChild<QLineEdit*>();
    jog->setFocus();
    jog->clear();
    QTest::keyClicks(jog, "40000");
    QTest::keyClick(jog, Qt::Key_Return);
    EXPECT_EQ(SettingsBlock.pos_test.jog_speed, 100) << "above 32767: refused";
    jog->clear();
    QTest::keyClicks(jog, "32767");
    QTest::keyClick(jog, Qt::Key_Return);
    EXPECT_EQ(SettingsBlock.pos_test.jog_speed, 32767);
    EXPECT_EQ(Rec_get<int32_t>(DriveRecordBank[0], PosTestOfs::JogVelocity), 32767);

    w = open(0x0005, 1, 32000);
    set_status(0, -1, 65436, -1234, 150);
    w->Timer_monitorTimer();
    EXPECT_EQ(w->Panel_offset_giro->text(), "-1.00");
    EXPECT_EQ(w->Panel_speed->text(), "-123.4");
    EXPECT_EQ(w->Panel_corr->text(), "1.50");
    EXPECT_TRUE(w->Panel_giri->isHidden());
    EXPECT_EQ(w->Panel_unit_velocita->text(), "mm/s");
    EXPECT_EQ(w->StringGrid_pos_dati->item(0, 2)->text(), "Vel.[[mm/s]");
    Ser_link_flags.store(0);
    w->Timer_monitorTimer();
    EXPECT_EQ(w->Panel_speed->text(), "-----");
}

}  // namespace

namespace {

TEST_F(BenchTableTest, TogglesSpringBackWithoutAPort)
{
    TForm_pos_quote_test* w = open(0x0005);
    for (QPushButton* b : {w->SpeedButton_power_on_off, w->SpeedButton_jog_piu}) {
        b->click();
        EXPECT_FALSE(b->isChecked()) << b->objectName().toStdString();
    }
    EXPECT_EQ(w->SpeedButton_power_on_off->text(), "Power OFF");
    EXPECT_TRUE(Seriale_view().entries.empty());
    w->setAttribute(Qt::WA_DeleteOnClose, true);
    const QPointer<QWidget> alive(w);
    QTest::keyClick(w, Qt::Key_Escape);
    EXPECT_TRUE(pump_until([&] { return alive.isNull(); }, 3000)) << "Escape ends the bench";
}

}  // namespace

namespace {

// ---- what the grid shows ----

// A paint engine that keeps, in painting order and on the device, the texts drawn and the areas
// filled: a text counts as seen unless a later fill covers its middle.
class SeenTexts : public QPaintEngine {
public:
    SeenTexts() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawRects(const QRectF* rects, int count) override
    {
        for (int i = 0; i < count; ++i)
            fill(rects[i]);
    }
    void drawRects(const QRect* rects, int count) override
    {
        for (int i = 0; i < count; ++i)
            fill(QRectF(rects[i]));
    }
    void drawPath(const QPainterPath& path) override { fill(path.boundingRect()); }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode) override
    {
        fill(QPolygonF(QList<QPointF>(points, points + count)).boundingRect());
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        const QFontMetricsF fm(item.font());
        const QRectF r(p.x(), p.y() - fm.ascent(), item.width(), fm.height());
        marks.push_back({painter()->deviceTransform().mapRect(r), item.text(), true});
    }
    Type type() const override { return QPaintEngine::User; }

    struct Mark {
        QRectF rect;
        QString text;  // empty for a fill
        bool seen;
    };
    std::vector<Mark> marks;

    // The texts seen with their middle in r.
    QStringList seen_in(const QRectF& r) const
    {
        QStringList out;
        for (std::size_t i = 0; i < marks.size(); ++i) {
            if (marks[i].text.isEmpty() || !r.contains(marks[i].rect.center()))
                continue;
            const bool covered = std::any_of(marks.begin() + long(i) + 1, marks.end(), [&](const Mark& m) {
                return m.text.isEmpty() && m.rect.contains(marks[i].rect.center());
            });
            if (!covered)
                out << marks[i].text;
        }
        return out;
    }

private:
    void fill(const QRectF& r)
    {
        if (painter()->brush().style() != Qt::NoBrush)
            marks.push_back({painter()->deviceTransform().mapRect(r), QString(), true});
    }
};

// An image's measures, to lend them to a device of another engine.
struct ImageMeasures : QImage {
    using QImage::QImage;
    using QImage::metric;
};

class SeenTextsDevice : public QPaintDevice {
public:
    explicit SeenTextsDevice(QSize size) : measures_(size, QImage::Format_RGB32) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    const SeenTexts& engine() const { return engine_; }

protected:
    int metric(PaintDeviceMetric m) const override { return measures_.metric(m); }

private:
    ImageMeasures measures_;
    mutable SeenTexts engine_;
};

// The cell being edited shows the editor's value alone, not its own text beside it.
TEST_F(BenchTableTest, TheEditorCoversItsCell)
{
    TForm_pos_quote_test* w = open(0x0003);
    textfit::settle(w);
    QTableWidget* grid = w->StringGrid_pos_dati;
    ASSERT_EQ(w->editor_row(), 1);
    ASSERT_EQ(w->editor_column(), 1);
    ASSERT_EQ(grid->item(1, 1)->text(), "0");
    SeenTextsDevice device(grid->size());
    grid->render(&device, QPoint(), QRegion(), QWidget::DrawChildren);
    const QRect cell = grid->visualItemRect(grid->item(1, 1)).translated(grid->viewport()->pos());
    EXPECT_EQ(device.engine().seen_in(cell).join("|").toStdString(), "0");
}

// Every column after the first spreads over the grid, (grid width - column 0 - 30) / (columns - 1),
// at the window's size and after it changed, with both profiles.
TEST_F(BenchTableTest, ColumnsSpreadOverTheGrid)
{
    for (const uint16_t flags : {0x0003, 0x0023}) {
        TForm_pos_quote_test* w = open(flags);
        QTableWidget* grid = w->StringGrid_pos_dati;
        for (const QSize size : {w->size(), w->size() + QSize(200, 0)}) {
            w->resize(size);
            textfit::settle(w);
            const int n = grid->columnCount();
            const int want = (grid->width() - grid->columnWidth(0) - 30) / (n - 1);
            for (int c = 1; c < n; ++c)
                EXPECT_EQ(grid->columnWidth(c), want) << flags << " column " << c << " at " << size.width();
            EXPECT_EQ(w->FlowPanel_dat_grid->geometry(), grid->visualItemRect(grid->item(1, 1)));
        }
    }
}

}  // namespace
