// Main window: page hosting through the page nodes, window caption, language, check-box and date
// helpers for the pages.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "controls/Graph_draw.h"
#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "link/Serrx.h"
#include "link/Sertx.h"
#include "link/Scope_link.h"
#include "shell/Allarmi.h"
#include "shell/Main.h"
#include "shell/Mainstate.h"
#include "shell/Qt_language.h"
#include "shell/Settings.h"
#include "shell/Treectrl.h"

namespace {

// Each page opens at its top left, wherever the page before it was scrolled to.
void scroll_home(QWidget* host)
{
    for (QWidget* w = host; w != nullptr; w = w->parentWidget()) {
        if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
            area->horizontalScrollBar()->setValue(0);
            area->verticalScrollBar()->setValue(0);
            return;
        }
    }
}

enum class Prop : uint8_t { Caption, Hint, CaptionAndHint };

struct LanguageRow {
    const char* name;  // object name of the control
    Prop prop;
    const char* text[3];  // Italian, English, French
};

// Menus (step 1 of ApplyLanguage).
const LanguageRow MENU_TEXTS[] = {
    {"Menu_Exit", Prop::Caption, {"Esci", "Exit", "Sortir"}},
    {"Menu_lingua", Prop::Caption, {"Lingua", "Language", "Langue"}},
    {"Menu_Italiano", Prop::Caption, {"Italiano", "Italian", "Italien"}},
    {"Menu_Inglese", Prop::Caption, {"Inglese", "Enghish", "Anglais"}},
    {"Menu_Francese", Prop::Caption, {"Francese", "French", "Française"}},
    {"Menu_ArchivioDrive", Prop::Caption, {"Archivio Drive", "Drive Archive", "Archive Variateur"}},
    {"Menu_Carica_Drive", Prop::Caption, {"Carica", "Load", "Charger"}},
    {"Menu_Salva_Drive", Prop::Caption, {"Salva", "Save", "Enregistrer"}},
    {"Menu_ArchivioMotore", Prop::Caption, {"Archivio Motore", "Motor Archive", "Archive Moteur"}},
    {"Menu_Carica_Motore", Prop::Caption, {"Carica", "Load", "Charger"}},
    {"Menu_Salva_Motore", Prop::Caption, {"Salva", "Save", "Enregistrer"}},
    {"Menu_Comandi", Prop::Caption, {"Comandi", "Commands", "Commandes"}},
    {"Menu_TipoDrive1", Prop::Caption, {"Tipo drive", "Type drive", "Type variateur"}},
    {"Menu_tar_sensor_pos", Prop::Caption, {"Taratura Sensore Pos.", "Pos. Sensor Tuning", "Régl. Capteur de Pos."}},
    {"Menu_CaricaDefault", Prop::Caption,
     {"Carica i dati drive default", "Load the default drive", "Charge les données drive par défaut"}},
    {"Menu_Opzioni1", Prop::Caption, {"Opzioni", "Options", "Les options"}},
    {"Menu_Autosalva1", Prop::Caption, {"Auto salva", "Auto save", "Sauver automatique"}},
    {"Menu_Printx", Prop::Caption, {"Stampa", "Print", "Imprimer"}},
    {"Menu_Stampa", Prop::Caption, {"Stampa", "Print", "Imprimer"}},
    {"Menu_AnteprimadiStampa", Prop::Caption, {"Anteprima Stampa", "Print Preview", "Aperçu avant Impression"}},
    {"Menu_ORVEL1", Prop::Caption, {"ORVEL", "ORVEL", "ORVEL"}},
    {"Panel_taglia_drive_str", Prop::Caption, {"Taglia", "Drive", "Taille"}},
};

// File dialog titles.
const char* const OPEN_TITLE[3] = {"Apri", "Open", "Ouvrir"};
const char* const SAVE_TITLE[3] = {"Salva", "Save", "Enregistrer"};

