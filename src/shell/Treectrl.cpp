// The page node table and the page tree of each page context.
#include "shell/Treectrl.h"

#include <cstring>
#include <vector>

#include <QGroupBox>
#include <QPointer>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include "controls/Page_column.h"
#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "shell/Main.h"
#include "shell/Mainstate.h"

namespace {
constexpr uint16_t RES = PageFlag::Reserved;
constexpr uint16_t BUS1 = PageFlag::BusClass1;
constexpr uint16_t BUS2 = PageFlag::BusClass2;

// ---- children arrays ----
PageNode* const MotoreChildren[] = {&PageNode_mot_feedback, nullptr};
PageNode* const SetupAvanzatoChildren[] = {
    &PageNode_pid_vel, &PageNode_pid_cor,  &PageNode_pid_pos,      &PageNode_mem_alarm, &PageNode_modo_allarmi,
    &PageNode_limiti,  &PageNode_filtro_notch, &PageNode_fpb_iq, &PageNode_output,    nullptr};
PageNode* const TagliaDriveChildren[] = {&PageNode_test_i2t, &PageNode_soglie_tensione, &PageNode_fan_ctrl,
                                         nullptr};

PageNode* const InputChildren[] = {&PageNode_input_flt, nullptr};
PageNode* const SpeedMainChildren[] = {&PageNode_mdb_speed_aux, &PageNode_mdb_speed_rampe, nullptr};
PageNode* const MdbGearboxChildren[] = {&PageNode_mdb_gearbox_aggc, &PageNode_mdb_gearbox_sgnc, nullptr};
PageNode* const InoutControlChildren[] = {&PageNode_mdb_input,      &PageNode_mdb_factor, &PageNode_mdb_pos_ctrl,
                                          &PageNode_mdb_speed_main, &PageNode_mdb_torque, &PageNode_mdb_gearbox,
                                          nullptr};

PageNode* const MdbPosChildren[] = {&PageNode_mdb_pos_par, &PageNode_mdb_pos_jog, &PageNode_mdb_pos_hp,
                                    &PageNode_mdb_pos_in1_tac, nullptr};
PageNode* const MdbStmChildren[] = {&PageNode_mdb_ctrl,      &PageNode_mdb_control,    &PageNode_mdb_ctrl_var,
                                    &PageNode_mdb_input,     &PageNode_mdb_factor,     &PageNode_mdb_pos_ctrl,
                                    &PageNode_mdb_pos,       &PageNode_mdb_speed_main, &PageNode_mdb_gearbox,
                                    &PageNode_mdb_torque,    nullptr};

PageNode* const Cands402PositionChildren[] = {&PageNode_cands402_pos_in1_tac, nullptr};
PageNode* const Cands402GearboxChildren[] = {&PageNode_cands402_gearbox_aggc, &PageNode_cands402_gearbox_sgnc,
                                             nullptr};
PageNode* const Cands402StmChildren[] = {
    &PageNode_cands402_ctrl,        &PageNode_cands402_factor,        &PageNode_cands402_ctrl_var,
    &PageNode_cands402_pos_crtl,    &PageNode_cands402_input,         &PageNode_cands402_position,
    &PageNode_cands402_homing,      &PageNode_cands402_profile_vel,   &PageNode_cands402_velocity_mode,
    &PageNode_cands402_interp,      &PageNode_cands402_torque,        &PageNode_cands402_gearbox,
    nullptr};
PageNode* const Cands301Children[] = {&PageNode_cands301_dat_com, &PageNode_cands301_emerg_store,
                                      &PageNode_cands301_rpdo_map, &PageNode_cands301_tpdo_map, nullptr};

PageNode* const BusIoRoots[] = {&PageNode_inout_control, nullptr};
PageNode* const BusModbusRoots[] = {&PageNode_mdb_stm, nullptr};
PageNode* const BusCanopenRoots[] = {&PageNode_cands402_stm, nullptr};
}  // namespace

