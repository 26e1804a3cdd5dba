// The calculator part of the two factor pages: application, units and custom label on the
// application record of the page context, the polarity check boxes, the open and save buttons and
// "Calcola fattori".
#include "pages/fieldbus/Factor_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QValidator>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "drivedata/Utx.h"
#include "factors_core/Factor_file_core.h"
#include "factors/Factor_tool.h"
#include "pages/Page_controls.h"
#include "platform/Msgbox.h"
#include "platform/Savefile.h"

// ---- tables ----

namespace {

// clang-format off
const char* const POS_IT[] = {"[00] Custom (applicazione)", "[01] Custom (etichetta)", "[02] Counts 16bits(asse motore)",
    "[03] Radianti(asse motore)", "[04] Radianti/10(asse motore)", "[05] Radianti/10²(asse motore)",
    "[06] Radianti/10³(asse motore)", "[07] Gradi(asse motore)", "[08] Gradi/10(asse motore)",
    "[09] Gradi/10²(asse motore)", "[10] Gradi/10³(asse motore)"};
const char* const POS_EN[] = {"[00] Custom (application)", "[01] Custom (label)", "[02] Counts 16bits(motor shaft)",
    "[03] Radian (motor shaft)", "[04] Radian/10 (motor shaft)", "[05] Radian/10² (motor shaft)",
    "[06] Radian/10³ (motor shaft)", "[07] Degee (motor shaft)", "[08] Degee/10 (motor shaft)",
    "[09] Degee/10² (motor shaft)", "[10] Degee/10³ (motor shaft)"};
const char* const POS_FR[] = {"[00] Custom (application)", "[01] Custom (label)", "[02] Comptes 16bits(axe moteur)",
    "[03] Radian (axe moteur)", "[04] Radian/10 (axe moteur)", "[05] Radian/10² (axe moteur)",
    "[06] Radian/10³ (axe moteur)", "[07] Degré (axe moteur)", "[08] Degré/10 (axe moteur)",
    "[09] Degré/10² (axe moteur)", "[10] Degré/10³ (axe moteur)"};
const char* const VEL_IT[] = {"[00] Custom/s (applicazione)", "[01] Custom/s (etichetta)", "[02] Counts/s 16bits(asse motore)",
    "[03] Radianti/s(asse motore)", "[04] Radianti/(10s)(asse motore)", "[05] Radianti/(10²s)(asse motore)",
    "[06] Radianti/(10³s)(asse motore)", "[07] Gradi/s(asse motore)", "[08] Gradi/(10s)(asse motore)",
    "[09] Gradi/(10²s)(asse motore)", "[10] Gradi/(10³s)(asse motore)", "[11] RPM (asse motore)",
    "[12] RPM/10 (asse motore)", "[13] RPM/10² (asse motore)", "[14] RPM/10³ (asse motore)", "[15] RPS (asse motore)",
    "[16] RPS/10 (asse motore)", "[17] RPS/10² (asse motore)", "[18] RPS/10³ (asse motore)"};
const char* const VEL_EN[] = {"[00] Custom/s (application)", "[01] Custom/s (label)", "[02] Counts/s 16bits(motor shaft)",
    "[03] Radian/s (motor shaft)", "[04] Radian/(10s) (motor shaft)", "[05] Radian/(10²s) (motor shaft)",
    "[06] Radian/(10³s) (motor shaft)", "[07] Degee/s (motor shaft)", "[08] Degee/(10s) (motor shaft)",
    "[09] Degee/(10²s) (motor shaft)", "[10] Degee/(10³s) (motor shaft)", "[11] RPM (motor shaft)",
    "[12] RPM/10 (motor shaft)", "[13] RPM/10² (motor shaft)", "[14] RPM/10³ (motor shaft)", "[15] RPS (motor shaft)",
    "[16] RPS/10 (motor shaft)", "[17] RPS/10² (motor shaft)", "[18] RPS/10³ (motor shaft)"};
const char* const VEL_FR[] = {"[00] Custom/s (application)", "[01] Custom/s (label)", "[02] Comptes/s 16bits(axe moteur)",
    "[03] Radian/s (axe moteur)", "[04] Radian/(10s) (axe moteur)", "[05] Radian/(10²s) (axe moteur)",
    "[06] Radian/(10³s) (axe moteur)", "[07] Degré/s (axe moteur)", "[08] Degré/(10s) (axe moteur)",
    "[09] Degré/(10²s) (axe moteur)", "[10] Degré/(10³s) (axe moteur)", "[11] RPM (axe moteur)",
    "[12] RPM/10 (axe moteur)", "[13] RPM/10² (axe moteur)", "[14] RPM/10³ (axe moteur)", "[15] RPS (axe moteur)",
    "[16] RPS/10 (axe moteur)", "[17] RPS/10² (axe moteur)", "[18] RPS/10³ (axe moteur)"};
const char* const ACC_IT[] = {"[00] Custom/s² (applicazione)", "[01] Custom/s² (etichetta)", "[02] Counts/s² 16bits(asse motore)",
    "[03] Radianti/s²(asse motore)", "[04] Radianti/(10 s²)(asse motore)", "[05] Radianti/(10² s²)(asse motore)",
    "[06] Radianti/(10³ s²)(asse motore)", "[07] Gradi/s²(asse motore)", "[08] Gradi/(10 s²)(asse motore)",
    "[09] Gradi/(10² s²)(asse motore)", "[10] Gradi/(10³ s²)(asse motore)", "[11] RPM/s (asse motore)",
    "[12] RPM/(10s) (asse motore)", "[13] RPM/(10²s) (asse motore)", "[14] RPM/(10³s) (asse motore)",
    "[15] RPS/s (asse motore)", "[16] RPS/(10s) (asse motore)", "[17] RPS/(10²s) (asse motore)",
    "[18] RPS/(10³s) (asse motore)"};
const char* const ACC_EN[] = {"[00] Custom/s² (application)", "[01] Custom/s² (label)", "[02] Counts/s² 16bits(motor shaft)",
    "[03] Radian/s² (motor shaft)", "[04] Radian/(10 s²) (motor shaft)", "[05] Radian/(10² s²) (motor shaft)",
    "[06] Radian/(10³ s²) (motor shaft)", "[07] Degee/s² (motor shaft)", "[08] Degee/(10 s²) (motor shaft)",
    "[09] Degee/(10² s²) (motor shaft)", "[10] Degee/(10³ s²) (motor shaft)", "[11] RPM/s (motor shaft)",
    "[12] RPM/(10s) (motor shaft)", "[13] RPM/(10²s) (motor shaft)", "[14] RPM/(10³s) (motor shaft)",
    "[15] RPS/s (motor shaft)", "[16] RPS/(10s) (motor shaft)", "[17] RPS/(10²s) (motor shaft)",
    "[18] RPS/(10³s) (motor shaft)"};
const char* const ACC_FR[] = {"[00] Custom/s² (application)", "[01] Custom/s² (label)", "[02] Comptes/s² 16bits(axe moteur)",
    "[03] Radian/s² (axe moteur)", "[04] Radian/(10 s²) (axe moteur)", "[05] Radian/(10² s²) (axe moteur)",
    "[06] Radian/(10³ s²) (axe moteur)", "[07] Degré/s² (axe moteur)", "[08] Degré/(10 s²) (axe moteur)",
    "[09] Degré/(10² s²) (axe moteur)", "[10] Degré/(10³ s²) (axe moteur)", "[11] RPM/s (axe moteur)",
    "[12] RPM/(10s) (axe moteur)", "[13] RPM/(10²s) (axe moteur)", "[14] RPM/(10³s) (axe moteur)",
    "[15] RPS/s (axe moteur)", "[16] RPS/(10s) (axe moteur)", "[17] RPS/(10²s) (axe moteur)",
    "[18] RPS/(10³s) (axe moteur)"};

const char* const LPOS_IT[] = {"[00] Counts 16bits(passo polare)", "[01] Custom (etichetta)", "[02] millimetri",
    "[03] millimetri/10", "[04] millimetri/10²", "[05] micron", "[06] micron/10", "[07] micron/10²"};
const char* const LPOS_EN[] = {"[00] Counts 16bits(pole pitch)", "[01] Custom (label)", "[02] millimeters",
    "[03] millimeters/10", "[04] millimeters/10²", "[05] micron", "[06] micron/10", "[07] micron/10²"};
const char* const LPOS_FR[] = {"[00] Comptes 16bits(Pas polaire)", "[01] Custom (label)", "[02] mm de",
    "[03] mm de/10", "[04] mm de/10²", "[05] micron", "[06] micron/10", "[07] micron/10²"};
const char* const LVEL_IT[] = {"[00] Counts/s 16bits(passo polare)", "[01] Custom/s (etichetta)", "[02] millimetri/s",
    "[03] millimetri/(10s)", "[04] millimetri/(10²s)", "[05] micron/s", "[06] micron/(10s)", "[07] micron/(10²s)"};
const char* const LVEL_EN[] = {"[00] Counts/s 16bits(pole pitch)", "[01] Custom/s (label)", "[02] millimeters/s",
    "[03] millimeters/(10s)", "[04] millimeters/(10²s)", "[05] micron/s", "[06] micron/(10s)", "[07] micron/(10²s)"};
const char* const LVEL_FR[] = {"[00] Comptes/s 16bits(pas polaire)", "[01] Custom/s (label)", "[02] mm de/s",
    "[03] mm de/(10s)", "[04] mm de/(10²s)", "[05] micron/s", "[06] micron/(10s)", "[07] micron/(10²s)"};
const char* const LACC_IT[] = {"[00] Counts/s² 16bits(passo polare)", "[01] Custom/s² (etichetta)", "[02] millimetri/s²",
    "[03] millimetri/(10s²)", "[04] millimetri/(10²s²)", "[05] micron/s²", "[06] micron/(10s²)", "[07] micron/(10²s²)"};
const char* const LACC_EN[] = {"[00] Counts/s² 16bits(pole pitch)", "[01] Custom/s² (label)", "[02] millimeters/s²",
    "[03] millimeters/(10s²)", "[04] millimeters/(10²s²)", "[05] micron/s²", "[06] micron/(10s²)", "[07] micron/(10²s²)"};
const char* const LACC_FR[] = {"[00] Comptes/s² 16bits(pas polaire)", "[01] Custom/s² (label)", "[02] mm de/s²",
    "[03] mm de/(10s²)", "[04] mm de/(10²s²)", "[05] micron/s²", "[06] micron/(10s²)", "[07] micron/(10²s²)"};

// Unit captions of a linear motor by selection; selection 1 shows the label instead.
const char* const LINEAR_SHORT[3][8] = {
    {"Counts", "", "mm", "mm/10", "mm/10²", "µm", "µm/10", "µm/10²"},
    {"Counts/s", "", "mm/s", "mm/(10s)", "mm/(10²s)", "µm/s", "µm/(10s)", "µm/(10²s)"},
    {"Counts/s²", "", "mm/s²", "mm/(10s²)", "mm/(10²s²)", "µm/s²", "µm/(10s²)", "µm/(10²s²)"},
};
const char* const LINEAR_SHORT_FIRST_EN[3] = {"Step", "Step/s", "Step/s²"};
const char* const COUNTS_SHORT[3] = {"Counts", "Counts/s", "Counts/s²"};
const char* const LABEL_SUFFIX[3] = {"", "/s", "/s²"};
// clang-format on

}  // namespace

