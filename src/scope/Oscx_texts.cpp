// Texts of the scope window.
#include "scope/Oscx_texts.h"

#include <cstring>

const OscxCaption OscxCaptions[] = {
    {"Menu_file", {"File", "File", "Fichier"}},
    {"Menu_open", {"Apri", "Open", "Ouvrir"}},
    {"BitBtn_open", {"Apri", "Open", "Ouvrir"}},
    {"Menu_Save", {"Salva", "Save", "Enregistrer"}},
    {"BitBtn_save", {"Salva", "Save", "Enregistrer"}},
    {"Menu_Chiudi", {"Chiudi", "Close", "Fermer"}},
    {"Menu_comandi", {"Comandi", "Commands", "Commandes"}},
    {"Menu_cmp_start", {"Start Acquisizione", "Start Sampling", "Lancement Acquisition"}},
    {"BitBtn_cmp_start", {"Start Acquisizione", "Start Sampling", "Lancement Acquisition"}},
    {"Menu_cmp_stop", {"stop Acquisizione", "stop Sampling", "Arrêt Acquisition"}},
    {"BitBtn_cmp_stop", {"stop Acquisizione", "stop Sampling", "Arrêt Acquisition"}},
    {"Menu_Stampa", {"Stampa", "Print", "Imprimer"}},
    {"BitBtn_print", {"Stampa", "Print", "Imprimer"}},
    {"Menu_AnteprimadiStampa", {"Anteprima Stampa", "Print Preview", "Aperçu avant Impression"}},
    {"BitBtn_preview", {"Anteprima Stampa", "Print Preview", "Aperçu avant Impression"}},
    {"Menu_Retrigger", {"Riabilita Trigger", "Restart Trigger", "Réactiver Trigger"}},
    {"BitBtn_retrigger", {"Riabilita Trigger", "Restart Trigger", "Réactiver Trigger"}},
    {"BitBtn_forza_trigger", {"Forza Trigger", "Force Trigger", "Force Trigger"}},
    {"Menu_impostazioni", {"Impostazioni", "Setting", "Configurations"}},
    {"Menu_ImpostaCanali", {"Imposta Canali", "Setting Channels", "Configurer Canaux"}},
    {"BitBtn_channels_set", {"Imposta Canali", "Setting Channels", "Configurer Canaux"}},
    {"Menu_Regolatori", {"Regolatori PID", "PID Regulators", "Régulateurs PID"}},
    {"BitBtn_PID", {"Regolatori PID", "PID Regulators", "Régulateurs PID"}},
    {"Menu_unzoom", {"Ripristina Grafico", "Refresh Graphic", "Actualiser Graphique"}},
    {"BitBtn_unzoom", {"Ripristina Grafico", "Refresh Graphic", "Actualiser Graphique"}},
    {"Menu_clear", {"Cancella Grafico", "Cancel Graphic", "Annuler Graphique"}},
    {"BitBtn_clear", {"Cancella Grafico", "Cancel Graphic", "Annuler Graphique"}},
    {"BitBtn_pos_test", {"Test Posizionamento", "Positioning Test", "Test Positionnement"}},
    {"BitBtn_terminal", {"Terminal", "Terminal", "Terminal"}},
    {"TabSheet_cursori", {"Cursori", "Cursors", "Curseurs"}},
    {"TabSheet_scala", {"Scala", "Scale", "Échelle"}},
    {"TabSheet_trigger", {"Trigger", "Trigger", "Trigger"}},
    {"CheckBox_cursor_asseY", {"Cursori Asse Y", "Cursors Axis Y", "Curseurs Axe Y"}},
    {"CheckBox_cursor_asseT", {"Cursori Asse T", "Cursors Axis T", "Curseurs Axe T"}},
    {"Label_asse_left", {"Asse Sinistro", "Left Axis", "Axe Gauche"}},
    {"Label_asse_right", {"Asse Destro", "Right Axis", "Axe Droit"}},
    {"Label_trigger_type", {"Tipo", "Type", "Type"}},
    {"Label_trigger_pendenza", {"Pendenza", "Slope", "Pente"}},
    {"CheckBox_trigger_dynamic", {"Abilita Dinamico", "Enable Dynamic", "Activer Dynamique"}},
    {"CheckBox_trigger_show", {"Mostra Trigger", "Show Trigger", "Afficher Trigger"}},
    {"GroupBox_trigger_y", {"Asse Y", "Axis Y", "Axe Y"}},
    {"GroupBox_trigger_x", {"Asse X", "Axis X", "Axe X"}},
};
const std::size_t OscxCaptionCount = sizeof OscxCaptions / sizeof OscxCaptions[0];

QString Oscx_caption(const char* name)
{
    for (const OscxCaption& c : OscxCaptions)
        if (std::strcmp(c.name, name) == 0)
            return QString::fromUtf8(c.text[Lang_index()]);
    Q_ASSERT_X(false, "Oscx_caption", name);
    return {};
}

OscxText OSCX_TITLE = {"Oscilloscopio", "Scope", "Oscilloscope"};
OscxText OSCX_NO_PRINTER = {"Nessuna Stampante Rilevata !", "No Printer Present !", "Pas d’Imprimante Détectée"};
OscxText OSCX_NO_PRINT_DATA = {"Nessun dato da stampare!", "No Data to print!", "Pas de Données à Imprimer!"};
OscxText OSCX_POWER_ON = {"Potenza abilitata!\nDisabilitare la potenza prima di avviare il test!",
                          "Power is enabled!\nDisable the power before starting the test!",
                          "Puissance est activée!\nDésactiver l'alimentation avant de commencer le test!"};
OscxText OSCX_OVERFLOW_QUESTION = {"Buffer Overflow! Riprendi Campionamento?", "Buffer Overflow! Restart Sampling?",
                                   "Buffer Overflow! Relancer Echantillonage?"};
OscxText OSCX_SHOW_HIDE = {"Mostra/Nascondi Canale", "Show/Hide Channel", "Afficher/Masquer Canal"};
OscxText OSCX_CHANGE_COLOUR = {"Cambia Colore", "Change Color", "Changer la Couleur"};
OscxText OSCX_AUTOMATIC = {"Automatica", "Automatic", "Automatique"};
OscxText OSCX_FIXED = {"Fissa", "Fixed", "Fixe"};