// ---- nodes: texts Italian, English, French; children; icon; flags ----
// Fixed part.
PageNode PageNode_field_bus{{"Bus di Campo", "Field Bus", "Bus de Terrain"}, nullptr, 32, 0};
PageNode PageNode_motore{{"Dati Motore", "Motor Data", "Données Moteur"}, MotoreChildren, 1, 0};
PageNode PageNode_mot_feedback{{"Feedback", "Feedback", "Rétroaction"}, nullptr, 61, 0};
PageNode PageNode_setup_avanzato{{"Setup Avanzato", "Advanced Setup", "Configuration Avancée"},
                                 SetupAvanzatoChildren, 7, 0};
PageNode PageNode_pid_vel{{"Reg. Velocità", "Speed Regulator", "Régulateur de Vitesse"}, nullptr, 28, 0};
PageNode PageNode_pid_cor{{"Reg. Corrente", "Current Regulator", "Régulateur Courant"}, nullptr, 27, 0};
PageNode PageNode_pid_pos{{"Reg. Posizione", "Position Regulator", "Régulateur Position"}, nullptr, 29, 0};
PageNode PageNode_mem_alarm{{"Memoria Allarmi", "Alarm Memory", "Mémoire Alarmes"}, nullptr, 13, 0};
PageNode PageNode_modo_allarmi{{"Modo Allarmi", "Alarm Mode", "Mode Alarmes"}, nullptr, 30, 0};
PageNode PageNode_limiti{{"Limiti", "Limit", "Limites"}, nullptr, 3, 0};
PageNode PageNode_filtro_notch{{"Filtro Notch", "Notch Filter", "Filtre Notch"}, nullptr, 31, 0};
PageNode PageNode_fpb_iq{{"Filtro Iq", "Iq Filter", "Filtre Iq"}, nullptr, 37, 0};
PageNode PageNode_output{{"Output", "Output", "Sortie"}, nullptr, 59, 0};
PageNode PageNode_taglia_drive{{"Setup Riservato", "Reserved Setup", "Configuration Réservée"},
                               TagliaDriveChildren, 9, RES};
PageNode PageNode_test_i2t{{"Test I2t", "I2t Test", "I2t Test"}, nullptr, 12, RES};
PageNode PageNode_soglie_tensione{{"Soglie Tensioni", "Voltage Threshold", "Seuils Tensions"}, nullptr, 33, RES};
PageNode PageNode_fan_ctrl{{"Ventola", "Fan", "Ventilateur"}, nullptr, 60, RES};
PageNode PageNode_resistenza_fren{{"Resist. frenatura", "Braking resistor", "Résisatnce freinage"}, nullptr, 34,
                                  RES};

// Bus type 0 (I/O control); Digital Input, Filter Inputs, Factors, Position Setting, Main Speed,
// Torque and GearBox Mode serve Modbus too.
PageNode PageNode_inout_control{{"Tipo Controllo", "Control Set", "Type Commande"}, InoutControlChildren, 54, BUS1};
PageNode PageNode_mdb_input{{"Input Digitali", "Digital Input", "Entrées Numériques"}, InputChildren, 6, BUS2};
PageNode PageNode_input_flt{{"Filtro Ingressi", "Filter Inputs", "Filtre Entrées"}, nullptr, 63, BUS2};
PageNode PageNode_mdb_factor{{"Fattori", "Factors", "Facteurs"}, nullptr, 58, BUS2};
PageNode PageNode_mdb_pos_ctrl{{"Pos. Impostazioni", "Position Setting", "Réglage position"}, nullptr, 47, BUS2};
PageNode PageNode_mdb_speed_main{{"Velocità Principale", "Main Speed", "Vitesse Principal"}, SpeedMainChildren, 18,
                                 BUS2};
PageNode PageNode_mdb_speed_aux{{"Velocità Aux", "Aux Speed", "Vitesse Aux"}, nullptr, 16, BUS2};
PageNode PageNode_mdb_speed_rampe{{"Rampe", "Ramps", "Rampes"}, nullptr, 4, BUS2};
PageNode PageNode_mdb_torque{{"Coppia", "Torque", "Couple"}, nullptr, 19, BUS2};
PageNode PageNode_mdb_gearbox{{"Asse Elettrico", "GearBox Mode", "Axe Électrique"}, MdbGearboxChildren, 21, BUS2};
PageNode PageNode_mdb_gearbox_aggc{{"Aggancio", "Engaging", "Engageant"}, nullptr, 56, BUS2};
PageNode PageNode_mdb_gearbox_sgnc{{"Sgancio", "Disengaging", "Désengager"}, nullptr, 57, BUS2};