const ComboSpec FactorAppTypeCombo = {{FactorAppTypeText[0], FactorAppTypeText[1], FactorAppTypeText[2]}, FACTOR_APP_TYPES};
const ComboSpec FactorSelectionCombo[3] = {
    {{POS_IT, POS_EN, POS_FR}, std::size(POS_EN)},
    {{VEL_IT, VEL_EN, VEL_FR}, std::size(VEL_EN)},
    {{ACC_IT, ACC_EN, ACC_FR}, std::size(ACC_EN)},
};
const ComboSpec FactorLinearSelectionCombo[3] = {
    {{LPOS_IT, LPOS_EN, LPOS_FR}, std::size(LPOS_EN)},
    {{LVEL_IT, LVEL_EN, LVEL_FR}, std::size(LVEL_EN)},
    {{LACC_IT, LACC_EN, LACC_FR}, std::size(LACC_EN)},
};
const ComboSpec FactorAppVelocityCombo = {
    {FactorRotaryUnitText[1], FactorRotaryUnitText[1], FactorRotaryUnitText[1]}, FACTOR_ROTARY_UNITS};
const ComboSpec FactorAppAccelerationCombo = {
    {FactorRotaryUnitText[2], FactorRotaryUnitText[2], FactorRotaryUnitText[2]}, FACTOR_ROTARY_UNITS};
