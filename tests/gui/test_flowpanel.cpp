// Caption panel: at its narrowest a blank keeps the caption from its controls and the controls from
// each other; an edit stays against its up-down.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include <memory>

#include "controls/FlowPanel.h"
#include "gui_app.h"
#include "text_fit.h"

namespace {

struct Row {
    const char* what;
    const char* caption;
    bool value_and_button;  // a value label and a button, else an edit and its up-down
    int points;             // a font given to the panel once filled, 0 for none
};

const Row ROWS[] = {
    {"edit", "Corrente nominale motore [A]", false, 0},
    {"edit", "Courant nominal moteur [A]", false, 0},
    {"value and button", "Encoder autophasing", true, 0},
    {"value and button, large font", "Encoder autophasing", true, 40},
};

TEST(FlowPanel, ABlankKeepsTextsApartAtTheNarrowest)
{
    gui_app();
    for (const Row& r : ROWS) {
        QWidget window;
        auto* panel = new FlowPanel(QStringLiteral("FlowPanel_row"), &window);
        panel->setCaption(QString::fromUtf8(r.caption));
        QWidget* right = nullptr;  // the control at the right edge
        QWidget* left = nullptr;   // the control beside the caption
        if (r.value_and_button) {
            right = new QPushButton(QStringLiteral("Reset"), panel);
            auto* value = new QLabel(QStringLiteral("0"), panel);
            panel->addRightToLeft(right);
            panel->addRightToLeft(value);
            left = value;
        } else {
            auto* memo = new QLineEdit(panel);
            memo->setFixedWidth(70);
            right = new UpDownButton(panel);
            panel->addRightToLeft(right);
            panel->addRightToLeft(memo);
            left = memo;
        }
        if (r.points != 0) {
            QFont large = panel->font();
            large.setPointSize(r.points);
            panel->setFont(large);
        }
        panel->resize(panel->minimumSizeHint().width(), panel->sizeHint().height());
        window.show();
        textfit::settle(&window);
        const QLabel* caption = panel->captionLabel();
        EXPECT_TRUE(textfit::label_whole(caption)) << r.caption;
        EXPECT_GE(textfit::gap_after(caption, left), textfit::blank(caption)) << r.caption;
        if (r.value_and_button)
            EXPECT_GE(textfit::gap_after(qobject_cast<QLabel*>(left), right), textfit::blank(left)) << r.what;
        else
            EXPECT_EQ(right->x(), left->geometry().right() + 1) << r.what;
    }
}

}  // namespace
