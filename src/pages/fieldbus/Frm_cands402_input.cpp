#include "pages/fieldbus/Frm_cands402_input.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/FlowPanel.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"
#include "pages/fieldbus/Frm_mdb_input.h"

namespace {

constexpr uint16_t OFS_SETTING = 2266;
constexpr uint16_t OFS_INPUTS = 2232;
const char* const ECHOES[5] = {"Panel_par_inset_fine_corsa_CW", "Panel_par_inset_fine_corsa_CCW",
                               "Panel_par_inset_fine_corsa_home", "Panel_in5_pos_mis_enable",
                               "Panel_in5_pos_mis_mode_dat"};

#define LIVE(loc) {loc.ofs, loc.ofs, false, 0, 0, Area::Live}
const PollSpec POLL[] = {{OFS_INPUTS, OFS_INPUTS}, {OFS_SETTING, OFS_SETTING}, LIVE(LiveLoc::PositionInitial),
                         LIVE(LiveLoc::PositionFinal), LIVE(LiveLoc::PositionDelta)};
#undef LIVE
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

#define BIT(control, n, combo, echo, on_off) {control, 1u << (n), combo, echo, OFS_SETTING, on_off, 1}
const BitSpec BITS[] = {
    BIT("CheckBox_fine_corsa_CW_enable", 0, false, ECHOES[0], "Panel_fine_corsa_CW_enable_on_off"),
    BIT("ComboBox_fine_corsa_CW_volt", 1, true, ECHOES[1], nullptr),
    BIT("CheckBox_fine_corsa_CCW_enable", 2, false, ECHOES[2], "Panel_fine_corsa_CCW_enable_on_off"),
    BIT("ComboBox_fine_corsa_CCW_volt", 3, true, ECHOES[3], nullptr),
    BIT("ComboBox_fine_corsa_home_volt", 4, true, ECHOES[4], nullptr),
    BIT("CheckBox_in5_pos_mis_enable", 5, false, nullptr, "Panel_in5_pos_mis_enable_on_off"),
    BIT("ComboBox_in5_pos_mis_volt", 6, true, nullptr, nullptr),
    BIT("ComboBox_in5_pos_mis_mode", 7, true, nullptr, nullptr),
};
#undef BIT

const LiveSpec LIVES[] = {
    {LiveLoc::PositionInitial, InputCaptureLabels[0], LiveSpec::Int, 4},
    {LiveLoc::PositionFinal, InputCaptureLabels[1], LiveSpec::Int, 4},
    {LiveLoc::PositionDelta, InputCaptureLabels[2], LiveSpec::Int, 4},
    {RecLoc(OFS_INPUTS), "Panel_can_digital_inputs_dat", LiveSpec::Hex, 4},
};

ParamPage& page();
QWidget* find(uint8_t ctx, const char* name) { return page().find<QWidget>(ctx, name); }
const DigitalInputName& name_of(int input) { return DigitalInputNameTable[InputCan402][input]; }

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    Input_row(box, layout, "I.0", {"Panel_input_0"});
    Input_row(box, layout, "I.1", {"Panel_input_1"});
    Input_row(box, layout, "I.2", {"CheckBox_fine_corsa_CW_enable", "Panel_fine_corsa_CW_enable_on_off",
                                   "ComboBox_fine_corsa_CW_volt", ECHOES[0]});
    Input_row(box, layout, "I.3", {"CheckBox_fine_corsa_CCW_enable", "Panel_fine_corsa_CCW_enable_on_off",
                                   "ComboBox_fine_corsa_CCW_volt", ECHOES[1]});
    Input_row(box, layout, "I.4", {"Panel_input_4", "ComboBox_fine_corsa_home_volt", ECHOES[2]});
    Input_row(box, layout, "I.5", {"CheckBox_in5_pos_mis_enable", "Panel_in5_pos_mis_enable_on_off",
                                   "ComboBox_in5_pos_mis_volt", ECHOES[3]});
    auto* mode = Page_flow(box, layout, "Panel_in5_pos_mis_mode");
    mode->addRightToLeft(Page_label(mode, nullptr, ECHOES[4]));
    Page_combo(mode, "ComboBox_in5_pos_mis_mode");
    Input_capture_group(box, layout);
    auto* inputs = Page_flow(box, layout, "Panel_can_digital_inputs_str", "Input digitali");
    inputs->addRightToLeft(Page_label(inputs, nullptr, "Panel_can_digital_inputs_dat"));
}