static_assert(std::size(POS_IT) == 11 && std::size(POS_FR) == 11 && std::size(VEL_IT) == 19 && std::size(VEL_FR) == 19);
static_assert(std::size(ACC_IT) == 19 && std::size(ACC_FR) == 19 && std::size(LACC_FR) == 8 && std::size(LVEL_IT) == 8);

namespace {

using Text3 = const char* const[3];

// ---- the application edits ----

enum class AppKind : uint8_t { Length, Count, Label };  // u32 3 decimals; u16 width 70; u16 width 90
struct AppEdit {
    const char* panel;
    uint16_t ofs;
    AppKind kind;
    const char* const* caption;  // three texts, or null (set by the page)
};

Text3 MOTOR = {"Motore", "Motor", "Moteur"};
Text3 LOAD = {"Carico", "Load", "Charger"};
Text3 DIAMETER = {"Diametro", "Diameter", "Diamètre"};
Text3 TOOTH_PITCH = {"Passo denti", "Tooth pitch", "Pas de denture"};
Text3 TEETH = {"Numero denti", "Number teeth", "Nombre de dents"};
Text3 SCREW = {"Passo vite", "Screw pitch", "Pas de vise"};
Text3 GEAR_GROUP = {"Rapporto albero motore", "Ratio motor shaft", "L'arbre du moteur rapport"};
Text3 DATA_GROUP = {"Dati trasmissione", "Data transmission", "La transmission des données"};

// One tab per application type; tab 8 is the linear motor's.
struct AppTab {
    const char* sheet;
    const char* suffix;  // of the gear panels; null: no gear
    AppEdit edits[2];    // transmission data (panel null: none)
    const char* unit_panel;
};
const AppTab TABS[FACTOR_APP_TYPES] = {
    {"TabSheet_00_asse_disco_misura_angolare", "00_asse_disco_misura_angolare", {}, nullptr},
    {"TabSheet_01_asse_disco_misura_lineare", "01_asse_disco_misura_lineare",
     {{"FlowPanel_diametro_adl_01_asse_disco_misura_lineare", FactorOfs::DiskDiameter, AppKind::Length, DIAMETER}},
     "Panel_unita_mis_01_asse_disco_misura_lineare"},
    {"TabSheet_02_asse_nastro_cinghia_piatta", "02_asse_nastro_cinghia_piatta",
     {{"FlowPanel_diametro_ancp_02_asse_nastro_cinghia_piatta", FactorOfs::PulleyDiameter, AppKind::Length, DIAMETER}},
     "Panel_unita_mis_02_asse_nastro_cinghia_piatta"},
    {"TabSheet_03_asse_nastro_cinghia_dentata", "03_asse_nastro_cinghia_dentata",
     {{"FlowPanel_passo_denti_03_asse_nastro_cinghia_dentata", FactorOfs::ToothPitch, AppKind::Length, TOOTH_PITCH},
      {"FlowPanel_num_denti_ancd_03_asse_nastro_cinghia_dentata", FactorOfs::Teeth, AppKind::Count, TEETH}},
     "Panel_unita_mis_03_asse_nastro_cinghia_dentata"},
    {"TabSheet_04_asse_trasmissione_cinghia_piatta", "04_asse_trasmissione_cinghia_piatta",
     {{"FlowPanel_diametro1_atcp_04_asse_trasmissione_cinghia_piatta", FactorOfs::D1, AppKind::Length, DIAMETER},
      {"FlowPanel_diametro2_atcp_04_asse_trasmissione_cinghia_piatta", FactorOfs::D2, AppKind::Length, DIAMETER}},
     nullptr},
    {"TabSheet_05_asse_trasmissione_cinghia_dentata", "05_asse_trasmissione_cinghia_dentata",
     {{"FlowPanel_num_denti1_atcd_05_asse_trasmissione_cinghia_dentata", FactorOfs::N1, AppKind::Count, TEETH},
      {"FlowPanel_num_denti2_atcd_05_asse_trasmissione_cinghia_dentata", FactorOfs::N2, AppKind::Count, TEETH}},
     nullptr},
    {"TabSheet_06_asse_rotativo_vite_senza_fine", "06_asse_rotativo_vite_senza_fine",
     {{"FlowPanel_passo_vite_06_asse_rotativo_vite_senza_fine", FactorOfs::ScrewPitch, AppKind::Length, SCREW}},
     "Panel_unita_mis_06_asse_rotativo_vite_senza_fine"},
    {"TabSheet_07_asse_rotativo_albero_cavo", nullptr,
     {{"FlowPanel_passo_vite_07_asse_albero_cavo", FactorOfs::HollowPitch, AppKind::Length, SCREW}},
     "Panel_unita_mis_07_asse_albero_cavo"},
};
constexpr int LINEAR_TAB = FACTOR_APP_TYPES;  // TabSheet_99_asse_lineare
constexpr int APP_EDITS = 7 * 2 + 10 + 2;     // gears, transmission data, label amount and revolutions

// The edits of both contexts of one twin; a twin is identified by its page.
struct TwinEdits {
    const ParamPage* page = nullptr;
    MemoUpDwxBase* edits[2][APP_EDITS] = {};
    bool wide[2][APP_EDITS] = {};  // MemoUpDwx<uint32_t>, else MemoUpDwx<uint16_t>
};
TwinEdits twin_edits[2];

TwinEdits& edits_of(const FactorTwin& t)
{
    ParamPage* p = &t.page();
    for (TwinEdits& e : twin_edits)
        if (e.page == p || e.page == nullptr) {
            e.page = p;
            return e;
        }
    return twin_edits[0];
}

// ---- fixed texts ----

Text3 COUNTS_REV = {"Impulsi/giro [Normalizzati]", "Counts/rev [Normalized]", "Impulsions/tour [normalisé]"};
Text3 UNITS_GROUP = {"Unità di misura", "Unit of measure", "Unité de mesure"};
Text3 POSITION = {"Posizione", "Position", "Position"};
Text3 VELOCITY = {"Velocità", "Velocity", "Vitesse"};
Text3 ACCELERATION = {"Accelerazione", "Acceleration", "Accélération"};
Text3 ACCEL_SHORT = {"Accel.", "Accel.", "Accél."};
Text3 LABEL_GROUP = {"Custom (etichetta)", "Custom (label)", "Custom (label)"};
Text3 LABEL = {"Etichetta", "Label", "Label"};
Text3 MOTOR_REVS = {"Giri motore", "Motor revolutions", "Tours de moteur"};
Text3 POLE_PITCHES = {"Passi polari", "Pole pitches", "Pas polaires"};
Text3 APP_GROUP = {"Applicazione", "Application", "Application"};
Text3 APP_TYPE = {"Tipo applicazione", "Application type", "Type d'application"};
Text3 LINEAR_MOTOR = {"Motore lineare", "PM Linear Motor", "Linéaire, Aimants Permanents"};
Text3 APP_UNITS_GROUP = {"Unità di misura applicazione", "Units of measurement application",
                         "Unités d'application de la mesure"};
Text3 POLE_PITCH = {"Passo polare", "Pole pitch", "Pas polaire"};
Text3 CALCULATE = {"Calcola fattori", "Calculates fact.", "Calcule fact."};
Text3 OPEN_TITLE = {"Apri", "Open", "Ouvrir"};
Text3 SAVE_TITLE = {"Salva", "Save", "Enregistrer"};
Text3 SAVED = {"Dati Salvati !", "Data Saved !", "Données Enregistrées !"};
constexpr const char* OPEN_FILTER = "Factor  files (*.ftl)|*.ftl";
constexpr const char* SAVE_FILTER = "Factor files (*.ftl)|*.ftl";
constexpr const char* SUFFIX = "ftl";
constexpr const char* COUNTS_PER_REV = "65536";
constexpr int LABEL_MAX = 5;

const char* const UNIT_COMBO[3] = {"ComboBox_pos_unit_mis", "ComboBox_vel_unit_mis", "ComboBox_acc_unit_mis"};
const char* const UNIT_ROW[3] = {"Panel_position", "Panel_velocita", "Panel_accel"};
const char* const UNIT_CAPTION[3] = {"Panel_unita_pos_mis_mot", "Panel_unita_vel_mis_mot", "Panel_unita_acc_mis_mot"};
const char* const* const UNIT_ROW_TEXT[3] = {POSITION, VELOCITY, ACCELERATION};
const char* const APP_UNIT_COMBO[3] = {"ComboBox_app_unit_mis_list", "ComboBox_app_unit_mis_vel_list",
                                       "ComboBox_app_unit_mis_acc_list"};
const char* const APP_UNIT_LABEL[3] = {"Label_app_unit_mis_list", "Label_app_unit_mis_vel_list",
                                       "Label_app_unit_mis_acc_list"};
const char* const* const APP_UNIT_TEXT[3] = {POSITION, VELOCITY, ACCEL_SHORT};

// ---- helpers ----

template <typename W>
W* find(const FactorTwin& t, uint8_t ctx, const char* name)
{
    return t.page().template find<W>(ctx, name);
}

QString tr3(const char* const* texts) { return QString::fromUtf8(texts[Lang_index()]); }

FactorApplicationRec& rec_of(uint8_t ctx) { return Factor_tool_record(ctx); }
bool linear_motor(uint8_t ctx)
{
    return Rec_get<uint16_t>(DriveRecordBank[ctx & 1], RecOfs::MotorType) == MOTOR_TYPE_LINEAR;
}

// The context handlers act on: PageContext while the page is ready, else none (0xFF).
uint8_t handler_context(const FactorTwin& t)
{
    const uint16_t ctx = PageContext.load();
    return t.page().ready() == 1 && ctx <= 1 ? static_cast<uint8_t>(ctx) : 0xFF;
}

QString label_text(uint8_t ctx)
{
    char out[FactorOfs::LabelSize];
    const std::size_t n = Factor_tool_label(rec_of(ctx), out);
    return QString::fromLatin1(out, static_cast<qsizetype>(n));
}

// Keeps the letters of text (Utx_key_letters on each character).
QString letters_only(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        char key = c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : 0;
        Utx_key_letters(&key);
        if (key != 0 && key != '\b' && key != '\r')
            out += QChar::fromLatin1(key);
    }
    return out;
}

