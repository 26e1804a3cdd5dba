#pragma once
// Caption panel that hosts a bound edit, and the up-down button beside the edit.
//
// A FlowPanel shows its caption on the left and lays the controls it hosts out from its right
// edge to the left (the first control added sits at the right edge), vertically centred. A blank
// of the panel's font keeps the caption from the controls and the controls from each other, but
// an edit sits against the up-down added before it.
#include <QBasicTimer>
#include <QFrame>
#include <QPointer>
#include <QString>
#include <QToolButton>

class QBoxLayout;
class QLabel;

class FlowPanel : public QFrame {
    Q_OBJECT
public:
    explicit FlowPanel(QWidget* parent = nullptr);
    // objectName is the designed name, "FlowPanel_<field>".
    FlowPanel(const QString& objectName, QWidget* parent);

    QString caption() const;
    // Sets the caption only when it differs.
    void setCaption(const QString& text);
    QLabel* captionLabel() const { return caption_; }

    // Adds a control at the left of those added before.
    void addRightToLeft(QWidget* control);

protected:
    void changeEvent(QEvent* event) override;

private:
    int gap() const;
    void apply_gaps();

    QLabel* caption_;
    QBoxLayout* row_;
    QBoxLayout* host_;
    QPointer<QWidget> last_;  // the control added last, while it exists
};

// Arrow of an up-down. A press steps once and, while that mouse button stays physically held on
// the arrow, steps again after a delay and then at an interval. The repeat checks the real button
// state on every step and ends at once when a modal window opens, the window is deactivated, or
// the arrow or its buddy is hidden or disabled. Releasing steps no more.
class RepeatArrow : public QToolButton {
    Q_OBJECT
public:
    static constexpr int DelayMs = 300;
    static constexpr int IntervalMs = 100;

    RepeatArrow(Qt::ArrowType arrow, QWidget* parent);
    // The edit the arrow steps: it takes the focus of a click on the arrow, and the repeat needs
    // it visible and enabled.
    void setBuddy(QWidget* buddy);
    bool repeating() const { return repeat_.isActive(); }

Q_SIGNALS:
    void step();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool still_held() const;
    void end_repeat();

    QBasicTimer repeat_;
    Qt::MouseButton held_ = Qt::NoButton;
    QPointer<QWidget> buddy_;
};

// Two stacked arrows beside an edit.
class UpDownButton : public QWidget {
    Q_OBJECT
public:
    static constexpr int Width = 18;

    explicit UpDownButton(QWidget* parent = nullptr);

    RepeatArrow* upButton() const { return up_; }
    RepeatArrow* downButton() const { return down_; }
    // See RepeatArrow::setBuddy.
    void setBuddy(QWidget* buddy);

Q_SIGNALS:
    // 1 up, 2 down.
    void changing(int direction);

private:
    RepeatArrow* up_;
    RepeatArrow* down_;
};
