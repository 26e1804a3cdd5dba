// Main window: the firmware controls of its hidden service panel, served by the firmware update's
// entries.
#include <QHBoxLayout>
#include <QToolButton>

#include "controls/Graph_draw.h"
#include "shell/Main.h"

namespace {

constexpr int FILE_PANEL_HEIGHT = 24;

QToolButton* flash_button(QWidget* parent, const char* name, const char* text)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    return b;
}

}  // namespace

void TForm_main::build_flash_controls()
{
    auto* row = new QHBoxLayout(Panel_filedat_flashx);
    Image_file_flash = new ImageBox(Panel_filedat_flashx);
    Image_file_flash->setObjectName("Image_file_flash");
    Image_file_flash->setFixedHeight(FILE_PANEL_HEIGHT);
    row->addWidget(Image_file_flash, 1);
    BitBtn_Reset = flash_button(Panel_filedat_flashx, "BitBtn_Reset", "Reset");
    BitBtn_prog = flash_button(Panel_filedat_flashx, "BitBtn_prog", "Prog");
    BitBtn_load = flash_button(Panel_filedat_flashx, "BitBtn_load", "Load");
    const bool served = MainFlashEntries.start_prog != nullptr;
    for (QToolButton* b : {BitBtn_Reset, BitBtn_prog, BitBtn_load}) {
        b->setEnabled(served);
        row->addWidget(b);
    }
    connect(BitBtn_Reset, &QToolButton::clicked, this, [this] { BitBtn_ResetClick(); });
    connect(BitBtn_prog, &QToolButton::clicked, this, [this] { BitBtn_progClick(); });
    connect(BitBtn_load, &QToolButton::clicked, this, [this] { BitBtn_loadClick(); });
}

void TForm_main::BitBtn_ResetClick()
{
    if (MainFlashEntries.reset_drive != nullptr)
        MainFlashEntries.reset_drive();
}

void TForm_main::BitBtn_progClick()
{
    if (MainFlashEntries.start_prog != nullptr)
        MainFlashEntries.start_prog();
}

void TForm_main::BitBtn_loadClick()
{
    if (MainFlashEntries.load_file == nullptr)
        return;
    MainFlashEntries.load_file();
    if (MainFlashEntries.draw_file_panel != nullptr)
        MainFlashEntries.draw_file_panel(Image_file_flash);
}
