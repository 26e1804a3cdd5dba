#pragma once
// Shared set-up of the printout tests: the controls' set-up (sorted dictionaries, message sink,
// saved data, Italian, C locale), an empty print list, the first family, no printer, and helpers
// that find printed lines.
#include "controls_fixture.h"

#include <optional>

#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Init.h"
#include "print_core/Print_list.h"
#include "print_core/Print_printers.h"
#include "print_core/Printer_data.h"
#include "shell/Settings.h"

class PrintTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        static const bool sizes = [] {
            Frm_output_build_size_tables();
            return true;
        }();
        (void)sizes;
        saved_flags_ = SettingsBlock.flags;
        SettingsBlock.flags = static_cast<uint8_t>(SettingsBlock.flags & ~SettingsFlag::FamilyPelsan);
        CurrentSizeTable = SizeTableOrvel;
        Print_set_printer_source(PrinterSource{});  // no printer: the A4 table
        Print_list_clear_lines();
        Print_list_clear_marks();
        saved_page_ = PrintPage;
        PrintPage = {};
    }

    void TearDown() override
    {
        Print_list_clear_lines();
        Print_list_clear_marks();
        PrintPage = saved_page_;
        Print_set_printer_source(std::nullopt);
        SettingsBlock.flags = saved_flags_;
        CurrentSizeTable = SizeTableOrvel;
        ControlsTest::TearDown();
    }

    static DriveRecord defaults(bool second_family = false)
    {
        DriveRecord r{};
        Init_default_image(r, 0, 0, second_family ? FAMILY_FLAG_PELSAN : FAMILY_FLAG_ORVEL);
        return r;
    }

    static void set_second_family(bool on)
    {
        if (on)
            SettingsBlock.flags |= SettingsFlag::FamilyPelsan;
        else
            SettingsBlock.flags = static_cast<uint8_t>(SettingsBlock.flags & ~SettingsFlag::FamilyPelsan);
        CurrentSizeTable = on ? SizeTablePelsan : SizeTableOrvel;
    }

    // The first line named `name` at or after `from`, or null.
    static const PrintLine* line_named(const QString& name, std::size_t from = 0)
    {
        for (std::size_t i = from; i < PrintListLines.size(); ++i)
            if (PrintListLines[i].name == name)
                return &PrintListLines[i];
        return nullptr;
    }
    static std::optional<std::size_t> index_of(const QString& name, uint8_t kind, std::size_t from = 0)
    {
        for (std::size_t i = from; i < PrintListLines.size(); ++i)
            if (PrintListLines[i].name == name && PrintListLines[i].kind == kind)
                return i;
        return std::nullopt;
    }

private:
    uint8_t saved_flags_ = 0;
    PrintPageRec saved_page_;
};
