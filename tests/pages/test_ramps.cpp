// Ramp sketch: the curve's exact points, the values it draws with (the jerk fault), the tracker's
// rules, and the Ramps page's tab, highlight and S box.
#include <QCheckBox>
#include <QTabWidget>

#include <cmath>

#include "controls/Graph_draw.h"
#include "page_fixture.h"
#include "page_units.h"
#include "pages/fieldbus/RampGraph.h"

namespace pagetest {
namespace {

constexpr int W = 375;
constexpr int H = 211;

TEST(RampCurve, LinearPointsInBothDirections)
{
    const auto up = RampGraph_curve(W, H, 1000, 1000, 0, 1, false);
    ASSERT_EQ(up.size(), 8u);
    const struct {
        std::size_t i;
        int x, y;
        RampStyle style;
    } rows[] = {{0, 18, 196, RampStyle::Start},   {1, 65, 138, RampStyle::AccelSolid}, {2, 112, 79, RampStyle::AccelDotted},
                {3, 159, 20, RampStyle::AccelSolid}, {4, 215, 20, RampStyle::Cruise}, {5, 262, 79, RampStyle::DecelSolid},
                {7, 357, 196, RampStyle::DecelSolid}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.i);
        EXPECT_EQ(up[r.i].x, r.x);
        EXPECT_EQ(up[r.i].y, r.y);
        EXPECT_EQ(up[r.i].style, r.style);
    }
    const auto down = RampGraph_curve(W, H, 1000, 1000, 0, 2, false);
    EXPECT_EQ(down[0].y, 15);
    EXPECT_EQ(down[3].y, 192);
    EXPECT_EQ(down[4].y, 192);
}

TEST(RampCurve, SCurveTimesAndSpeeds)
{
    const auto c = RampGraph_curve(W, H, 1000, 1000, 1000, 1, true);
    ASSERT_EQ(c.size(), 1u + 10 + 3 + 10 + 1 + 10 + 3 + 10);
    const double ca = 4000.0 / 2147482648.0;
    const double cd = c[13].t - 1.0;  // end of the constant acceleration: tA + cA
    EXPECT_NEAR(cd / ca, 1.0, 1e-9);
    const double peak = 1000.0 + 1000.0 * ca;
    EXPECT_NEAR(c[24].v / peak, 1.0, 1e-12);
    EXPECT_EQ(c[24].style, RampStyle::Cruise);
    EXPECT_NEAR(c.back().t / (1.1 * (4 + 2 * ca)), 1.0, 1e-12);
    EXPECT_LE(std::fabs(c.back().v), 1e-9 * peak);
    EXPECT_EQ(c[1].style, RampStyle::Jerk);
    EXPECT_EQ(c[12].style, RampStyle::AccelDotted);
}

bool same_points(const std::vector<RampPoint>& a, const std::vector<RampPoint>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y)
            return false;
    return true;
}

TEST(RampCurve, ZeroRatesAndJerkDrawAsTheirMinimumsAndHugeJerksAsTheMaximum)
{
    EXPECT_TRUE(same_points(RampGraph_curve(W, H, 0, 0, 0, 1, false), RampGraph_curve(W, H, 1, 1, 0, 1, false)));
    EXPECT_TRUE(same_points(RampGraph_curve(W, H, 0, 500, 0, 1, true), RampGraph_curve(W, H, 1, 500, 2, 1, true)));
    EXPECT_EQ(RampGraph_jerk(1), 1);
    const auto limit = RampGraph_curve(W, H, 1000, 1000, 2147483647.0, 2, true);
    for (double j : {2147483648.0, 4294967295.0}) {
        SCOPED_TRACE(j);
        const auto c = RampGraph_curve(W, H, 1000, 1000, j, 2, true);
        EXPECT_TRUE(same_points(c, limit));
        for (const RampPoint& p : c) {
            EXPECT_TRUE(std::isfinite(p.t) && std::isfinite(p.v));
            EXPECT_TRUE(p.x >= 0 && p.x < W && p.y >= 0 && p.y < H) << p.x << "," << p.y;
        }
    }
}

TEST(RampTrack, FirstChangedGroupWinsAndSetsTheHighlight)
{
    const struct {
        RampValues v;
        bool draw;
        uint8_t highlight, direction;
        uint32_t shown_acc, shown_dec;
    } rows[] = {
        {{10, 20, 30, 40, 5}, true, 1, 1, 10, 20},   // everything new: CW first
        {{10, 20, 30, 40, 5}, true, 1, 2, 30, 40},   // then CCW
        {{10, 20, 30, 40, 5}, true, 3, 2, 30, 40},   // then the jerk, pair kept
        {{10, 20, 30, 40, 5}, false, 3, 2, 30, 40},  // nothing changed
        {{10, 21, 30, 40, 5}, true, 2, 1, 10, 21},   // CW deceleration alone
        {{10, 21, 31, 41, 5}, true, 1, 2, 31, 41},
    };
    RampGraphState st;
    for (const auto& r : rows) {
        EXPECT_EQ(RampGraph_track(st, r.v), r.draw);
        EXPECT_EQ(st.highlight, r.highlight);
        EXPECT_EQ(st.direction, r.direction);
        EXPECT_EQ(st.shown_acc, r.shown_acc);
        EXPECT_EQ(st.shown_dec, r.shown_dec);
    }
}

