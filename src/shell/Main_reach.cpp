// The few things the shell's dialogs do to the main window, in one place.
#include <QMenu>

#include "shell/Main.h"
#include "shell/Toolwin.h"

void Main_attach_bar(TForm_main::OtherBar which, Stbarx* bar)
{
    if (Form_main != nullptr)
        Form_main->OtherStb[which] = bar;
}

void Main_detach_bar(TForm_main::OtherBar which, const Stbarx* bar)
{
    if (Form_main != nullptr && Form_main->OtherStb[which] == bar)
        Form_main->OtherStb[which] = nullptr;
}

void Main_register_dialog(QPointer<QWidget> TForm_main::*slot, QWidget* dialog)
{
    if (Form_main != nullptr && (Form_main->*slot).isNull())
        Form_main->*slot = dialog;
}

void Main_close_link()
{
    if (Form_main != nullptr)
        Form_main->CloseLink();
}

void Main_select_page(uint16_t context, QWidget* host)
{
    if (Form_main != nullptr)
        Form_main->SelectPage(context, host);
}

QTreeWidget* Main_page_tree()
{
    return Form_main != nullptr ? Form_main->TreeView_menu : nullptr;
}

void Main_show_flash_write()
{
    if (Form_main == nullptr)
        return;
    Form_main->FlashWrite->setVisible(true);
    // Without the firmware window the item is shown but cannot be used.
    Form_main->FlashWrite->setEnabled(Toolwin_available(ToolWin::FlashSH));
}

void Main_show_monitor_menu()
{
    if (Form_main != nullptr)
        Form_main->Menu_Monitor->menuAction()->setVisible(true);
}
