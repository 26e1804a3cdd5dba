// Cogging table view: the range of the fill, zoom steps and limits, unzoom, the data set shown.
#include "tool_fixture.h"

#include <QPushButton>

#include <cstring>

#include "link/Sertx.h"
#include "tools/Formx_cog_dat.h"
#include "tools/Tools.h"

namespace {

using namespace tooltest;

class CogDatTest : public ToolTest {
protected:
    void SetUp() override
    {
        ToolTest::SetUp();
        std::memset(Cogging_table(0), 0, COGGING_ENTRIES);
        std::memset(Cogging_table(1), 0, COGGING_ENTRIES);
        for (int i = 0; i < COGGING_ENTRIES; ++i)
            Cogging_table(0)[i] = static_cast<int8_t>(-10 + i % 17);  // -10 .. 6
    }
    void TearDown() override
    {
        PageContext.store(0);
        ToolTest::TearDown();
    }
    static std::pair<double, double> fixed(const TForm_cog_dat& w)
    {
        const ChartChannelView& ch = w.chart->view.channels[0];
        return {ch.fixed_maximum, ch.fixed_minimum};
    }
};

TEST_F(CogDatTest, ZoomOutStepsUpToTheLimit)
{
    TForm_cog_dat w;
    w.show();
    EXPECT_EQ(fixed(w), std::make_pair(15.0, -15.0));
    const double expected[] = {18, 21.6, 25.92};
    for (double e : expected) {
        w.BitBtn1->click();
        EXPECT_NEAR(fixed(w).first, e, 1e-9);
        EXPECT_NEAR(fixed(w).second, -e, 1e-9);
    }
    for (int i = 3; i < 11; ++i)
        w.BitBtn1->click();
    EXPECT_LT(fixed(w).first, 127.0);
    w.BitBtn1->click();  // the 12th step
    EXPECT_EQ(fixed(w), std::make_pair(127.0, -127.0));
    const uint32_t paints = w.chart->paint_count;
    w.BitBtn1->click();  // nothing changes, nothing is redrawn
    EXPECT_EQ(fixed(w), std::make_pair(127.0, -127.0));
    EXPECT_EQ(w.chart->paint_count, paints);
    w.BitBtn_unzoom->click();
    EXPECT_EQ(fixed(w), std::make_pair(15.0, -15.0));
    EXPECT_EQ(w.chart->Sample_count(), 256u);
}

TEST_F(CogDatTest, ZoomInStopsNearTheCentre)
{
    TForm_cog_dat w;
    w.show();
    w.BitBtn2_zoom_in->click();
    EXPECT_NEAR(fixed(w).first, 12.0, 1e-9);
    for (int i = 0; i < 100; ++i)
        w.BitBtn2_zoom_in->click();
    EXPECT_NEAR(fixed(w).first, 0.01, 1e-12);
    EXPECT_NEAR(fixed(w).second, -0.01, 1e-12);
}

TEST_F(CogDatTest, ZoomActsOnTheZoomPairAfterAMouseZoom)
{
    TForm_cog_dat w;
    w.show();
    w.chart->view.automatic = 0;
    w.chart->view.channels[0].zoom_maximum = 10;
    w.chart->view.channels[0].zoom_minimum = 0;
    Formx_cog_dat_zoom(*w.chart, 0.2);
    EXPECT_DOUBLE_EQ(w.chart->view.channels[0].zoom_maximum, 11.0);
    EXPECT_DOUBLE_EQ(w.chart->view.channels[0].zoom_minimum, -1.0);
    EXPECT_EQ(fixed(w), std::make_pair(15.0, -15.0));
}

TEST_F(CogDatTest, ShowsTheTableOfThePageContext)
{
    Cogging_table(1)[3] = 42;
    PageContext.store(1);
    TForm_cog_dat w;
    w.show();
    EXPECT_EQ(w.StringGrid_cog->cell_text(4, 1), "42");
    EXPECT_EQ(fixed(w), std::make_pair(63.0, -63.0));
    EXPECT_TRUE(queued().empty());

    PageContext.store(0);
    std::memset(Cogging_table(0), 0, COGGING_ENTRIES);
    TForm_cog_dat zero;
    zero.show();
    EXPECT_EQ(fixed(zero), std::make_pair(0.0, -0.0));
}

TEST_F(CogDatTest, RegisteredAndWindowModal)
{
    Tools_install();
    for (ToolWin kind : {ToolWin::TarCogCk, ToolWin::TarCog, ToolWin::CogDat}) {
        ASSERT_TRUE(Toolwin_available(kind));
        std::unique_ptr<QWidget> w(Toolwin_create(kind, nullptr));
        EXPECT_EQ(w->windowModality(), Qt::WindowModal);
    }
}

}  // namespace