// Tool buttons and monitor captions (step 3).
const LanguageRow TOOL_TEXTS[] = {
    {"BitBtn_open_dati_drive_def", Prop::Hint,
     {"Carica i dati drive default", "Load the default drive", "Charge les données drive par défaut"}},
    {"BitBtn_load_dati_drive", Prop::Hint,
     {"Carica i dati drive da file", "Load the drive data from file", "Chargez les données du drive à partir du fichier"}},
    {"BitBtn_salva_dati_drive", Prop::Hint,
     {"Salva i dati drive su file", "Save the drive data on file", "Enregistrer les données du drive sur fichier"}},
    {"BitBtn_open_dati_motor_def", Prop::Hint,
     {"Carica i dati motore default", "Load the default motor", "Charge le moteur par défaut"}},
    {"BitBtn_load_dati_motor", Prop::Hint,
     {"Carica i dati motore da file", "Load the motor data from file", "Chargez les données du moteur à partir du fichier"}},
    {"BitBtn_salva_dati_motor", Prop::Hint,
     {"Salva i dati motore su file", "Save the motor data on file", "Enregistrer les données du moteur sur fichier"}},
    {"BitBtn_oscx", Prop::Hint, {"Oscilloscopio", "Scope", "Oscilloscope"}},
    {"BitBtn_oscx_open", Prop::Hint, {"Apri File Oscilloscopio", "Open File Oscilloscope", "Ouvrir Fichier Oscilloscope"}},
    {"BitBtn_stato", Prop::Hint, {"Stato", "State", "État"}},
    {"BitBtn_connect", Prop::Hint, {"Connetti", "Connect", "Connecter"}},
    {"BitBtn_disconnect", Prop::Hint, {"Disconnetti", "Disconnect", "Déconnecter"}},
    {"ComboBox_porta_com", Prop::Hint, {"Porta Seriale", "Serial Port", "Port Série"}},
    {"BitBtn_preview", Prop::Hint, {"Anteprima Stampa", "Print Preview", "Aperçu avant Impression"}},
    {"BitBtn_print", Prop::Hint, {"Stampa", "Print", "Imprimer"}},
    {"BitBtn_carica_default", Prop::Hint,
     {"Invia dati drive default", "Send the default drive", "Envoie les données drive par défaut"}},
    {"BitBtn_invia", Prop::Hint, {"Invia dati drive", "Send data to the drive", "Envoyer des données à l'unité"}},
    {"BitBtn_tar_sensor_pos", Prop::Hint, {"Taratura Sensore Pos.", "Pos. Sensor Tuning", "Régl. Capteur de Pos."}},
    {"BitBtn_pos_test", Prop::Hint, {"Serie Quote", "Serie Quote", "Serie Quote"}},
    {"GroupBoxmonitor_dati", Prop::Caption, {"Monitor Dati", "Data Monitor", "Monit. Données"}},
    {"Panel_crtl_type_str", Prop::Caption, {"Modo", "Mode", "Mode"}},
    {"Panel_str_current", Prop::Caption, {"Corrente", "Current", "Courant"}},
    {"Panel_str_radtemp", Prop::Caption, {"Temp.", "Temp.", "Temp."}},
    {"Panel_str_speed", Prop::Caption, {"Velocità", "Velocity", "Vitesse"}},
};

// Position group by motor type.
const char* const POSITION_LINEAR[3] = {"Posizione", "Position", "Position"};
const char* const POSITION_ROTARY[3] = {"Posizione (Giri/Offset)", "Position (Rev/Offset)", "Position (Tours/Offset)"};
constexpr uint16_t MOTOR_LINEAR = 1;