// Letters only, at most five: typed, pasted or dropped text alike.
class LabelValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override
    {
        const QString kept = letters_only(input);
        if (kept != input) {
            pos = static_cast<int>(letters_only(input.left(pos)).size());
            input = kept.left(LABEL_MAX);
            pos = std::min(pos, static_cast<int>(input.size()));
        }
        return Acceptable;
    }
};

// A pasted text is filtered before the length limit cuts it.
class LabelPaste final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        if (edit == nullptr || event->type() != QEvent::KeyPress ||
            !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste))
            return false;
        edit->insert(letters_only(QApplication::clipboard()->text()));
        return true;
    }
};

QString unit_caption(uint8_t ctx, uint16_t q)
{
    const FactorApplicationRec& rec = rec_of(ctx);
    const bool linear = linear_motor(ctx);
    const uint8_t sel = rec.b[(linear ? FactorOfs::LinearSelection : FactorOfs::Selection) + q];
    if (sel == 1)
        return label_text(ctx) + QString::fromUtf8(LABEL_SUFFIX[q]);
    if (linear) {
        if (sel >= FACTOR_LINEAR_SELECTIONS)
            return {};
        return QString::fromUtf8(sel == 0 && Lang_index() == 1 ? LINEAR_SHORT_FIRST_EN[q] : LINEAR_SHORT[q][sel]);
    }
    if (sel == 0)
        return QString::fromUtf8(Factor_tool_linear_unit_text(rec, q));
    if (sel == 2)
        return QString::fromUtf8(COUNTS_SHORT[q]);
    return QString::fromUtf8(Factor_tool_rotary_unit_name(q, sel - 3u));
}

void show_unit_caption(const FactorTwin& t, uint8_t ctx, uint16_t q)
{
    Utxgraph_set_text(find<QWidget>(t, ctx, UNIT_CAPTION[q]), unit_caption(ctx, q));
}

void show_unit_captions(const FactorTwin& t, uint8_t ctx)
{
    for (uint16_t q = 0; q < FACTOR_QUANTITIES; ++q)
        show_unit_caption(t, ctx, q);
}

void show_length_units(const FactorTwin& t, uint8_t ctx)
{
    const QString unit = QString::fromUtf8(Factor_tool_linear_unit_name(FactorPosition, rec_of(ctx).b[FactorOfs::LengthUnit]));
    for (const AppTab& tab : TABS)
        if (tab.unit_panel != nullptr)
            Utxgraph_set_text(find<QWidget>(t, ctx, tab.unit_panel), unit);
}

