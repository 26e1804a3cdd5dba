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

void record_paint(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    painted.push_back(index);
    // Fill the content area so tests can see where the callback painted.
    const StbarPane* p = panes[index];
    Canvas& c = picture->canvas();
    c.brush.setColor(clRed);
    c.fill_rect({p->x + 1, p->y + 1, p->x + p->width - 1, p->y + p->height - 2});
}

QRgb px(const QImage& img, int x, int y) { return img.pixel(x, y) | 0xFF000000u; }
QRgb rgb(const QColor& c) { return c.rgb() | 0xFF000000u; }

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

TEST_F(StbarTest, LaysOutPanesAndPaintsThem)
{
    Stbarx* bar = new Stbarx(panel_, array_, 0);
    EXPECT_EQ(bar->error_code(), 0u);
    EXPECT_EQ(bar->count(), 4);
    EXPECT_EQ(bar->width(), 500);
    EXPECT_EQ(panel_->frameShape(), QFrame::NoFrame);
    const int xs[4] = {0, 102, 204, 306};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(panes_[i].x, xs[i]);
        EXPECT_EQ(panes_[i].y, 1);
        EXPECT_EQ(panes_[i].height, 20);
    }
    EXPECT_EQ(painted, (std::vector<int>{0, 1, 2, 3}));

    const QImage& img = bar->picture()->image();
    EXPECT_GE(img.width(), 500);
    EXPECT_EQ(img.height(), 20);
    EXPECT_EQ(bar->picture()->size(), img.size());
    EXPECT_EQ(px(img, 50, 0), rgb(clBtnFace));     // row above the boxes
    EXPECT_EQ(px(img, 102, 10), rgb(clGray));      // sunken box: grey left edge
    EXPECT_EQ(px(img, 201, 10), rgb(clWhite));     // white right edge
    EXPECT_EQ(px(img, 150, 10), rgb(clRed));       // content area painted by the callback
    EXPECT_EQ(px(img, 203, 10), rgb(clBtnFace));   // 2-pixel gap
    EXPECT_EQ(px(img, 408, 10), rgb(clGray));      // tail box from 406 + 2
    EXPECT_EQ(px(img, 499, 10), rgb(clWhite));     // tail ends at the panel edge

    Stbarx_free(bar);
    EXPECT_EQ(bar, nullptr);
    Stbarx_free(bar);  // second free is harmless
    EXPECT_TRUE(panel_->findChildren<ImageBox*>().isEmpty());
}

TEST_F(StbarTest, EmptyArrayIsOneTailBoxWithGrip)
{
    StbarPane* none[1] = {nullptr};
    Stbarx bar(panel_, none, 1);
    EXPECT_EQ(bar.count(), 0);
    const QImage& img = bar.picture()->image();
    EXPECT_EQ(px(img, 0, 10), rgb(clGray));
    EXPECT_EQ(px(img, 250, 1), rgb(clGray));
    EXPECT_EQ(px(img, 250, 19), rgb(clWhite));
    EXPECT_EQ(px(img, 250, 10), rgb(clBtnFace));
    // Grip ridges at the bottom-right corner.
    const int X = 499, Y = 19;
    EXPECT_EQ(px(img, X - 1, Y - 1), rgb(clGray));
    EXPECT_EQ(px(img, X - 2, Y - 2), rgb(clWhite));
    EXPECT_EQ(px(img, X - 6, Y - 6), rgb(clGray));
    EXPECT_EQ(px(img, X - 7, Y - 7), rgb(clWhite));
    EXPECT_EQ(px(img, X - 4, Y - 2), rgb(clBtnFace));
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
    EXPECT_EQ(px(bar.picture()->image(), 299, 19), rgb(clBtnFace));  // grip moved with the edge
    EXPECT_EQ(px(bar.picture()->image(), 298, 18), rgb(clGray));

    painted.clear();
    panel_->resize(300, 20);
    Stbarx_on_resize(&bar);  // same size again
    EXPECT_TRUE(painted.empty());

    panel_->resize(500, 20);  // old 300 and old - 18 in pane 2; pane 3 lies between
    EXPECT_EQ(painted, (std::vector<int>{2, 3}));
    EXPECT_EQ(px(bar.picture()->image(), 499, 10), rgb(clWhite));  // tail reaches the new edge

    painted.clear();
    panel_->resize(500, 24);  // a new height lays the panes out again
    EXPECT_EQ(painted, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(panes_[0].height, 24);
    EXPECT_EQ(bar.picture()->image().height(), 24);
}

TEST_F(StbarTest, PanesWiderThanThePanelHaveNoTail)
{
    StbarPane wide;
    wide.width = 600;
    StbarPane* one[2] = {&wide, nullptr};
    Stbarx bar(panel_, one, 0);
    const QImage& img = bar.picture()->image();
    EXPECT_EQ(px(img, 499, 10), rgb(clBtnFace));  // inside the pane, no tail edge
    EXPECT_EQ(px(img, 599, 10), rgb(clWhite));    // the pane's own right edge beyond the panel
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
