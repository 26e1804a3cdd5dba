#pragma once
// Helpers of the drive setup page tests: the drive family, typed values, the link flags and the
// simulator's writes of one key.
#include <QTest>

#include "drivedata/Frm_output_sizes.h"
#include "page_fixture.h"
#include "shell/Settings.h"

namespace pagetest {

// Settings family and the size table that goes with it.
inline void set_family(bool second)
{
    SettingsBlock.flags = static_cast<uint8_t>(second ? SettingsBlock.flags | SettingsFlag::FamilyPelsan
                                                      : SettingsBlock.flags & ~SettingsFlag::FamilyPelsan);
    CurrentSizeTable = second ? SizeTablePelsan : SizeTableOrvel;
}

// The user types text into edit e and presses Return.
inline void type_value(MemoUpDwxBase* e, const QString& text)
{
    e->memo()->setFocus();
    e->memo()->clear();
    QTest::keyClicks(e->memo(), text);
    QTest::keyClick(e->memo(), Qt::Key_Return);
}

inline void set_link(uint8_t flags, bool on)
{
    if (on)
        Ser_link_flags.fetch_or(flags);
    else
        Ser_link_flags.fetch_and(static_cast<uint8_t>(~flags));
}

inline std::vector<uint32_t> written(const DriveSim& sim, uint16_t key)
{
    std::vector<uint32_t> out;
    for (const auto& w : sim.param_writes())
        if (w.key == key)
            out.push_back(w.value_u32());
    return out;
}

// Drive functions (command 8) the simulator received: code, value.
inline std::vector<std::pair<int, int>> drive_funcs(const DriveSim& sim)
{
    std::vector<std::pair<int, int>> out;
    for (const SimLogEntry& e : sim.requests(8))
        out.emplace_back(e.bytes.at(2), e.bytes.at(3));
    return out;
}

}  // namespace pagetest