// Bus type 1 (Modbus).
PageNode PageNode_mdb_stm{{"ModBus", "ModBus", "ModBus"}, MdbStmChildren, 55, BUS2};
PageNode PageNode_mdb_ctrl{{"Controllo", "Control", "Commande"}, nullptr, 17, BUS2};
PageNode PageNode_mdb_control{{"Tipo Controllo", "Control Set", "Type Commande"}, nullptr, 54, BUS1};
PageNode PageNode_mdb_ctrl_var{{"Impost. Controllo", "Control Setting", "Réglage commande"}, nullptr, 51, BUS2};
PageNode PageNode_mdb_pos{{"Posizionatore", "Position", "Positionneur"}, MdbPosChildren, 20, BUS2};
PageNode PageNode_mdb_pos_par{{"Parametri Pos", "Pos Parameters", "Paramètres Pos."}, nullptr, 35, BUS2};
PageNode PageNode_mdb_pos_jog{{"Jog Posizione", "Position Jog", "Jog Position"}, nullptr, 36, BUS2};
PageNode PageNode_mdb_pos_hp{{"Ricerca Origine", "Home Position", "Position Initiale"}, nullptr, 50, BUS2};
PageNode PageNode_mdb_pos_in1_tac{{"Pos. - Input 1", "Pos. - Input 1", "Pos. - Entrée 1"}, nullptr, 62, BUS2};

// Bus type 2 (CANopen), CiA 402 group.
PageNode PageNode_cands402_stm{{"CanOpen 402", "CanOpen 402", "CanOpen 402"}, Cands402StmChildren, 52, BUS2};
PageNode PageNode_cands402_ctrl{{"Controllo", "Control", "Commande"}, nullptr, 17, BUS2};
PageNode PageNode_cands402_factor{{"Fattori", "Factors", "Facteurs"}, nullptr, 58, BUS2};
PageNode PageNode_cands402_ctrl_var{{"Impost. Controllo", "Control Setting", "Réglage commande"}, nullptr, 51,
                                    BUS2};
PageNode PageNode_cands402_pos_crtl{{"Pos. Impostazioni", "Position Setting", "Réglage position"}, nullptr, 35,
                                    BUS2};
PageNode PageNode_cands402_input{{"Input Digitali", "Digital Input", "Entrées Numériques"}, InputChildren, 6, BUS2};
PageNode PageNode_cands402_position{{"Posizionatore", "Positioner", "Positionneur"}, Cands402PositionChildren, 20,
                                    BUS2};
PageNode PageNode_cands402_pos_in1_tac{{"Pos. - Input 1", "Pos. - Input 1", "Pos. - Entrée 1"}, nullptr, 62, BUS2};
PageNode PageNode_cands402_homing{{"Ricerca Origine", "Homing Mode", "Homing Mode"}, nullptr, 50, BUS2};
PageNode PageNode_cands402_profile_vel{{"Profile Velocity", "Profile Velocity", "Profile Velocity"}, nullptr, 18,
                                       BUS2};
PageNode PageNode_cands402_velocity_mode{{"Modo Velocità", "Velocity Mode", "Velocity Mode"}, nullptr, 18, BUS2};
PageNode PageNode_cands402_interp{{"Interpolatore", "Interpol. Mode", "Interpol. Mode"}, nullptr, 49, BUS2};
PageNode PageNode_cands402_torque{{"Modo Coppia", "Torque Mode", "Mode Couple "}, nullptr, 19, BUS2};
PageNode PageNode_cands402_gearbox{{"Asse Elettrico", "GearBox Mode", "Axe Électrique"}, Cands402GearboxChildren,
                                   21, BUS2};