void show_app_edits(const FactorTwin& t, uint8_t ctx)
{
    const uint8_t was = t.page().ready();
    t.page().set_ready(0);
    for (MemoUpDwxBase* e : edits_of(t).edits[ctx & 1])
        if (e != nullptr)
            e->show();
    t.page().set_ready(was);
}

void show_label(const FactorTwin& t, uint8_t ctx)
{
    if (auto* edit = find<QLineEdit>(t, ctx, "Edit_label_unit_mis_str")) {
        const QSignalBlocker quiet(edit);
        edit->setText(label_text(ctx));
    }
    if (auto* amount = find<FlowPanel>(t, ctx, "FlowPanel_label_dat_input"))
        amount->setCaption(label_text(ctx));
}

// The unit-selection lists of the motor type, their items in LanguageIndex.
void show_unit_lists(const FactorTwin& t, uint8_t ctx)
{
    const bool linear = linear_motor(ctx);
    const std::size_t first = linear ? FactorOfs::LinearSelection : FactorOfs::Selection;
    for (uint16_t q = 0; q < FACTOR_QUANTITIES; ++q) {
        const ComboSpec& spec = linear ? FactorLinearSelectionCombo[q] : FactorSelectionCombo[q];
        auto* combo = find<QComboBox>(t, ctx, UNIT_COMBO[q]);
        Combo_fill(combo, spec);
        Combo_select(combo, spec, rec_of(ctx).b[first + q]);
    }
    Utxgraph_set_text(find<QWidget>(t, ctx, "Panel_label_unit_mis_rev"), tr3(linear ? POLE_PITCHES : MOTOR_REVS));
}

void show_app_units(const FactorTwin& t, uint8_t ctx)
{
    const FactorApplicationRec& rec = rec_of(ctx);
    Combo_select(find<QComboBox>(t, ctx, APP_UNIT_COMBO[1]), FactorAppVelocityCombo, rec.b[FactorOfs::RotaryUnit + 1]);
    Combo_select(find<QComboBox>(t, ctx, APP_UNIT_COMBO[2]), FactorAppAccelerationCombo, rec.b[FactorOfs::RotaryUnit + 2]);
    if (auto* vel_acc = find<QWidget>(t, ctx, "Panel_type_appl_mot_rotativo_vel_acc"))
        vel_acc->setVisible(Factor_tool_is_rotary(rec.b[FactorOfs::AppType]) != 0);
    Factor_tool_fill_unit_combo(find<QComboBox>(t, ctx, APP_UNIT_COMBO[0]), rec);
}

// Type combo, tab and panels by the motor type of ctx's drive record.
void show_application(const FactorTwin& t, uint8_t ctx)
{
    const bool linear = linear_motor(ctx);
    const uint8_t type = rec_of(ctx).b[FactorOfs::AppType];
    auto* tabs = find<QTabWidget>(t, ctx, "PageControl_factor_tool");
    if (tabs == nullptr)
        return;
    find<QWidget>(t, ctx, "Panel_application_type")->setVisible(!linear);
    find<QWidget>(t, ctx, "Panel_type_appl_mot_linerare")->setVisible(linear);
    find<QWidget>(t, ctx, "GroupBox_unita_mis_applicazione")->setVisible(!linear);
    Combo_select(find<QComboBox>(t, ctx, "ComboBox_appl_mot_rotativo"), FactorAppTypeCombo, type);
    const int tab = linear ? LINEAR_TAB : type < FACTOR_APP_TYPES ? type : -1;
    tabs->setVisible(tab >= 0);  // a type outside the list has no tab
    if (tab >= 0)
        tabs->setCurrentIndex(tab);
    const double pitch = Rec_get<uint32_t>(DriveRecordBank[ctx & 1], DRIVE_POLE_PITCH_OFS) * 0.001;
    Utxgraph_set_text(find<QWidget>(t, ctx, "Panel_passo_polare_dat"), Graph_format_float(QStringLiteral("0.000"), pitch));
}

// ---- handlers ----

void type_changed(const FactorTwin& t, int index)
{
    const uint8_t ctx = handler_context(t);
    if (ctx > 1 || Combo_value_of(FactorAppTypeCombo, index) < 0)
        return;
    rec_of(ctx).b[FactorOfs::AppType] = static_cast<uint8_t>(index);
    show_application(t, ctx);
    show_app_units(t, ctx);
    show_length_units(t, ctx);
    show_unit_captions(t, ctx);
}

void selection_changed(const FactorTwin& t, uint16_t q, int index)
{
    const uint8_t ctx = handler_context(t);
    if (ctx > 1 || index < 0)
        return;
    const std::size_t first = linear_motor(ctx) ? FactorOfs::LinearSelection : FactorOfs::Selection;
    rec_of(ctx).b[first + q] = static_cast<uint8_t>(index);
    show_unit_caption(t, ctx, q);
}

void app_unit_changed(const FactorTwin& t, uint16_t q, int index)
{
    const uint8_t ctx = handler_context(t);
    if (ctx > 1 || index < 0)
        return;
    FactorApplicationRec& rec = rec_of(ctx);
    const bool length = q == FactorPosition && !Factor_tool_is_rotary(rec.b[FactorOfs::AppType]);
    rec.b[length ? FactorOfs::LengthUnit : FactorOfs::RotaryUnit + q] = static_cast<uint8_t>(index);
    show_unit_captions(t, ctx);
    show_length_units(t, ctx);
}

