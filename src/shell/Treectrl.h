#pragma once
// Page nodes and the page tree. Every parameter page is reached through a static PageNode: its
// texts, icon, flags and the six entry points of the page. A tree (QTreeWidget) per page context
// shows the nodes: a fixed part, the pages of the data set's field-bus type (rebuilt when that type
// changes) and the reserved pages while access bit 0 is set. Tree items carry their PageNode* as
// Qt::UserRole data. GUI thread only.
#include <cstdint>

#include <QIcon>
#include <QList>
#include <QMetaType>

#include "pages/Page_host.h"

class QGroupBox;
class QScrollArea;
class QString;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace PageFlag {
constexpr uint16_t Reserved = 1u << 0;  // shown only with AccessFlags bit 0
constexpr unsigned BusClassShift = 2;   // bits 2-3: 0 fixed page, 1 or 2 bus page
constexpr uint16_t BusClass1 = 1u << BusClassShift;
constexpr uint16_t BusClass2 = 2u << BusClassShift;
}  // namespace PageFlag

struct PageNode {
    const char* text[3];        // by LanguageIndex
    PageNode* const* children;  // null-terminated, or null for a leaf
    uint16_t icon;              // index into ImageList_tree
    uint16_t flags;             // PageFlag bits
    PageCreateFn PageCreate = nullptr;
    PageContextFn PageDestroy = nullptr;
    PageContextFn PageRefresh = nullptr;
    PageContextFn PageSetLanguage = nullptr;
    PageSetAccessFn PageSetAccess = nullptr;
    PageGetSizeFn PageGetSize = nullptr;
};
Q_DECLARE_METATYPE(PageNode*)

// The 60 page nodes, named after the page units that fill their entry points.
extern PageNode PageNode_field_bus, PageNode_motore, PageNode_mot_feedback, PageNode_setup_avanzato,
    PageNode_pid_vel, PageNode_pid_cor, PageNode_pid_pos, PageNode_mem_alarm, PageNode_modo_allarmi,
    PageNode_limiti, PageNode_filtro_notch, PageNode_fpb_iq, PageNode_output, PageNode_taglia_drive,
    PageNode_test_i2t, PageNode_soglie_tensione, PageNode_fan_ctrl, PageNode_resistenza_fren,
    PageNode_input_flt;
extern PageNode PageNode_inout_control, PageNode_mdb_input, PageNode_mdb_factor, PageNode_mdb_pos_ctrl,
    PageNode_mdb_speed_main, PageNode_mdb_speed_aux, PageNode_mdb_speed_rampe, PageNode_mdb_torque,
    PageNode_mdb_gearbox, PageNode_mdb_gearbox_aggc, PageNode_mdb_gearbox_sgnc;
extern PageNode PageNode_mdb_stm, PageNode_mdb_ctrl, PageNode_mdb_control, PageNode_mdb_ctrl_var,
    PageNode_mdb_pos, PageNode_mdb_pos_par, PageNode_mdb_pos_jog, PageNode_mdb_pos_hp,
    PageNode_mdb_pos_in1_tac;
extern PageNode PageNode_cands402_stm, PageNode_cands402_ctrl, PageNode_cands402_factor,
    PageNode_cands402_ctrl_var, PageNode_cands402_pos_crtl, PageNode_cands402_input,
    PageNode_cands402_position, PageNode_cands402_pos_in1_tac, PageNode_cands402_homing,
    PageNode_cands402_profile_vel, PageNode_cands402_velocity_mode, PageNode_cands402_interp,
    PageNode_cands402_torque, PageNode_cands402_gearbox, PageNode_cands402_gearbox_aggc,
    PageNode_cands402_gearbox_sgnc;
extern PageNode PageNode_cands301, PageNode_cands301_dat_com, PageNode_cands301_emerg_store,
    PageNode_cands301_rpdo_map, PageNode_cands301_tpdo_map;

constexpr int PAGE_NODE_COUNT = 60;
extern PageNode* const PageNodeTable[PAGE_NODE_COUNT];

// Root arrays, null-terminated.
extern PageNode* const DrivePageRoots[];     // fixed part (Control Set and Main Speed go at the first build)
extern PageNode* const ReservedPageRoots[];  // Reserved Setup alone
extern PageNode* const* const BusPageRoots[3];  // per BusType; 2 holds CanOpen 402
extern PageNode* const Ds301PageRoots[];     // CanOpen DS301, inserted before CanOpen 402

// Per page context: the BusType the tree's bus pages were built for, and the open page.
extern uint16_t BuiltBusType[2];
extern PageNode* CurrentPageNode[2];
// Page state that every bus-page rebuild resets to 0xFF.
extern uint8_t PageStateArea[12];
// Icons of the tree, by PageNode::icon; filled by the main window.
extern QList<QIcon> ImageList_tree;

// Text of a node in a language (a language index out of range reads as English).
const char* PageNodeText(const PageNode* node, unsigned language);
// The PageNode* an item carries, or null.
PageNode* PageNodeOf(const QTreeWidgetItem* item);

// The tree of a context: the one last given to InitPageTree for it, while that widget exists.
QTreeWidget* PageTreeOf(uint8_t context);
// First item, depth-first, whose data is node; null when none.
QTreeWidgetItem* FindPageNode(QTreeWidget* tree, const PageNode* node);
// Appends node (alone) as the last child of parent's item; nothing when parent is not in the tree.
void AddPageNode(QTreeWidget* tree, const PageNode* parent, PageNode* node);
// Adds the nodes of a null-terminated array with their children (see the .cpp); returns the last
// top-level item created in this call, or null.
QTreeWidgetItem* AddPageNodes(QTreeWidget* tree, PageNode* const* array, QTreeWidgetItem* anchor,
                              uint16_t* depth, uint16_t context);
// Deletes every item (with its subtree) whose bus class has its bit in mask (bit 1 class 1, bit 2
// class 2).
void ClearBusPages(QTreeWidget* tree, uint8_t mask);
// Clears a tree, fills it from roots for a context, builds its bus pages (always: the type it was
// built for is first set to the complement of the data set's), selects the top item and applies the
// family (TForm_main::Main_apply_brand). The tree becomes the context's tree.
void InitPageTree(QTreeWidget* tree, PageNode* const* roots, uint16_t context);
// Rebuilds the context's bus pages when the BusType of its data set changed since the last build.
void BuildPageTree(uint8_t context);
// The family's own pages: braking resistor under Advanced Setup and fan under Reserved Setup for
// the second family (each only when absent), neither for the first.
void Tree_apply_family_pages(QTreeWidget* tree, bool second_family);

// The page area of a window: group box "GroupBox_dati_drive" holding the scroll area
// "ScrollBox_Menu", whose host "ScrollBox_Menu_host" is the parent handed to PageCreate. A page
// frame created in the host joins its layout: at the top with its preferred height, or with the
// host's whole height when its vertical size policy expands (a page that fills the area).
struct PageArea {
    QGroupBox* group;
    QScrollArea* scroll;
    QWidget* host;
};
PageArea Treectrl_build_page_area(QWidget* parent, const QString& title);