PageNode PageNode_cands402_gearbox_aggc{{"Aggancio", "Engaging", "Engageant"}, nullptr, 56, BUS2};
PageNode PageNode_cands402_gearbox_sgnc{{"Sgancio", "Disengaging", "Désengager"}, nullptr, 57, BUS2};

// Bus type 2, CiA 301 group.
PageNode PageNode_cands301{{"CanOpen DS301", "CanOpen DS301", "CanOpen DS301"}, Cands301Children, 53, BUS1};
PageNode PageNode_cands301_dat_com{{"Dati Comunicazione", "Comunication Dats", "Communicat. de données"}, nullptr,
                                   48, BUS1};
PageNode PageNode_cands301_emerg_store{{"Allarmi", "Alarms", "Alarmes"}, nullptr, 48, BUS1};
PageNode PageNode_cands301_rpdo_map{{"RPDO Map", "RPDO Map", "RPDO Map"}, nullptr, 48, BUS1};
PageNode PageNode_cands301_tpdo_map{{"TPDO Map", "TPDO Map", "TPDO Map"}, nullptr, 48, BUS1};

PageNode* const PageNodeTable[PAGE_NODE_COUNT] = {
    &PageNode_field_bus, &PageNode_motore, &PageNode_mot_feedback, &PageNode_setup_avanzato, &PageNode_pid_vel,
    &PageNode_pid_cor, &PageNode_pid_pos, &PageNode_mem_alarm, &PageNode_modo_allarmi, &PageNode_limiti,
    &PageNode_filtro_notch, &PageNode_fpb_iq, &PageNode_output, &PageNode_taglia_drive, &PageNode_test_i2t,
    &PageNode_soglie_tensione, &PageNode_fan_ctrl, &PageNode_resistenza_fren, &PageNode_input_flt,
    &PageNode_inout_control, &PageNode_mdb_input, &PageNode_mdb_factor, &PageNode_mdb_pos_ctrl,
    &PageNode_mdb_speed_main, &PageNode_mdb_speed_aux, &PageNode_mdb_speed_rampe, &PageNode_mdb_torque,
    &PageNode_mdb_gearbox, &PageNode_mdb_gearbox_aggc, &PageNode_mdb_gearbox_sgnc, &PageNode_mdb_stm,
    &PageNode_mdb_ctrl, &PageNode_mdb_control, &PageNode_mdb_ctrl_var, &PageNode_mdb_pos, &PageNode_mdb_pos_par,
    &PageNode_mdb_pos_jog, &PageNode_mdb_pos_hp, &PageNode_mdb_pos_in1_tac, &PageNode_cands402_stm,
    &PageNode_cands402_ctrl, &PageNode_cands402_factor, &PageNode_cands402_ctrl_var, &PageNode_cands402_pos_crtl,
    &PageNode_cands402_input, &PageNode_cands402_position, &PageNode_cands402_pos_in1_tac,
    &PageNode_cands402_homing, &PageNode_cands402_profile_vel, &PageNode_cands402_velocity_mode,
    &PageNode_cands402_interp, &PageNode_cands402_torque, &PageNode_cands402_gearbox,
    &PageNode_cands402_gearbox_aggc, &PageNode_cands402_gearbox_sgnc, &PageNode_cands301,
    &PageNode_cands301_dat_com, &PageNode_cands301_emerg_store, &PageNode_cands301_rpdo_map,
    &PageNode_cands301_tpdo_map};

PageNode* const DrivePageRoots[] = {&PageNode_field_bus,     &PageNode_motore,         &PageNode_setup_avanzato,
                                    &PageNode_inout_control, &PageNode_mdb_speed_main, &PageNode_taglia_drive,
                                    nullptr};
PageNode* const ReservedPageRoots[] = {&PageNode_taglia_drive, nullptr};
PageNode* const* const BusPageRoots[3] = {BusIoRoots, BusModbusRoots, BusCanopenRoots};
PageNode* const Ds301PageRoots[] = {&PageNode_cands301, nullptr};

uint16_t BuiltBusType[2] = {0xFFFF, 0xFFFF};
PageNode* CurrentPageNode[2] = {nullptr, nullptr};
uint8_t PageStateArea[12] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
QList<QIcon> ImageList_tree;

