// Main window: the drive family switch. The family of the settings (flag bit 2) decides the
// drive-size table, the family record written into files, the oscilloscope's signal catalogue,
// the number of output LED rows and the family's own pages in the page trees.
#include <QAction>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Globvar.h"
#include "drivedata/Versoftw.h"
#include "drivedata/Frm_output_sizes.h"
#include "link/Scope_link.h"
#include "shell/Main.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Toolwin.h"
#include "shell/Treectrl.h"

namespace {

struct FamilyRow {
    const DriveSizeTable* size_table;
    const DriveFamilyRecord* record;
    uint32_t device_id;
};

// First family, second family.
const FamilyRow FAMILIES[2] = {
    {&SizeTableOrvel, &FamilyOrvel, DRIVE_TYPE_ORVEL},
    {&SizeTablePelsan, &FamilyPelsan, DRIVE_TYPE_PELSAN},
};

// The pages only the second family has.
PageNode* const FAMILY_PAGES[] = {&PageNode_resistenza_fren, &PageNode_fan_ctrl};

// Page context of a tree, -1 for a tree of no context.
int context_of(const QTreeWidget* tree)
{
    for (uint8_t c = 0; c < 2; ++c)
        if (PageTreeOf(c) == tree)
            return c;
    return -1;
}

// A family page about to leave the tree while it is open: it is destroyed first and the top node
// opens instead (in the archive window through its own tree handler).
void leave_family_page(QTreeWidget* tree)
{
    const int context = context_of(tree);
    if (context < 0 || tree->topLevelItemCount() == 0)
        return;
    PageNode* open = CurrentPageNode[context];
    if (open != &PageNode_resistenza_fren && open != &PageNode_fan_ctrl)
        return;
    QTreeWidgetItem* top = tree->topLevelItem(0);
    if (context == 0 && Form_main != nullptr && tree == Form_main->TreeView_menu) {
        {
            const QSignalBlocker quiet(tree);
            tree->setCurrentItem(top);
        }
        Form_main->SelectPage(0, Form_main->ScrollBox_Menu_host);
        return;
    }
    tree->setCurrentItem(top);
    if (CurrentPageNode[context] == open) {  // nothing followed the selection
        CurrentPageNode[context] = nullptr;
        if (open->PageDestroy != nullptr)
            open->PageDestroy(static_cast<uint8_t>(context));
    }
}

bool has_family_page_open(bool second)
{
    if (second)
        return false;
    for (PageNode* node : FAMILY_PAGES)
        if (CurrentPageNode[0] == node || CurrentPageNode[1] == node)
            return true;
    return false;
}

}  // namespace

void TForm_main::Main_apply_brand(QTreeWidget* tree)
{
    const bool second = Settings_second_family();
    const FamilyRow& family = FAMILIES[second ? 1 : 0];
    CurrentSizeTable = *family.size_table;
    CurrentFamily = family.record;
    const ScopeSignalTableRec& catalogue = ScopeFamilyCatalogue[second ? 1 : 0];
    if (catalogue.entries != nullptr && catalogue.count > 0)
        ScopeSignalTable = catalogue;
    if (tree != nullptr) {
        if (has_family_page_open(second))
            leave_family_page(tree);
        Tree_apply_family_pages(tree, second);
    }

    TForm_main* f = Form_main;
    if (f == nullptr)
        return;
    if (Form_Oscx || Toolwin_open(ToolWin::Oscx))
        Oscx_apply_channels();
    f->Main_io_image_layout(f->Image_Output, f->IoGeometryOutput, "O.0", f->OutputRows[second ? 1 : 0],
                            f->GroupBox_Output);
    const Drive_status st = Drive_status_get();
    StatusShown.outputs = static_cast<uint8_t>(~st.outputs);
    StatusShown.inputs[0] = static_cast<uint8_t>(~st.inputs[0]);
    StatusShown.inputs[1] = static_cast<uint8_t>(~st.inputs[1]);
    f->RefreshCurrentPage();
    f->ApplyCaptionAndVersion();
}

void TForm_main::Main_family_from_drive()
{
    const uint32_t id = DriveDeviceId.load();
    const bool second = Settings_second_family();
    const uint32_t other_id = FAMILIES[second ? 0 : 1].device_id;
    if (id != other_id)
        return;
    if (second) {
        SettingsBlock.flags &= static_cast<uint8_t>(~SettingsFlag::FamilyPelsan);
        Menu_ORVEL1->setChecked(true);
    } else {
        SettingsBlock.flags |= SettingsFlag::FamilyPelsan;
        Menu_PELSAN1->setChecked(true);
    }
    ApplyBrand(TreeView_menu);
    if (QTreeWidget* archive = PageTreeOf(1))
        ApplyBrand(archive);
}

namespace {

void choose_family(TForm_main& f, bool second)
{
    if (second)
        SettingsBlock.flags |= SettingsFlag::FamilyPelsan;
    else
        SettingsBlock.flags &= static_cast<uint8_t>(~SettingsFlag::FamilyPelsan);
    (second ? f.Menu_PELSAN1 : f.Menu_ORVEL1)->setChecked(true);
    SaveSettings();
    ApplyBrand(f.TreeView_menu);
    f.RefreshCurrentPage();
}

}  // namespace

void TForm_main::Menu_ORVEL1Click()
{
    choose_family(*this, false);
}

void TForm_main::Menu_PELSAN1Click()
{
    choose_family(*this, true);
}