void caption(uint8_t ctx, const char* control, const char* const text[3])
{
    Utxgraph_set_caption_txt(SlotLoc(ctx, OFS_SETTING), find(ctx, control), text[Lang_index()], nullptr, ctx);
}

void set_language(ParamPage& p, uint8_t ctx)
{
    Input_show_name(find(ctx, "Panel_input_0"), name_of(0), ctx);
    Input_show_name(find(ctx, "Panel_input_1"), name_of(1), ctx);
    for (const char* level : {"ComboBox_fine_corsa_CW_volt", "ComboBox_fine_corsa_CCW_volt",
                              "ComboBox_fine_corsa_home_volt", "ComboBox_in5_pos_mis_volt"})
        Combo_fill(p.find<QComboBox>(ctx, level), InputLevelCombo);
    Combo_fill(p.find<QComboBox>(ctx, "ComboBox_in5_pos_mis_mode"), InputCaptureModeCombo);
    p.step_show_bits(ctx);
    if (auto* group = p.find<QGroupBox>(ctx, "GroupBox_dati_misura_pos"))
        group->setTitle(QString::fromUtf8(InputCaptureGroupText[Lang_index()]));
    if (!ParamPage::bus_known(ctx))
        return;
    const Loc tag = SlotLoc(ctx, OFS_SETTING);
    Input_show_name(find(ctx, "Panel_input_4"), name_of(4), ctx, &tag);
    caption(ctx, "CheckBox_fine_corsa_CW_enable", InputCwText);
    caption(ctx, "CheckBox_fine_corsa_CCW_enable", InputCcwText);
    caption(ctx, "CheckBox_in5_pos_mis_enable", InputCaptureText);
    caption(ctx, "Panel_in5_pos_mis_mode", InputCaptureModeText);
    const Loc results[3] = {LiveLoc::PositionInitial, LiveLoc::PositionFinal, LiveLoc::PositionDelta};
    for (int i = 0; i < 3; ++i)
        Utxgraph_set_caption(results[i], find(ctx, InputCaptureCaptions[i]), ctx);
}

void set_access(ParamPage& p, uint8_t state)
{
    Utxgraph_enable_combo(RecLoc(OFS_SETTING), p.find<QComboBox>(0, "ComboBox_in5_pos_mis_mode"),
                          find(0, "Panel_in5_pos_mis_mode"), state);
    Utxgraph_enable_panel(RecLoc(OFS_SETTING), find(0, "Panel_input_4"), state);
}

// The capture results and the digital inputs follow whenever list reads are on.
void tick(ParamPage& p)
{
    if (Ser_data_flags.load(std::memory_order_acquire) & DataFlag::ListReads)
        p.step_copy_lives();
}

const PageHooks HOOKS = {.tick = tick, .build = build, .set_language = set_language, .set_access = set_access};

const PageSpec SPEC = {
    "TFrame_CanDS402_input", "GroupBox_input_digitali", {"Input Digitali", "Digital Input", "Entrées Numériques"},
    nullptr, 0, LISTS, std::size(LISTS), HOOKS, BITS, std::size(BITS), LIVES, std::size(LIVES),
};

}  // namespace

PARAM_PAGE_UNIT(cands402_input, SPEC)

void Frm_cands402_input_show_hex(uint8_t ctx)
{
    for (const char* echo : ECHOES)
        Utxgraph_set_text(find(ctx, echo), Page_hex_text(DriveRecordBank[ctx & 1].b[OFS_SETTING], 1));
}

void Frm_cands402_input_update()
{
    if (page().frame(0) == nullptr)
        return;
    if (ParamPage::default_may_copy())
        page().step_copy_bits();
    tick(page());
}

namespace {
ParamPage& page() { return Frm_cands402_input_page(); }
}  // namespace