void label_edited(const FactorTwin& t, const QString& text)
{
    const uint8_t ctx = handler_context(t);
    if (ctx > 1 || text.size() > LABEL_MAX)
        return;
    const QByteArray bytes = text.toLatin1();
    Factor_tool_set_label(&rec_of(ctx), bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (auto* amount = find<FlowPanel>(t, ctx, "FlowPanel_label_dat_input"))
        amount->setCaption(text);
    const std::size_t first = linear_motor(ctx) ? FactorOfs::LinearSelection : FactorOfs::Selection;
    for (uint16_t q = 0; q < FACTOR_QUANTITIES; ++q)
        if (rec_of(ctx).b[first + q] == 1)
            show_unit_caption(t, ctx, q);
}

void message(MsgIcon icon, const QString& text)
{
    Msgbox_show({icon, Msgbox_title(Lang_index()), text.toStdString(), MsgOk});
}

void open_clicked(const FactorTwin& t)
{
    const uint8_t ctx = handler_context(t);
    if (ctx > 1 || PagesHost.file_dialog == nullptr)
        return;
    const QString folder = PagesHost.data_folder != nullptr ? PagesHost.data_folder() : QString();
    const QString name = PagesHost.file_dialog(t.page().frame(ctx), {tr3(OPEN_TITLE), folder, OPEN_FILTER, {}, false});
    if (name.isEmpty() || !QFileInfo::exists(name))
        return;
    if (Factor_tool_load_file(name.toStdString(), &rec_of(ctx)))
        t.page().refresh(ctx);
}

void save_clicked(const FactorTwin& t)
{
    const uint8_t ctx = handler_context(t);
    if (ctx > 1 || PagesHost.file_dialog == nullptr)
        return;
    const QString folder = PagesHost.data_folder != nullptr ? PagesHost.data_folder() : QString();
    const QString name =
        PagesHost.file_dialog(t.page().frame(ctx), {tr3(SAVE_TITLE), folder, SAVE_FILTER, SUFFIX, true});
    if (name.isEmpty())
        return;
    const int err = Factor_tool_save_file(name.toStdString(), rec_of(ctx));
    if (err != 0) {
        Savefile_warn(name.toStdString(), err, Lang_index());
        return;
    }
    message(MsgIcon::Information, tr3(SAVED));
}

void calculate_clicked(const FactorTwin& t)
{
    const uint8_t ctx = handler_context(t);
    if (ctx <= 1)
        t.calculate(ctx, t.page().frame(ctx));
}

// ---- frame ----

QVBoxLayout* column_in(QWidget* w)
{
    auto* l = new QVBoxLayout(w);
    return l;
}

MemoUpDwxBase* make_app_edit(FlowPanel* panel, uint8_t ctx, uint16_t ofs, AppKind kind)
{
    uint8_t* field = rec_of(ctx).b + ofs;
    if (kind == AppKind::Length)
        return new MemoUpDwx<uint32_t>(panel, reinterpret_cast<uint32_t*>(field), ctx, 1000000, 1, 3, 0, 0);
    return new MemoUpDwx<uint16_t>(panel, reinterpret_cast<uint16_t*>(field), ctx, 65535, 1, 0,
                                   kind == AppKind::Count ? 70 : 90, 0);
}

// Binds an application edit of the twin for ctx in panel.
void bind_app_edit(const FactorTwin& t, uint8_t ctx, FlowPanel* panel, uint16_t ofs, AppKind kind, int* n)
{
    if (*n >= APP_EDITS)
        return;
    TwinEdits& e = edits_of(t);
    e.edits[ctx & 1][*n] = make_app_edit(panel, ctx, ofs, kind);
    e.wide[ctx & 1][(*n)++] = kind == AppKind::Length;
}

void add_app_edit(const FactorTwin& t, uint8_t ctx, QWidget* parent, QBoxLayout* layout, const AppEdit& e, int* n)
{
    FlowPanel* panel = Page_flow(parent, layout, e.panel, e.caption != nullptr ? e.caption[0] : nullptr);
    bind_app_edit(t, ctx, panel, e.ofs, e.kind, n);
}

void build_tab(const FactorTwin& t, uint8_t ctx, QTabWidget* tabs, const AppTab& tab, int* n)
{
    auto* sheet = new QWidget(tabs);
    sheet->setObjectName(QString::fromLatin1(tab.sheet));
    tabs->addTab(sheet, QString::fromLatin1(tab.sheet));
    QVBoxLayout* column = column_in(sheet);
    if (tab.suffix != nullptr) {
        QGroupBox* gear = Page_group(sheet, column, (std::string("GroupBox_rapporto_") + tab.suffix).c_str());
        QVBoxLayout* gear_column = column_in(gear);
        const std::string mot = std::string("FlowPanel_gear_mot_") + tab.suffix;
        const std::string load = std::string("FlowPanel_gear_load_") + tab.suffix;
        add_app_edit(t, ctx, gear, gear_column, {mot.c_str(), FactorOfs::GearMotor, AppKind::Count, MOTOR}, n);
        add_app_edit(t, ctx, gear, gear_column, {load.c_str(), FactorOfs::GearLoad, AppKind::Count, LOAD}, n);
    }
    if (tab.edits[0].panel != nullptr) {
        QGroupBox* data = Page_group(sheet, column, (std::string("GroupBox_trasmissione_") + (tab.sheet + 9)).c_str());
        QVBoxLayout* data_column = column_in(data);
        for (const AppEdit& e : tab.edits)
            if (e.panel != nullptr)
                add_app_edit(t, ctx, data, data_column, e, n);
        if (tab.unit_panel != nullptr)
            Page_label(data, data_column, tab.unit_panel);
    }
    column->addStretch();
}

void build_linear_tab(QTabWidget* tabs)
{
    auto* sheet = new QWidget(tabs);
    sheet->setObjectName(QStringLiteral("TabSheet_99_asse_lineare"));
    tabs->addTab(sheet, QStringLiteral("TabSheet_99_asse_lineare"));
    auto* row = new QHBoxLayout(sheet);
    Page_label(sheet, row, "Panel_passo_polare");
    Page_label(sheet, row, "Panel_passo_polare_dat")->setFrameShape(QFrame::Panel);
    Page_label(sheet, row, "Panel_passo_polare_unit")->setText(QStringLiteral("mm"));
    row->addStretch();
}

// A caption label and a combo side by side in parent's row.
QComboBox* labelled_combo(QWidget* parent, QBoxLayout* row, const char* label, const char* combo)
{
    Page_label(parent, row, label);
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(combo));
    row->addWidget(c, 1);
    return c;
}

QPushButton* button(QWidget* parent, QBoxLayout* row, const char* name)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    row->addWidget(b);
    return b;
}

void build_factor_group(const FactorTwin& t, QGroupBox* box, QVBoxLayout* layout)
{
    for (int r = 0; r < 3; ++r)
        if (t.row_panels[r] != nullptr)
            layout->insertWidget(r * 3, Page_label(box, nullptr, t.row_panels[r]));
    FlowPanel* counts = Page_flow(box, layout, "Panel_Impulsi_giro_Normalizzati");
    QLabel* value = Page_label(counts, nullptr, "Panel_encoder_risoluzione_giro_dat");
    value->setText(QString::fromLatin1(COUNTS_PER_REV));
    value->setFrameShape(QFrame::Panel);
    counts->addRightToLeft(value);
}

