// A print job on a named printer of the list: begun, its pages painted and ended, or refused at
// its end with one warning naming the printer.
#include <gtest/gtest.h>

#include <QHash>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>

#include <memory>
#include <vector>

#include "drivedata/Globvar.h"
#include "gui_app.h"
#include "platform/Msgbox.h"
#include "print_core/Print_printers.h"

namespace {

// What the printer does at the end of the job.
struct PrinterEnd {
    bool ended = true;                                 // the engine's end
    QPrinter::PrinterState state = QPrinter::Idle;     // the printer's state after it
    int pages = 0;                                     // pages begun (set by the printer)
};

// A printer whose engine draws nothing and ends as `end` says.
class TestPrinter : public QPrinter {
public:
    explicit TestPrinter(PrinterEnd& end) : engine_(end) { setEngines(&engine_, &engine_); }

private:
    class Engine : public QPaintEngine, public QPrintEngine {
    public:
        explicit Engine(PrinterEnd& end) : QPaintEngine(AllFeatures), end_(end) {}
        bool begin(QPaintDevice*) override
        {
            state_ = QPrinter::Active;
            end_.pages = 1;
            return true;
        }
        bool end() override
        {
            state_ = end_.state;
            return end_.ended;
        }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF&, const QTextItem&) override {}
        Type type() const override { return User; }

        void setProperty(PrintEnginePropertyKey key, const QVariant& value) override { props_[key] = value; }
        QVariant property(PrintEnginePropertyKey key) const override { return props_.value(key); }
        bool newPage() override { return ++end_.pages > 0; }
        bool abort() override { return false; }
        int metric(QPaintDevice::PaintDeviceMetric m) const override
        {
            const PrintDeviceCaps& c = PRINT_A4_CAPS;
            switch (m) {
            case QPaintDevice::PdmWidth: return c.horzres;
            case QPaintDevice::PdmHeight: return c.vertres;
            case QPaintDevice::PdmWidthMM: return c.horzsize;
            case QPaintDevice::PdmHeightMM: return c.vertsize;
            case QPaintDevice::PdmDpiX:
            case QPaintDevice::PdmDpiY:
            case QPaintDevice::PdmPhysicalDpiX:
            case QPaintDevice::PdmPhysicalDpiY: return c.logpixelsx;
            case QPaintDevice::PdmDepth: return 32;
            case QPaintDevice::PdmNumColors: return 1 << 24;
            case QPaintDevice::PdmDevicePixelRatio: return 1;
            case QPaintDevice::PdmDevicePixelRatioScaled: return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
            default: return 0;
            }
        }
        QPrinter::PrinterState printerState() const override { return state_; }

    private:
        PrinterEnd& end_;
        QPrinter::PrinterState state_ = QPrinter::Idle;
        QHash<PrintEnginePropertyKey, QVariant> props_;
    };

    Engine engine_;
};

class PrintOnPrinter : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        saved_language_ = LanguageIndex;
        LanguageIndex = 0;
        old_sink_ = Msgbox_set_sink([this](const MsgRequest& r) {
            boxes.push_back(r.text);
            return MsgOk;
        });
        PrinterSource s{{"Laser"}, 0};
        s.make = [this] { return std::make_unique<TestPrinter>(end); };
        Print_set_printer_source(s);
    }
    void TearDown() override
    {
        Print_set_printer_source(std::nullopt);
        Msgbox_set_sink(std::move(old_sink_));
        LanguageIndex = saved_language_;
    }

    PrinterEnd end;
    std::vector<std::string> boxes;
    MsgSink old_sink_;
    uint8_t saved_language_ = 0;
};

TEST_F(PrintOnPrinter, TheJobEndsAsThePrinterEndsIt)
{
    const struct {
        const char* name;
        bool ended;
        QPrinter::PrinterState state;
        bool printed;
    } cases[] = {
        {"Printed", true, QPrinter::Idle, true},
        {"EngineFailsToEnd", false, QPrinter::Idle, false},
        {"PrinterInError", true, QPrinter::Error, false},
    };
    for (const auto& c : cases) {
        end = {c.ended, c.state, 0};
        boxes.clear();
        bool chose_file = false;
        PrintJobDevice job(0, "Doc", [&chose_file] {
            chose_file = true;
            return QString();
        });
        ASSERT_NE(job.device(), nullptr) << c.name;
        QPainter painter;
        ASSERT_TRUE(job.begin(painter)) << c.name;
        painter.drawText(10, 10, "x");
        job.device()->newPage();
        EXPECT_EQ(job.end(painter), c.printed) << c.name;
        EXPECT_EQ(end.pages, 2) << c.name;
        EXPECT_FALSE(chose_file) << c.name;
        const std::vector<std::string> want =
            c.printed ? std::vector<std::string>{} : std::vector<std::string>{"Stampa non riuscita: Laser"};
        EXPECT_EQ(boxes, want) << c.name;
    }
}

}  // namespace