class RampsPageTest : public PagesTest {
protected:
    static void set32(uint8_t slot, uint16_t ofs, uint32_t v) { Rec_set<uint32_t>(DriveRecordBank[slot], ofs, v); }
    static void ramps(uint8_t slot, uint32_t acc_cw, uint32_t dec_cw, uint32_t acc_ccw, uint32_t dec_ccw)
    {
        set32(slot, 572, acc_cw);
        set32(slot, 576, dec_cw);
        set32(slot, 580, acc_ccw);
        set32(slot, 584, dec_ccw);
        set32(slot, 588, 1000);
    }
};

TEST_F(RampsPageTest, ChangedCcwDecelerationBringsItsTabAndDrawsItThick)
{
    quiet_link();
    ramps(0, 1000, 1000, 1000, 1000);
    Rec_set<uint16_t>(DriveRecordBank[0], 594, 0);
    RampGraphStates[0].jerk = 1000;
    Frm_mdb_speed_rampe_create(0, host());
    auto* tabs = Frm_mdb_speed_rampe_page().find<QTabWidget>(0, "PageControl_rampe");
    auto* image = Frm_mdb_speed_rampe_page().find<ImageBox>(0, "Image_ramp");
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(image->image().size(), QSize(W, H));
    EXPECT_EQ(image->image().pixelColor(2, 2), QColor(0xFA, 0xF9, 0xF1));
    set32(0, 584, 500);
    Frm_mdb_speed_rampe_track(0);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(RampGraphStates[0].highlight, 2);
    const auto c = RampGraph_curve(W, H, 1000, 500, 1000, 2, false);
    EXPECT_EQ(c[3].y, 192);
    const QPoint mid((c[4].x + c[5].x) / 2, (c[4].y + c[5].y) / 2);
    EXPECT_EQ(image->image().pixelColor(mid), QColor(0x00, 0x00, 0xFF));
    const QPoint acc_mid((c[0].x + c[1].x) / 2, (c[0].y + c[1].y) / 2);
    EXPECT_EQ(image->image().pixelColor(acc_mid), QColor(0x00, 0x00, 0xA0));
    Frm_mdb_speed_rampe_destroy(0);
}

TEST_F(RampsPageTest, TogglingSRedrawsAtOnceAndSendsTheWord)
{
    connect_drive(1);
    ramps(0, 1000, 1000, 1000, 1000);
    Rec_set<uint16_t>(DriveRecordBank[0], 594, 0x0008);
    Frm_mdb_speed_rampe_create(0, host());
    auto* image = Frm_mdb_speed_rampe_page().find<ImageBox>(0, "Image_ramp");
    const QImage linear = image->image().copy();
    auto* box = Frm_mdb_speed_rampe_page().find<QCheckBox>(0, "CheckBox_enable_rampe_S");
    box->setEnabled(true);
    box->click();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 594), 0x0018);
    EXPECT_NE(image->image(), linear);
    ASSERT_TRUE(pump_until([this] { return !writes_of(0x0500).empty(); }, 3000));
    EXPECT_EQ(writes_of(0x0500).back().value_u32(), 0x18u);
    Frm_mdb_speed_rampe_destroy(0);
}

// The sketch fills its panel, 375 x 211 at the page's own size; a larger page draws it again at
// the new size.
TEST_F(RampsPageTest, SketchFollowsItsPanel)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    ramps(0, 1000, 1000, 1000, 1000);
    Rec_set<uint16_t>(DriveRecordBank[0], 594, 0);
    Frm_mdb_speed_rampe_create(0, host());
    auto* image = Frm_mdb_speed_rampe_page().find<ImageBox>(0, "Image_ramp");
    auto* panel = Frm_mdb_speed_rampe_page().find<QWidget>(0, "Panel20");
    QWidget* frame = Frm_mdb_speed_rampe_page().frame(0);
    EXPECT_EQ(image->size(), QSize(W, H));
    EXPECT_EQ(image->image().size(), QSize(W, H));
    frame->resize(frame->width() + 200, frame->height() + 150);
    ASSERT_TRUE(pump_until([&] { return image->width() > W && image->height() > H; }, 2000));
    EXPECT_EQ(image->size(), panel->size());
    const int w = image->width();
    const int h = image->height();
    ASSERT_EQ(image->image().size(), QSize(w, h));
    EXPECT_EQ(image->image().pixelColor(w - 15, h - 15), QColor(Qt::black));  // the time axis' tip
    const auto c = RampGraph_curve(w, h, 1000, 1000, 1000, 1, false);
    EXPECT_EQ(c[3].y, 20);
    const QPoint acc_mid((c[0].x + c[1].x) / 2, (c[0].y + c[1].y) / 2);
    EXPECT_EQ(image->image().pixelColor(acc_mid), QColor(0x00, 0x00, 0xA0));
    Frm_mdb_speed_rampe_destroy(0);
}

// The archive's sketch follows its record through its own timer only while list reads are on.
TEST_F(RampsPageTest, ArchiveSketchFollowsEditsOnlyWithListReads)
{
    PageContext = 1;
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 1);
    ramps(1, 1000, 1000, 1000, 1000);
    RampGraphStates[1].jerk = 1000;
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ListReads));
    Frm_mdb_speed_rampe_create(1, host());
    set32(1, 572, 2000);
    pump_for(60);
    EXPECT_EQ(RampGraphStates[1].acc_cw, 1000u);
    Ser_data_flags.fetch_or(DataFlag::ListReads);
    EXPECT_TRUE(pump_until([] { return RampGraphStates[1].acc_cw == 2000; }, 1000));
    EXPECT_EQ(RampGraphStates[1].highlight, 1);
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ListReads));
    Frm_mdb_speed_rampe_destroy(1);
}

}  // namespace
}  // namespace pagetest