void build_polarity(const FactorTwin& t, QWidget* parent, QBoxLayout* column)
{
    QGroupBox* group = Page_group(parent, column, "GroupBox_polarity");
    group->setTitle(QStringLiteral("Polarity"));
    auto* rows = column_in(group);
    for (const FactorPolarity& p : t.polarity) {  // the page base handles them as bit controls
        auto* row = new QHBoxLayout;
        rows->addLayout(row);
        auto* box = new QCheckBox(group);
        box->setObjectName(QString::fromLatin1(p.bit->control));
        row->addWidget(box, 1);
        Page_label(group, row, p.bit->on_off);
        if (group->findChild<QLabel*>(QString::fromLatin1(p.bit->hex_label)) == nullptr)
            Page_label(group, row, p.bit->hex_label)->setFrameShape(QFrame::Panel);
    }
}

void build_units(const FactorTwin& t, QWidget* parent, QBoxLayout* column)
{
    QGroupBox* group = Page_group(parent, column, "GroupBox_unita_di_misura");
    auto* rows = column_in(group);
    for (uint16_t q = 0; q < FACTOR_QUANTITIES; ++q) {
        FlowPanel* row = Page_flow(group, rows, UNIT_ROW[q]);
        QLabel* caption = Page_label(row, nullptr, UNIT_CAPTION[q]);
        caption->setMinimumWidth(80);
        row->addRightToLeft(caption);
        QComboBox* combo = Page_combo(row, UNIT_COMBO[q]);
        QObject::connect(combo, &QComboBox::activated, combo, [&t, q](int i) { selection_changed(t, q, i); });
    }
}

void build_label(const FactorTwin& t, uint8_t ctx, QWidget* parent, QBoxLayout* column, int* n)
{
    QGroupBox* group = Page_group(parent, column, "GroupBox_custom_label");
    auto* rows = column_in(group);
    auto* name_row = new QHBoxLayout;
    rows->addLayout(name_row);
    Page_label(group, name_row, "Panel_label");
    auto* edit = new QLineEdit(group);
    edit->setObjectName(QStringLiteral("Edit_label_unit_mis_str"));
    edit->setMaxLength(LABEL_MAX);
    edit->setValidator(new LabelValidator(edit));
    edit->installEventFilter(new LabelPaste(edit));
    name_row->addWidget(edit);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [&t](const QString& s) { label_edited(t, s); });
    add_app_edit(t, ctx, group, rows, {"FlowPanel_label_dat_input", FactorOfs::LabelAmount, AppKind::Label, nullptr}, n);
    FlowPanel* revs = Page_flow(group, rows, "FlowPanel_label_unit_mis_rev");
    revs->addRightToLeft(Page_label(revs, nullptr, "Panel_label_unit_mis_rev"));
    bind_app_edit(t, ctx, revs, FactorOfs::LabelRevs, AppKind::Label, n);
}

void build_application(const FactorTwin& t, uint8_t ctx, QWidget* parent, QBoxLayout* column, int* n)
{
    QGroupBox* group = Page_group(parent, column, "GroupBox_application");
    auto* rows = column_in(group);
    FlowPanel* type_panel = Page_flow(group, rows, "Panel_application_type");
    QComboBox* type = Page_combo(type_panel, "ComboBox_appl_mot_rotativo");
    type->setMinimumWidth(320);
    QObject::connect(type, &QComboBox::activated, type, [&t](int i) { type_changed(t, i); });
    Page_label(group, rows, "Panel_type_appl_mot_linerare");
    auto* tabs = new QTabWidget(group);
    tabs->setObjectName(QStringLiteral("PageControl_factor_tool"));
    tabs->tabBar()->hide();  // only the type combo picks the tab
    rows->addWidget(tabs);
    for (const AppTab& tab : TABS)
        build_tab(t, ctx, tabs, tab, n);
    build_linear_tab(tabs);
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [&t] { show_app_edits(t, PageContext.load() & 1); });

    QGroupBox* units = Page_group(parent, column, "GroupBox_unita_mis_applicazione");
    auto* row = new QHBoxLayout(units);
    auto* pos = new QHBoxLayout;
    row->addLayout(pos, 1);
    labelled_combo(units, pos, APP_UNIT_LABEL[0], APP_UNIT_COMBO[0]);
    auto* vel_acc = new QWidget(units);
    vel_acc->setObjectName(QStringLiteral("Panel_type_appl_mot_rotativo_vel_acc"));
    row->addWidget(vel_acc, 2);
    auto* vel_acc_row = new QHBoxLayout(vel_acc);
    vel_acc_row->setContentsMargins(0, 0, 0, 0);
    auto* vel = new QHBoxLayout;
    vel_acc_row->addLayout(vel, 1);
    labelled_combo(vel_acc, vel, APP_UNIT_LABEL[1], APP_UNIT_COMBO[1]);
    auto* acc = new QWidget(vel_acc);
    acc->setObjectName(QStringLiteral("Panel_unita_di_misura_app_acc"));
    vel_acc_row->addWidget(acc, 1);
    auto* acc_row = new QHBoxLayout(acc);
    acc_row->setContentsMargins(0, 0, 0, 0);
    labelled_combo(acc, acc_row, APP_UNIT_LABEL[2], APP_UNIT_COMBO[2]);
    for (uint16_t q = 0; q < FACTOR_QUANTITIES; ++q) {
        auto* c = units->findChild<QComboBox*>(QString::fromLatin1(APP_UNIT_COMBO[q]));
        QObject::connect(c, &QComboBox::activated, c, [&t, q](int i) { app_unit_changed(t, q, i); });
    }
}

void build_buttons(const FactorTwin& t, QWidget* parent, QBoxLayout* column)
{
    auto* row = new QHBoxLayout;
    column->addLayout(row);
    QObject::connect(button(parent, row, "BitBtn_calcola_fattori"), &QPushButton::clicked, parent,
                     [&t] { calculate_clicked(t); });
    row->addStretch();
    QObject::connect(button(parent, row, "BitBtn_open"), &QPushButton::clicked, parent, [&t] { open_clicked(t); });
    QObject::connect(button(parent, row, "BitBtn_save"), &QPushButton::clicked, parent, [&t] { save_clicked(t); });
}