namespace {

QPointer<QTreeWidget> ContextTree[2];

// Begin/end update of a tree: no repaint and no signals (deleting the current item would emit
// currentItemChanged) until the scope ends.
class TreeUpdate {
public:
    explicit TreeUpdate(QTreeWidget* tree) : tree_(tree), blocker_(tree), was_enabled_(tree->updatesEnabled())
    {
        tree_->setUpdatesEnabled(false);
    }
    ~TreeUpdate() { tree_->setUpdatesEnabled(was_enabled_); }
    TreeUpdate(const TreeUpdate&) = delete;
    TreeUpdate& operator=(const TreeUpdate&) = delete;

private:
    QTreeWidget* tree_;
    QSignalBlocker blocker_;
    bool was_enabled_;
};

QTreeWidgetItem* make_item(PageNode* node)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, QString::fromUtf8(PageNodeText(node, LanguageIndex)));
    item->setData(0, Qt::UserRole, QVariant::fromValue(node));
    if (node->icon < ImageList_tree.size())
        item->setIcon(0, ImageList_tree[node->icon]);
    return item;
}

// Inserts a top-level (or same-level) item immediately before the anchor.
void insert_before(QTreeWidget* tree, QTreeWidgetItem* anchor, QTreeWidgetItem* item)
{
    if (QTreeWidgetItem* parent = anchor->parent())
        parent->insertChild(parent->indexOfChild(anchor), item);
    else
        tree->insertTopLevelItem(tree->indexOfTopLevelItem(anchor), item);
}

bool is_deleted_by(const PageNode* node, uint8_t mask)
{
    return node != nullptr && (mask & (1u << ((node->flags >> PageFlag::BusClassShift) & 3u))) != 0;
}

// Collects the topmost items to delete; their subtrees go with them.
void collect_bus_items(QTreeWidgetItem* item, uint8_t mask, std::vector<QTreeWidgetItem*>& out)
{
    if (is_deleted_by(PageNodeOf(item), mask)) {
        out.push_back(item);
        return;
    }
    for (int i = 0; i < item->childCount(); ++i)
        collect_bus_items(item->child(i), mask, out);
}

uint16_t bus_type_of(uint8_t context)
{
    return Rec_get<uint16_t>(DriveRecordBank[context], RecOfs::BusType);
}

void delete_node_item(QTreeWidget* tree, const PageNode* node)
{
    delete FindPageNode(tree, node);
}

}  // namespace

const char* PageNodeText(const PageNode* node, unsigned language)
{
    return node->text[language < 3 ? language : 1];
}

PageNode* PageNodeOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, Qt::UserRole).value<PageNode*>() : nullptr;
}

QTreeWidget* PageTreeOf(uint8_t context)
{
    return context < 2 ? ContextTree[context].data() : nullptr;
}

QTreeWidgetItem* FindPageNode(QTreeWidget* tree, const PageNode* node)
{
    if (tree == nullptr || node == nullptr)
        return nullptr;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if (PageNodeOf(*it) == node)
            return *it;
    }
    return nullptr;
}

void AddPageNode(QTreeWidget* tree, const PageNode* parent, PageNode* node)
{
    QTreeWidgetItem* parent_item = FindPageNode(tree, parent);
    if (parent_item == nullptr || node == nullptr)
        return;
    parent_item->addChild(make_item(node));
}

// Walks the array: skips reserved nodes without access bit 0 and Alarm Memory in context 1;
// at depth 0 appends at the top level (no anchor) or inserts before the anchor; deeper, appends
// as the last child of the anchor. A node with children takes the next depth, its item as anchor.
QTreeWidgetItem* AddPageNodes(QTreeWidget* tree, PageNode* const* array, QTreeWidgetItem* anchor,
                              uint16_t* depth, uint16_t context)
{
    if (tree == nullptr || array == nullptr || depth == nullptr)
        return nullptr;
    QTreeWidgetItem* last_top = nullptr;
    for (PageNode* const* p = array; *p != nullptr; ++p) {
        PageNode* node = *p;
        if ((node->flags & PageFlag::Reserved) && !(AccessFlags & Access::Reserved))
            continue;
        if (context == 1 && node == &PageNode_mem_alarm)
            continue;
        QTreeWidgetItem* item = make_item(node);
        if (*depth > 0 && anchor != nullptr) {
            anchor->addChild(item);
        } else {
            if (anchor != nullptr)
                insert_before(tree, anchor, item);
            else
                tree->addTopLevelItem(item);
            last_top = item;
        }
        if (node->children != nullptr) {
            ++*depth;
            AddPageNodes(tree, node->children, item, depth, context);
        }
    }
    if (*depth > 0)
        --*depth;
    return last_top;
}

