#include "pages/drive/Frm_soglie_tensione.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"
#include "pages/drive/Frm_setup_avanzato.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_tens_max_over_voltage", "Max over voltage", 38, EditType::U16, 15, 960, 0, 60},
    {"FlowPanel_ist_tens_max_over_voltage", "Over voltage hysteresis", 40, EditType::U16, 1, 125, 0, 60},
    {"FlowPanel_tens_min_under_voltage", "Max under voltage", 42, EditType::U16, 5, 560, 0, 60},
    {"FlowPanel_ist_tens_min_under_voltage", "Under voltage hysteresis", 44, EditType::U16, 1, 125, 0, 60},
    {"FlowPanel_tens_max", "Max braking voltage", 60, EditType::U16, 15, 960, 0, 60},
    {"FlowPanel_ist_tens_max", "Braking voltage hysteresis", 62, EditType::U16, 1, 125, 0, 60},
};
constexpr int DCBUS_FIELDS = 4;  // the first four: ranged by family and class, dictionary captions
const char* const BRAKING_GROUP = "GroupBox_soglie_tensioni_res_fren";

// Raw min..max of the four DC-bus edits.
struct Limits {
    double min;
    double max;
};
using Ranges = Limits[DCBUS_FIELDS];
const Ranges RANGES_FIRST = {{30, 100}, {1, 10}, {5, 80}, {1, 10}};
const Ranges RANGES_SECOND_CLASS0 = {{15, 440}, {1, 125}, {5, 280}, {1, 125}};
const Ranges RANGES_SECOND_OTHER = {{15, 960}, {1, 125}, {5, 560}, {1, 125}};

const char* const NO_CLASS = "?????";

const PageCaption CAPTIONS[] = {
    {"Panel_tens_rete", {"Tensione drive", "Voltage drive", "Tension variateur"}},
    {BRAKING_GROUP,
     {"Soglie tensioni resistenza frenatura", "Threshold voltages braking resistor",
      "Tensions de seuil résistance de freinage"}},
    {"FlowPanel_tens_max", {"Max tensione frenatura", "Max braking voltage", "Tension max. freinage"}},
    {"FlowPanel_ist_tens_max",
     {"Isteresi tensione frenatura", "Braking voltage hysteresis", "Hystérésis tension freinage"}},
};

ParamPage& page() { return Frm_soglie_tensione_page(); }
bool second_family() { return PagesHost.second_family != nullptr && PagesHost.second_family(); }
uint16_t voltage_class(uint8_t ctx) { return Rec_get<uint16_t>(DriveRecordBank[ctx & 1], RecOfs::VoltageClass) & 3; }

QString class_text(uint16_t vclass)
{
    const char* name = Frm_voltage_class_name(vclass);
    return name != nullptr ? QString::fromLatin1(name) + ' ' : QString::fromLatin1(NO_CLASS);
}

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    FlowPanel* mains = Page_flow(box, layout, "Panel_tens_rete", CAPTIONS[0].text[0]);
    mains->addRightToLeft(Page_label(mains, nullptr, "Panel_tensione_drive"));
    // The braking group sits beside the DC-bus group, in Panel_frm.
    auto* frm = box->parentWidget();
    QGroupBox* braking = Page_group(frm, nullptr, BRAKING_GROUP);
    frm->layout()->addWidget(braking);
    auto* column = new QVBoxLayout(braking);
    for (int i = DCBUS_FIELDS; i < static_cast<int>(std::size(FIELDS)); ++i) {
        auto* panel = box->findChild<FlowPanel*>(QString::fromLatin1(FIELDS[i].panel));
        panel->setParent(braking);
        column->addWidget(panel);
    }
}

void refresh(ParamPage& p, uint8_t ctx)
{
    p.find<QWidget>(ctx, BRAKING_GROUP)->setVisible(second_family());
    Utxgraph_set_text(p.find<QWidget>(ctx, "Panel_tensione_drive"), class_text(voltage_class(ctx)));
    Frm_soglie_tensione_apply_ranges(ctx);
    p.step_show_edits(ctx);
}

// Title, the DC-bus edits' dictionary captions, then the page's own captions.
void language_steps(ParamPage& p, uint8_t ctx)
{
    p.step_title(ctx);
    if (ParamPage::bus_known(ctx))
        for (int i = 0; i < DCBUS_FIELDS; ++i)
            p.edit(ctx, i)->set_language(ctx);
    Page_set_captions(p.frame(ctx), CAPTIONS, std::size(CAPTIONS));
}

const PageHooks HOOKS = {.build = build,
                         .refresh_steps = refresh,
                         .language_steps = language_steps,
                         .no_timer = true};

const PageSpec SPEC = {
    "TFrame_soglie_tensione", "GroupBox_soglie_tensioni_DCBUS",
    {"Soglie tensioni DCBUS", "DCBUS Voltage Threshold", "Seuils Tensions DCBUS"},
    FIELDS, std::size(FIELDS), nullptr, 0, HOOKS,
};

}  // namespace

PARAM_PAGE_UNIT(soglie_tensione, SPEC)

void Frm_soglie_tensione_apply_ranges(uint8_t ctx)
{
    const Ranges& r = !second_family()           ? RANGES_FIRST
                      : voltage_class(ctx) == 0 ? RANGES_SECOND_CLASS0
                                                : RANGES_SECOND_OTHER;
    for (int i = 0; i < DCBUS_FIELDS; ++i)
        if (MemoUpDwxBase* e = page().edit(ctx, i)) {
            e->max = r[i].max;
            e->min = r[i].min;
            e->set_range();
        }
}