void free_app_edits(const FactorTwin& t, uint8_t ctx)
{
    TwinEdits& edits = edits_of(t);
    for (int i = 0; i < APP_EDITS; ++i) {
        MemoUpDwxBase*& e = edits.edits[ctx & 1][i];
        if (edits.wide[ctx & 1][i])
            delete static_cast<MemoUpDwx<uint32_t>*>(e);
        else
            delete static_cast<MemoUpDwx<uint16_t>*>(e);
        e = nullptr;
    }
}

void set_texts(const FactorTwin& t, uint8_t ctx)
{
    const auto text = [&](const char* name, const char* const* texts) {
        Utxgraph_set_text(find<QWidget>(t, ctx, name), tr3(texts));
    };
    const auto title = [&](const char* name, const char* const* texts) {
        if (auto* g = find<QGroupBox>(t, ctx, name))
            g->setTitle(tr3(texts));
    };
    text("Panel_Impulsi_giro_Normalizzati", COUNTS_REV);
    title("GroupBox_unita_di_misura", UNITS_GROUP);
    for (uint16_t q = 0; q < FACTOR_QUANTITIES; ++q) {
        text(UNIT_ROW[q], UNIT_ROW_TEXT[q]);
        text(APP_UNIT_LABEL[q], APP_UNIT_TEXT[q]);
    }
    title("GroupBox_custom_label", LABEL_GROUP);
    text("Panel_label", LABEL);
    title("GroupBox_application", APP_GROUP);
    text("Panel_application_type", APP_TYPE);
    text("Panel_type_appl_mot_linerare", LINEAR_MOTOR);
    title("GroupBox_unita_mis_applicazione", APP_UNITS_GROUP);
    text("Panel_passo_polare", POLE_PITCH);
    text("BitBtn_calcola_fattori", CALCULATE);
    text("BitBtn_open", OPEN_TITLE);
    text("BitBtn_save", SAVE_TITLE);
    for (const AppTab& tab : TABS) {
        if (tab.suffix != nullptr) {
            title((std::string("GroupBox_rapporto_") + tab.suffix).c_str(), GEAR_GROUP);
            text((std::string("FlowPanel_gear_mot_") + tab.suffix).c_str(), MOTOR);
            text((std::string("FlowPanel_gear_load_") + tab.suffix).c_str(), LOAD);
        }
        if (tab.edits[0].panel != nullptr)
            title((std::string("GroupBox_trasmissione_") + (tab.sheet + 9)).c_str(), DATA_GROUP);
        for (const AppEdit& e : tab.edits)
            if (e.panel != nullptr)
                text(e.panel, e.caption);
    }
}

}  // namespace

// ---- hooks ----

void Factor_page_build(const FactorTwin& t, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout)
{
    free_app_edits(t, ctx);  // edits left by a frame its parent deleted
    build_factor_group(t, box, layout);
    QWidget* panel = box->parentWidget();
    auto* inner = qobject_cast<QVBoxLayout*>(panel->layout());
    // One column, the drive's factors above the application: the page fits the page area of the
    // window's default size.
    inner->removeWidget(box);
    auto* column = new QVBoxLayout;
    inner->addLayout(column);
    column->addWidget(box);
    int n = 0;
    build_polarity(t, panel, column);
    build_units(t, panel, column);
    build_label(t, ctx, panel, column, &n);
    build_application(t, ctx, panel, column, &n);
    build_buttons(t, panel, column);
    column->addStretch();
}

void Factor_page_unbuild(const FactorTwin& t, uint8_t ctx) { free_app_edits(t, ctx); }

void Factor_page_show_polarity(const FactorTwin& t, uint8_t ctx)
{
    t.page().step_show_bits(ctx);
}

void Factor_page_refresh(const FactorTwin& t, uint8_t ctx)
{
    show_app_edits(t, ctx);
    show_unit_lists(t, ctx);
    show_application(t, ctx);
    show_app_units(t, ctx);
    show_length_units(t, ctx);
    show_unit_captions(t, ctx);
    show_label(t, ctx);
}

void Factor_page_set_language(const FactorTwin& t, uint8_t ctx)
{
    set_texts(t, ctx);
    const bool known = ParamPage::bus_known(ctx);
    for (int r = 0; r < 3; ++r) {
        if (t.row_panels[r] == nullptr)
            continue;
        QWidget* row = find<QWidget>(t, ctx, t.row_panels[r]);
        const char* name = t.row_names[r][Lang_index()];
        char buf[80] = {};
        if (known)
            Utxgraph_tag_text(SlotLoc(ctx, t.page().spec().fields[r * 2].ofs), name, buf, sizeof buf, ctx);
        Utxgraph_set_text(row, QString::fromUtf8(buf[0] != 0 ? buf : name));
    }
    for (const FactorPolarity& p : t.polarity) {
        QWidget* box = find<QWidget>(t, ctx, p.bit->control);
        if (p.tagged && known)
            Utxgraph_set_caption_txt(SlotLoc(ctx, p.bit->ofs), box, p.caption[Lang_index()], nullptr, ctx);
        else
            Utxgraph_set_text(box, QString::fromUtf8(p.caption[Lang_index()]));
    }
    Combo_fill(find<QComboBox>(t, ctx, "ComboBox_appl_mot_rotativo"), FactorAppTypeCombo);
    Combo_fill(find<QComboBox>(t, ctx, APP_UNIT_COMBO[1]), FactorAppVelocityCombo);
    Combo_fill(find<QComboBox>(t, ctx, APP_UNIT_COMBO[2]), FactorAppAccelerationCombo);
    const uint8_t was = t.page().ready();
    t.page().set_ready(0);
    show_unit_lists(t, ctx);
    show_application(t, ctx);
    show_app_units(t, ctx);
    t.page().set_ready(was);
}

void Factor_page_set_access(const FactorTwin& t, uint8_t edit_state)
{
    const bool known = ParamPage::bus_known(0);
    for (int r = 0; r < 3; ++r) {
        auto* row = t.row_panels[r] != nullptr ? find<QWidget>(t, 0, t.row_panels[r]) : nullptr;
        if (row != nullptr && known)
            Utxgraph_enable_panel(RecLoc(t.page().spec().fields[r * 2].ofs), row, edit_state);
    }
}