void ClearBusPages(QTreeWidget* tree, uint8_t mask)
{
    if (tree == nullptr)
        return;
    std::vector<QTreeWidgetItem*> doomed;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        collect_bus_items(tree->topLevelItem(i), mask, doomed);
    TreeUpdate update(tree);
    for (QTreeWidgetItem* item : doomed)
        delete item;
}

void InitPageTree(QTreeWidget* tree, PageNode* const* roots, uint16_t context)
{
    if (tree == nullptr || context > 1)
        return;
    ContextTree[context] = tree;
    {
        TreeUpdate update(tree);
        tree->clear();
        // The complement of the data set's type never equals it, so the bus pages are always built.
        BuiltBusType[context] = static_cast<uint16_t>(~bus_type_of(static_cast<uint8_t>(context)));
        uint16_t depth = 0;
        AddPageNodes(tree, roots, nullptr, &depth, context);
        BuildPageTree(static_cast<uint8_t>(context));
        if (tree->topLevelItemCount() > 0)
            tree->setCurrentItem(tree->topLevelItem(0));
    }
    ApplyBrand(tree);
}

void BuildPageTree(uint8_t context)
{
    QTreeWidget* tree = PageTreeOf(context);
    if (tree == nullptr)
        return;
    const uint16_t bus = bus_type_of(context);
    if (BuiltBusType[context] == bus)
        return;
    TreeUpdate update(tree);
    BuiltBusType[context] = bus;
    std::memset(PageStateArea, 0xFF, sizeof PageStateArea);
    ClearBusPages(tree, 6);
    QTreeWidgetItem* anchor = FindPageNode(tree, &PageNode_taglia_drive);
    uint16_t depth = 0;
    switch (bus) {
    case 0:
    case 1:
        AddPageNodes(tree, BusPageRoots[bus], anchor, &depth, context);
        break;
    case 2: {
        QTreeWidgetItem* cia402 = AddPageNodes(tree, BusPageRoots[2], anchor, &depth, context);
        AddPageNodes(tree, Ds301PageRoots, cia402, &depth, context);
        break;
    }
    default:
        break;  // unknown bus type: the fixed part only
    }
}

void Tree_apply_family_pages(QTreeWidget* tree, bool second_family)
{
    if (tree == nullptr)
        return;
    TreeUpdate update(tree);
    if (second_family) {
        if (FindPageNode(tree, &PageNode_resistenza_fren) == nullptr)
            AddPageNode(tree, &PageNode_setup_avanzato, &PageNode_resistenza_fren);
        if (FindPageNode(tree, &PageNode_fan_ctrl) == nullptr)
            AddPageNode(tree, &PageNode_taglia_drive, &PageNode_fan_ctrl);
    } else {
        delete_node_item(tree, &PageNode_resistenza_fren);
        delete_node_item(tree, &PageNode_fan_ctrl);
    }
}

// ---- page area ----

PageArea Treectrl_build_page_area(QWidget* parent, const QString& title)
{
    PageArea a{};
    a.group = new QGroupBox(title, parent);
    a.group->setObjectName("GroupBox_dati_drive");
    a.scroll = new QScrollArea(a.group);
    a.scroll->setObjectName("ScrollBox_Menu");
    a.scroll->setWidgetResizable(true);
    a.host = new PageColumn;
    a.host->setObjectName("ScrollBox_Menu_host");
    a.scroll->setWidget(a.host);
    (new QVBoxLayout(a.group))->addWidget(a.scroll);
    return a;
}
