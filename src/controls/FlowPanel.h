#pragma once
// Caption panel that hosts a bound edit, and the up-down button beside the edit.
//
// A FlowPanel shows its caption on the left and lays the controls it hosts out from its right
// edge to the left (the first control added sits at the right edge), vertically centred.
#include <QFrame>
#include <QString>

class QBoxLayout;
class QLabel;
class QToolButton;

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

private:
    QLabel* caption_;
    QBoxLayout* host_;
};

// Two stacked arrow buttons. They take no focus, so a click leaves the focus where it is, and
// repeat while held down.
class UpDownButton : public QWidget {
    Q_OBJECT
public:
    static constexpr int Width = 18;

    explicit UpDownButton(QWidget* parent = nullptr);

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

Q_SIGNALS:
    // 1 up, 2 down.
    void changing(int direction);

private:
    QToolButton* up_;
    QToolButton* down_;
};
