#include "pages/drive/Frm_test_i2t.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"

namespace {

constexpr uint8_t FUNC_I2T_TEST = 2;

const FieldSpec FIELDS[] = {
    {"FlowPanel_I2t_corr_high", "High Current", 28, EditType::U16, 1, 60000, 2},
    {"FlowPanel_I2t_time_corr_high", "High Current Time", 32, EditType::U16, 1, 1000, 0},
    {"FlowPanel_I2t_corr_low", "Low Current", 30, EditType::U16, 1, 60000, 2},
    {"FlowPanel_I2t_time_corr_low", "Low Current Time", 34, EditType::U16, 1, 1000, 0},
};
// Group box of each field, in field order.
const char* const FIELD_GROUPS[] = {"GroupBox_corrente_alta", "GroupBox_corrente_alta", "GroupBox_corrente_bassa",
                                    "GroupBox_corrente_bassa"};
static_assert(std::size(FIELD_GROUPS) == std::size(FIELDS));

const PageCaption CAPTIONS[] = {
    {"CheckBox_test_I2t", {"Abilita Test I2t", "Enable I2t Test", "Activer Test I2t"}},
};

ParamPage& page() { return Frm_test_i2t_page(); }
QCheckBox* check_box() { return page().find<QCheckBox>(0, "CheckBox_test_I2t"); }
QLabel* on_off() { return page().find<QLabel>(0, "Panel_test_I2t_on_off"); }

void show_switch()
{
    const QSignalBlocker quiet(check_box());
    if (PagesHost.set_check_on_off != nullptr)
        PagesHost.set_check_on_off(check_box(), on_off(), I2tTestActive.load() != 0);
    else
        check_box()->setChecked(I2tTestActive.load() != 0);
}

// Nothing is sent while the link is not ready: the switch then shows the test as it is.
void CheckBox_test_I2tClick()
{
    QCheckBox* box = check_box();
    if (page().ready() != 1 || PageContext.load() != 0 || box == nullptr || !box->isEnabled())
        return;
    if (!Sertx_ready()) {
        show_switch();
        return;
    }
    const uint8_t on = PagesHost.get_check_on_off != nullptr ? PagesHost.get_check_on_off(box, on_off())
                                                             : static_cast<uint8_t>(box->isChecked());
    I2tTestActive = on;
    Sertx_drive_func(FUNC_I2T_TEST, on);
}

void build(ParamPage&, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout)
{
    for (std::size_t i = 0; i < std::size(FIELDS); ++i) {
        auto* group = box->findChild<QGroupBox*>(QString::fromLatin1(FIELD_GROUPS[i]));
        if (group == nullptr) {
            group = Page_group(box, layout, FIELD_GROUPS[i]);
            new QVBoxLayout(group);
        }
        auto* panel = box->findChild<FlowPanel*>(QString::fromLatin1(FIELDS[i].panel));
        panel->setParent(group);
        group->layout()->addWidget(panel);
    }
    auto* frame = new QFrame(box);
    frame->setObjectName(QStringLiteral("Panel_test_I2t"));
    layout->addWidget(frame);
    auto* row = new QHBoxLayout(frame);
    auto* check = new QCheckBox(frame);
    check->setObjectName(QStringLiteral("CheckBox_test_I2t"));
    row->addWidget(check);
    Page_label(frame, row, "Panel_test_I2t_on_off");
    if (ctx == 0)
        QObject::connect(check, &QCheckBox::clicked, check, [] { CheckBox_test_I2tClick(); });
}

void refresh(ParamPage& p, uint8_t ctx)
{
    p.find<QWidget>(ctx, "Panel_test_I2t")->setVisible(ctx == 0);
    if (ctx == 0)
        show_switch();
}

void set_language(ParamPage& p, uint8_t ctx) { Page_set_captions(p.frame(ctx), CAPTIONS, std::size(CAPTIONS)); }

// The switch by the first output of the two-control rule.
void set_access(ParamPage&, uint8_t state)
{
    bool en[2] = {false, false};
    QColor col[2] = {clInactiveCaption, clInactiveCaption};
    if (PagesHost.enable_by_state2 != nullptr)
        PagesHost.enable_by_state2(state, en, col);
    Page_set_state(check_box(), en[0], col[0]);
}

const PageHooks HOOKS = {.build = build,
                         .refresh = refresh,
                         .set_language = set_language,
                         .set_access = set_access,
                         .no_timer = true};

const PageSpec SPEC = {
    "TFrame_test_I2t", "GroupBox_test_I2t",
    {"Test I2t", "I2t Test", "I2t Test"},
    FIELDS, std::size(FIELDS), nullptr, 0, HOOKS,
};

}  // namespace

PARAM_PAGE_UNIT(test_i2t, SPEC)
