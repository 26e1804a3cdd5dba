#include "pages/drive/Frm_input_flt.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

#define INPUT_FILTER(n, ofs) \
    {"FlowPanel_input_flt_timer" #n, "Filter time input " #n, ofs, EditType::U16, 0, 60000, 1, 70}
const FieldSpec FIELDS[] = {
    INPUT_FILTER(0, 250), INPUT_FILTER(1, 252), INPUT_FILTER(2, 254),
    INPUT_FILTER(3, 256), INPUT_FILTER(4, 258), INPUT_FILTER(5, 260),
};
#undef INPUT_FILTER
const PollSpec POLL[] = {{250, 250}, {252, 252}, {254, 254}, {256, 256}, {258, 258}, {260, 260}};
const PollList LISTS[] = {{POLL, std::size(POLL)}};
static_assert(std::size(POLL) == std::size(FIELDS));

// One row per input: its fixed label "I.n" and its flow panel.
void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    for (std::size_t i = 0; i < std::size(FIELDS); ++i) {
        auto* panel = box->findChild<FlowPanel*>(QString::fromLatin1(FIELDS[i].panel));
        auto* row = new QHBoxLayout;
        auto* label = new QLabel(QStringLiteral("I.%1").arg(i), box);
        label->setObjectName(QStringLiteral("Label_input_flt%1").arg(i));
        row->addWidget(label);
        layout->removeWidget(panel);
        row->addWidget(panel, 1);
        layout->addLayout(row);
    }
}

const PageHooks HOOKS = {.build = build};

const PageSpec SPEC = {
    "TFrame_input_flt", "GroupBox_input_digitali",
    {"Filtro ingressi digitali", "Filter digital inputs", "Filtre entrées numériques"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS,
};

}  // namespace

PARAM_PAGE_UNIT(input_flt, SPEC)
