// The status bar: pane layout, paint calls, partial repaints and a missing panel.
#include <gtest/gtest.h>

#include <vector>

#include <QApplication>
#include <QFrame>
#include <QPaintEvent>

#include "gui_app.h"
#include "platform/Msgbox.h"
#include "shell/Stbar.h"

namespace {

std::vector<int> painted;  // pane indexes in call order

void record_paint(ImageBox*, StbarPane* const*, uint16_t index) { painted.push_back(index); }

// Collects paint-event rectangles of a widget.
class PaintSpy : public QObject {
public:
    std::vector<QRect> rects;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            rects.push_back(static_cast<QPaintEvent*>(e)->rect());
        return false;
    }
};

class StbarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        painted.clear();
        previous_ = Msgbox_set_sink([this](const MsgRequest& r) {
            boxes_.push_back(r);
            if (!expect_boxes_)
                ADD_FAILURE() << "unexpected message box: " << r.title << " / " << r.text;
            return MsgOk;
        });
        window_.resize(600, 60);
        panel_ = new QFrame(&window_);
        panel_->setFrameShape(QFrame::Panel);
        panel_->setGeometry(0, 30, 500, 20);
        for (int i = 0; i < 4; ++i) {
            panes_[i].width = 100;
            panes_[i].paint = record_paint;
            array_[i] = &panes_[i];
        }
        array_[4] = nullptr;
    }
    void TearDown() override { Msgbox_set_sink(previous_); }

    QWidget window_;
    QFrame* panel_ = nullptr;
    StbarPane panes_[4];
    StbarPane* array_[5] = {};
    std::vector<MsgRequest> boxes_;
    bool expect_boxes_ = false;
    MsgSink previous_;
};

}  // namespace

TEST_F(StbarTest, LaysOutPanesPaintsThemAndFreesOnce)
{
    Stbarx* bar = new Stbarx(panel_, array_, 0);
    EXPECT_EQ(bar->error_code(), 0u);
    EXPECT_EQ(bar->count(), 4);
    EXPECT_EQ(bar->width(), 500);
    EXPECT_EQ(panel_->frameShape(), QFrame::NoFrame);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(panes_[i].x, 102 * i);  // width and a 2-pixel gap
        EXPECT_EQ(panes_[i].y, 1);
        EXPECT_EQ(panes_[i].height, 20);
    }
    EXPECT_EQ(painted, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(bar->picture()->height(), 20);

    Stbarx_free(bar);
    EXPECT_EQ(bar, nullptr);
    Stbarx_free(bar);  // second free is harmless
    EXPECT_TRUE(panel_->findChildren<ImageBox*>().isEmpty());
}

TEST_F(StbarTest, RepaintPaneTouchesOnlyThatPane)
{
    Stbarx bar(panel_, array_, 1);
    window_.show();
    QApplication::processEvents();
    PaintSpy spy;
    bar.picture()->installEventFilter(&spy);
    painted.clear();

    Stbarx_repaint_pane(&bar, 4);  // index == count
    Stbarx_repaint_pane(&bar, 200);
    QApplication::processEvents();
    EXPECT_TRUE(painted.empty());
    EXPECT_TRUE(spy.rects.empty());

    Stbarx_repaint_pane(&bar, 1);
    QApplication::processEvents();
    EXPECT_EQ(painted, (std::vector<int>{1}));
    ASSERT_FALSE(spy.rects.empty());
    for (const QRect& r : spy.rects)
        EXPECT_TRUE(QRect(102, 1, 100, 20).contains(r)) << r.x() << "," << r.width();
}

TEST_F(StbarTest, ResizeRepaintsOnlyPanesNearTheRightEdge)
{
    Stbarx bar(panel_, array_, 1);
    window_.show();  // hidden widgets defer their resize events
    QApplication::processEvents();
    painted.clear();

    panel_->resize(300, 20);  // new - 18 = 282 lies in pane 2 (204..304)
    EXPECT_EQ(painted, (std::vector<int>{2}));
    EXPECT_EQ(bar.width(), 300);

    painted.clear();
    panel_->resize(300, 20);
    Stbarx_on_resize(&bar);  // same size again
    EXPECT_TRUE(painted.empty());

    panel_->resize(500, 20);  // old 300 and old - 18 in pane 2; pane 3 lies between
    EXPECT_EQ(painted, (std::vector<int>{2, 3}));

    painted.clear();
    panel_->resize(500, 24);  // a new height lays the panes out again
    EXPECT_EQ(painted, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(panes_[0].height, 24);
    EXPECT_EQ(bar.picture()->image().height(), 24);
}

TEST_F(StbarTest, NullPanelReportsOnceAndDoesNothing)
{
    expect_boxes_ = true;
    Stbarx* bar = new Stbarx(nullptr, array_, 1);
    EXPECT_EQ(bar->error_code(), StbarErrNoPanel);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].title, "Class Stbarx Error");
    EXPECT_EQ(boxes_[0].text, "Code Error: 00000001");
    EXPECT_EQ(boxes_[0].icon, MsgIcon::Error);

    Stbarx_layout(bar);
    Stbarx_repaint(bar);
    Stbarx_repaint_pane(bar, 0);
    Stbarx_on_resize(bar);
    Stbarx_redraw(bar);
    Stbarx_draw_size_grip(bar);
    EXPECT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(bar->count(), 0);
    EXPECT_EQ(bar->picture(), nullptr);
    EXPECT_TRUE(painted.empty());
    Stbarx_free(bar);
    Stbarx_free(bar);

    Stbarx_repaint(nullptr);
    Stbarx_repaint_pane(nullptr, 0);
}

TEST_F(StbarTest, PanelDeletedFirstIsReportedNotCrashed)
{
    Stbarx bar(panel_, array_, 0);
    expect_boxes_ = true;
    delete panel_;
    panel_ = nullptr;
    Stbarx_repaint(&bar);
    Stbarx_repaint(&bar);
    EXPECT_EQ(boxes_.size(), 1u);
    EXPECT_TRUE(bar.error_code() & StbarErrNoPanel);
}