// Group boxes and drive command buttons (step 4).
const LanguageRow COMMAND_TEXTS[] = {
    {"GroupBox_menu", Prop::Caption, {"Menù", "Menu", "Menu"}},
    {"GroupBox_dati_drive", Prop::Caption, {"Dati Azionamento", "Drive Data", "Données Variateur"}},
    {"SpeedButton_bus_remote", Prop::Hint, {"Controllo locale", "Local control", "Contrôle local"}},
    {"SpeedButton_bus_power", Prop::Hint, {"Abilita potenza", "Switched on", "Switched on"}},
    {"SpeedButton_bus_operative", Prop::Hint, {"Abilita operazioni", "Operation enable", "Operation enable"}},
    {"BitBtn_bus_reset_alarm", Prop::Hint, {"Reset Allarmi", "Alarms Reset", "Réinitialis. Alarmes"}},
    {"SpeedButton_bus_halt", Prop::Hint, {"Halt", "Halt", "Halt"}},
    {"SpeedButton_io_I0_power", Prop::Hint, {"Abilita potenza", "Switched on", "Switched on"}},
    {"SpeedButton_io_I1_operative", Prop::Hint, {"Abilita operazioni", "Operation enable", "Operation enable"}},
    {"SpeedButton_io_I2_CW", Prop::Hint, {"Fine Corsa CW", "End Stop CW", "Fin de course CW"}},
    {"SpeedButton_io_I3_CCW", Prop::Hint, {"Fine Corsa CCW", "End Run CCW", "Fin de Course CW"}},
    {"SpeedButton_io_I4_input", Prop::Hint, {"Ingresso 4", "Input 4", "Entrée 4"}},
    {"SpeedButton_io_I5_reset_alarm", Prop::Hint, {"Reset Allarmi", "Alarms Reset", "Réinitialis. Alarmes"}},
    {"SpeedButton_can_pos_start_quota", Prop::Hint, {"Nuovo set-point", "New set-point", "Nouvelle consigne"}},
    {"SpeedButton_can_pos_fly_change", Prop::Hint,
     {"Modifica immediata set", "Change set immediately", "Modifier aussitôt mis en"}},
    {"SpeedButton_can_pos_ass_rel", Prop::Hint, {"Assoluto / relativo", "Absolute / relative", "Absolu / relatif"}},
    {"SpeedButton_can_vel_mode_RFG_on_off", Prop::Hint,
     {"Abilita funzione rampe", "Enable ramp function", "Activez la fonct. rampe"}},
    {"SpeedButton_can_vel_mode_lock_on_off", Prop::Hint,
     {"Sbocca funzione rampe", "Ramp function unlock", "Unlock la fonct. rampe"}},
    {"SpeedButton_can_vel_mode_Ref_on_off", Prop::Hint,
     {"Abilita rif. rampe", "Enable reference ramp", "Activer rampe référence"}},
    {"SpeedButton_can_hp_start", Prop::Hint, {"Homing start", "Homing start", "Homing start"}},
    {"SpeedButton_can_grbx_start", Prop::Hint, {"Abilita asse", "Enable axis", "Activer l'axe"}},
    {"SpeedButton_can_grbx_res_enc", Prop::Hint, {"Azzera encoder", "Reset encoder", "Réinitial. encoder"}},
    {"SpeedButton_can_grbx_res_pos", Prop::Hint, {"Azzera Posizione", "Reset position", "Réinitial. position"}},
    {"SpeedButton_can_grbx_sfasa", Prop::CaptionAndHint, {"Sfasa", "Shift", "Déphasage"}},
    {"SpeedButton_mdb_grbx_start", Prop::Hint, {"Abilita asse", "Enable axis", "Activer l'axe"}},
    {"SpeedButton_mdb_grbx_res_enc", Prop::Hint, {"Azzera encoder", "Reset encoder", "Réinitial. encoder"}},
    {"SpeedButton_mdb_grbx_res_pos", Prop::Hint, {"Azzera Posizione", "Reset position", "Réinitial. position"}},
    {"SpeedButton_mdb_grbx_sfasa", Prop::CaptionAndHint, {"Sfasa", "Shift", "Déphasage"}},
};

// i2t monitor window (step 8).
const LanguageRow I2T_TEXTS[] = {
    {"BitBtn_close", Prop::Caption, {"Chiudi", "Close", "Fermer"}},
    {"GroupBox_I2t_drive", Prop::Caption, {"Temperatura Drive", "Drive Temperature", "Température Variateur"}},
    {"GroupBox_I2t_motor", Prop::Caption, {"Temperatura Motore", "Motor Temperature", "Température Moteur"}},
};

const char* const VERSION_WORD[3] = {"Versione", "Version", "Version"};

const QColor CHECK_ON_COLOUR = clRed;
const QColor CHECK_OFF_COLOUR = clGray;

unsigned clamp_language(unsigned language)
{
    return language < 3 ? language : 1;
}

void set_caption(QObject* o, const QString& text)
{
    if (auto* a = qobject_cast<QAction*>(o))
        a->setText(text);
    else if (auto* m = qobject_cast<QMenu*>(o))
        m->setTitle(text);
    else if (auto* g = qobject_cast<QGroupBox*>(o))
        g->setTitle(text);
    else if (auto* l = qobject_cast<QLabel*>(o))
        l->setText(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(o))
        b->setText(text);
    else if (auto* w = qobject_cast<QWidget*>(o))
        w->setWindowTitle(text);
}

void set_hint(QObject* o, const QString& text)
{
    if (auto* a = qobject_cast<QAction*>(o))
        a->setToolTip(text);
    else if (auto* w = qobject_cast<QWidget*>(o))
        w->setToolTip(text);
}

template <std::size_t N>
void apply_rows(QObject* root, const LanguageRow (&rows)[N], unsigned language)
{
    for (const LanguageRow& row : rows) {
        QObject* o = root->findChild<QObject*>(QLatin1String(row.name));
        if (o == nullptr)
            continue;
        const QString text = QString::fromUtf8(row.text[language]);
        if (row.prop != Prop::Hint)
            set_caption(o, text);
        if (row.prop != Prop::Caption)
            set_hint(o, text);
    }
}

QTreeWidget* tree_of(uint16_t context)
{
    return context <= 1 ? PageTreeOf(static_cast<uint8_t>(context)) : nullptr;
}

void label_on_off(QLabel* label, bool on)
{
    if (label == nullptr)
        return;
    label->setText(on ? "On" : "Off");
    Graph_set_text_colour(label, on ? CHECK_ON_COLOUR : CHECK_OFF_COLOUR);
}

// The date separator of the locale's short date format ('/' when it has none).
QChar date_separator()
{
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    for (QChar c : format) {
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\''))
            return c;  // a format such as "d MMM yyyy" has no separator: the default
    }
    return QLatin1Char('/');
}

}  // namespace

