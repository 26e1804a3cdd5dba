#include "pages/drive/Frm_modo_allarmi.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"

namespace {

constexpr uint16_t OFS_FLAGS = 184;

// One bit: its combo, caption panel and hex label, own caption, items and group box.
struct ModeBit {
    const char* combo;
    const char* panel;
    const char* hex;
    const char* text[3];
    const ComboSpec* items;
    const char* group;
};
const ModeBit MODES[] = {
    {"ComboBox_modo_al_overvolt", "Panel_modo_al_overvolt", "Label_modo_al_overvolt_hex",
     {"Sovra-tensione", "Over voltage", "Surtension"}, &AlarmModeResetCombo, "GroupBox_alarm_tensioni"},
    {"ComboBox_modo_al_undervolt", "Panel_modo_al_undervolt", "Label_modo_al_undervolt_hex",
     {"Sotto-Tensione", "Undervoltage", "Sous-tension"}, &AlarmModeResetCombo, "GroupBox_alarm_tensioni"},
    {"ComboBox_modo_al_i2t_drive", "Panel_modo_al_i2t_drive", "Label_modo_al_i2t_drive_hex",
     {"I2t Drive", "I2t Drive", "I2t Variateur"}, &AlarmModeI2tCombo, "GroupBox_alarm_I2t"},
    {"ComboBox_modo_al_secure_disable", "Panel_modo_al_secure_disable", "Label_modo_al_secure_disable_hex",
     {"Secure Disable", "Secure Disable", "Secure Désactiver"}, &AlarmModeResetCombo,
     "GroupBox_alarm_secure_disable"},
};
// The base stores, copies and sends each bit alone and rewrites the labels.
const BitSpec BITS[] = {
    {MODES[0].combo, 1u << 0, true, MODES[0].hex, OFS_FLAGS},
    {MODES[1].combo, 1u << 1, true, MODES[1].hex, OFS_FLAGS},
    {MODES[2].combo, 1u << 2, true, MODES[2].hex, OFS_FLAGS},
    {MODES[3].combo, 1u << 3, true, MODES[3].hex, OFS_FLAGS},
};
static_assert(std::size(BITS) == std::size(MODES));
const char* const SECURE_GROUP = "GroupBox_alarm_secure_disable";

const PageCaption CAPTIONS[] = {
    {"GroupBox_alarm_tensioni", {"Allarme tensione", "Voltage Alarm", "Alarme Tension"}},
    {"GroupBox_alarm_I2t", {"Allarme I2t", "Alarm I2t", "Alarme I2t"}},
    {SECURE_GROUP, {"Allarme Secure Disable", "Secure Disable Alarm", "Alarme Secure Désactiver"}},
};

const PollSpec POLL[] = {{OFS_FLAGS, OFS_FLAGS}};
const PollList LISTS[] = {{POLL, std::size(POLL)}};

bool second_family() { return PagesHost.second_family != nullptr && PagesHost.second_family(); }

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    for (const ModeBit& m : MODES) {
        auto* group = box->findChild<QGroupBox*>(QString::fromLatin1(m.group));
        if (group == nullptr) {
            group = Page_group(box, layout, m.group);
            new QVBoxLayout(group);
        }
        FlowPanel* panel = Page_flow(group, nullptr, m.panel, m.text[0]);
        group->layout()->addWidget(panel);
        panel->addRightToLeft(Page_label(panel, nullptr, m.hex));
        Page_combo(panel, m.combo);
    }
}

void refresh(ParamPage& p, uint8_t ctx) { p.find<QWidget>(ctx, SECURE_GROUP)->setVisible(second_family()); }

// Captions with the word's address tag, the items, then the combos set again from the bits.
void set_language(ParamPage& p, uint8_t ctx)
{
    const unsigned l = Lang_index();
    Page_set_captions(p.frame(ctx), CAPTIONS, std::size(CAPTIONS));
    for (const ModeBit& m : MODES) {
        auto* panel = p.find<QWidget>(ctx, m.panel);
        if (ParamPage::bus_known(ctx))
            Utxgraph_set_caption_txt(SlotLoc(ctx, OFS_FLAGS), panel, m.text[l], nullptr, ctx);
        else
            Utxgraph_set_text(panel, QString::fromUtf8(m.text[l]));
        Combo_fill(p.find<QComboBox>(ctx, m.combo), *m.items);
    }
    p.step_show_bits(ctx);
}

// The combos with their caption panels, by the word's dictionary entry.
void set_access(ParamPage& p, uint8_t state)
{
    const bool known = ParamPage::bus_known(0);
    for (const ModeBit& m : MODES) {
        auto* combo = p.find<QComboBox>(0, m.combo);
        if (known)
            Utxgraph_enable_combo(RecLoc(OFS_FLAGS), combo, p.find<QWidget>(0, m.panel), state);
        else
            combo->setEnabled(false);
    }
}

const PageHooks HOOKS = {.build = build,
                         .refresh = refresh,
                         .set_language = set_language,
                         .set_access = set_access,
                         .own_access = true};

const PageSpec SPEC = {
    "TFrame_modo_allarmi", "GroupBox_modo_alarm",
    {"Modo Allarmi", "Alarm Mode", "Mode Alarmes"},
    nullptr, 0, LISTS, std::size(LISTS), HOOKS, BITS, std::size(BITS),
};

}  // namespace

PARAM_PAGE_UNIT(modo_allarmi, SPEC)