// ---- page hosting ----

void TForm_main::SelectPage(uint16_t context, QWidget* parent)
{
    QTreeWidget* tree = tree_of(context);
    if (tree == nullptr || tree->currentItem() == nullptr)
        return;
    PageNode* node = PageNodeOf(tree->currentItem());
    if (node == CurrentPageNode[context])
        return;
    PageNode* old = CurrentPageNode[context];
    if (old != nullptr && old->PageDestroy != nullptr)
        old->PageDestroy(static_cast<uint8_t>(context));
    scroll_home(parent);
    CurrentPageNode[context] = node;
    if (node != nullptr && node->PageCreate != nullptr)
        node->PageCreate(static_cast<uint8_t>(context), parent);
}

void TForm_main::RefreshCurrentPage()
{
    const uint16_t context = PageContext.load();
    if (context > 1)
        return;
    PageNode* node = CurrentPageNode[context];
    if (node != nullptr && node->PageRefresh != nullptr)
        node->PageRefresh(static_cast<uint8_t>(context));
}

void TForm_main::SetPageTreeTexts(uint16_t context, uint8_t language)
{
    QTreeWidget* tree = tree_of(context);
    if (tree == nullptr)
        return;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if (const PageNode* node = PageNodeOf(*it))
            (*it)->setText(0, QString::fromUtf8(PageNodeText(node, language)));
    }
}

void TForm_main::TreeView_menuChange()
{
    SelectPage(PageContext.load(), ScrollBox_Menu_host);
}

void TForm_main::TreeView_menuClick()
{
    SelectPage(PageContext.load(), ScrollBox_Menu_host);
}

// ---- caption and language ----

void TForm_main::ApplyCaptionAndVersion()
{
    const bool second = Settings_second_family();
    const QString tag = second ? "[PELSAN] " : "[ORVEL] ";
    Menu_Ver_Drive->setText(second ? "Pelsan Drive" : "Orvel Drive");
    const QString text = tag + VERSION_WORD[clamp_language(LanguageIndex)] + ": " + QString::number(ProgramVersion.major) +
                         "." + QString("%1").arg(ProgramVersion.minor, 2, 10, QLatin1Char('0'));
    setWindowTitle("Pendrix" + text);
}

void TForm_main::ApplyLanguage(uint8_t language)
{
    const unsigned l = clamp_language(language);
    Qt_language_apply(static_cast<uint8_t>(l));
    apply_rows(this, MENU_TEXTS, l);
    OpenDialog_open_motor = OPEN_TITLE[l];
    OpenDialog_open_drive = OPEN_TITLE[l];
    SaveDialog_dati_drive = SAVE_TITLE[l];
    SaveDialog_dati_motor = SAVE_TITLE[l];

    ApplyCaptionAndVersion();

    apply_rows(this, TOOL_TEXTS, l);
    ShowControlType();
    const bool linear = Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::MotorType) == MOTOR_LINEAR;
    GroupBox_pos_mis->setTitle(QString::fromUtf8((linear ? POSITION_LINEAR : POSITION_ROTARY)[l]));
    Panel_pos_unit_mis->setText(linear ? "mm" : "Counts");

    apply_rows(this, COMMAND_TEXTS, l);

    const uint16_t context = PageContext.load();
    if (context == 0)
        PageRefreshByte.store(255);
    SetPageTreeTexts(context, static_cast<uint8_t>(l));
    if (context <= 1) {
        PageNode* node = CurrentPageNode[context];
        if (node != nullptr && node->PageSetLanguage != nullptr)
            node->PageSetLanguage(static_cast<uint8_t>(context));
    }

    Allarmi_set_language();
    if (Form_monitor_I2t)
        apply_rows(Form_monitor_I2t.data(), I2T_TEXTS, l);
    Main_draw_io(1);
}

void TForm_main::Menu_languageClick(uint8_t language)
{
    LanguageIndex = language < 3 ? language : 1;
    QAction* const items[3] = {Menu_Italiano, Menu_Inglese, Menu_Francese};
    items[LanguageIndex]->setChecked(true);
    SaveSettings();
    ApplyLanguage(LanguageIndex);
}

// ---- helpers for the pages ----

void Main_set_check_on_off(QCheckBox* box, QLabel* label, bool on)
{
    if (box != nullptr)
        box->setChecked(on);
    label_on_off(label, on);
}

uint8_t Main_get_check_on_off(QCheckBox* box, QLabel* label)
{
    const bool on = box != nullptr && box->isChecked();
    label_on_off(label, on);
    return on ? 1 : 0;
}

QString Main_date_text(const QDate& date)
{
    const QChar sep = date_separator();
    return QString("%1%2%3%4%5")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(sep)
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(sep)
        .arg(date.year());
}
