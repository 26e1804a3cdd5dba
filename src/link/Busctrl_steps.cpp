// Field-bus control-word writes, fault-reset pulse and halt bit.
#include "link/Busctrl_steps.h"

#include <cstddef>
#include <vector>

#include "drivedata/Busx.h"
#include "drivedata/Record.h"
#include "link/Seriale.h"
#include "link/Sertx.h"

namespace {

// One field-bus profile: its control word and the bits the sequences use.
struct CtrlProfile {
    uint16_t bus_type;
    Loc loc;
    uint16_t BusCtrlWords::*word;
    uint16_t reset;
    uint16_t halt;
    uint16_t enable;  // power/run bits
};

constexpr CtrlProfile PROFILES[] = {
    {BusTypeId::Modbus, LiveLoc::MdbCtrlWord, &BusCtrlWords::mdb_ctrl, MdbCtrl::FaultReset, MdbCtrl::Halt,
     MdbCtrl::Enable | MdbCtrl::Run},
    {BusTypeId::Canopen, LiveLoc::CanCtrlWord, &BusCtrlWords::can_ctrl, CanCtrl::FaultReset, CanCtrl::Halt,
     CanCtrl::CommandMask},
};

// Parameter-write frame: length, command, key (2), subindex, bits, value (4, big-endian).
constexpr std::size_t WRITE_FRAME_LEN = 12;

const CtrlProfile* active_profile()
{
    const uint16_t type = Busctrl_bus_type();
    for (const CtrlProfile& p : PROFILES)
        if (p.bus_type == type)
            return &p;
    return nullptr;
}

uint16_t& word_of(const CtrlProfile& p)
{
    return BusCtrlWord.*(p.word);
}

void store_and_queue(const CtrlProfile& p, uint16_t value)
{
    word_of(p) = value;
    Sertx_write_var_ex(p.loc, 0, 0);
}

// True when the last queued write of the profile's control word carries value.
bool last_queued_write_is(const CtrlProfile& p, uint16_t value)
{
    const BusLookup hit = Busx_find(p.bus_type, p.loc);
    const BusObjectEntry* e = hit.entry();
    if (e == nullptr)
        return false;
    bool found = false;
    uint32_t last = 0;
    for (const Ser_queue_entry& q : Seriale_view().entries) {
        const std::vector<uint8_t>& f = q.frame;
        if (f.size() < WRITE_FRAME_LEN || f[1] != SerCmd::WriteVar)
            continue;
        const uint16_t key = static_cast<uint16_t>(f[2] << 8 | f[3]);
        if (key != e->index || f[4] != e->subindex || (f[5] & BusWriteBit::KindMask) != hit.kind)
            continue;
        found = true;
        last = uint32_t{f[6]} << 24 | uint32_t{f[7]} << 16 | uint32_t{f[8]} << 8 | f[9];
    }
    return found && last == value;
}

}  // namespace

void Busctrl_write_ctrl_word(uint16_t value)
{
    if (const CtrlProfile* p = active_profile())
        store_and_queue(*p, value);
}

void Busctrl_write_ctrl_word_periodic(uint16_t value)
{
    const CtrlProfile* p = active_profile();
    if (p == nullptr)
        return;
    if (last_queued_write_is(*p, value)) {
        word_of(*p) = value;
        return;
    }
    store_and_queue(*p, value);
}

void Busctrl_fault_reset()
{
    const CtrlProfile* p = active_profile();
    if (p == nullptr)
        return;
    uint16_t c = word_of(*p);
    if (!(DriveUiFlags.load() & UiFlag::Power))
        c &= static_cast<uint16_t>(~p->enable);
    store_and_queue(*p, static_cast<uint16_t>(c & ~p->reset));
    store_and_queue(*p, static_cast<uint16_t>(c | p->reset));
    for (int i = 0; i < BUSCTRL_RESET_POLLS; ++i)
        Sertx_read_status();
    store_and_queue(*p, static_cast<uint16_t>(c & ~p->reset));
}

void Busctrl_set_halt(uint8_t on)
{
    const CtrlProfile* p = active_profile();
    if (p == nullptr)
        return;
    const uint16_t c = word_of(*p);
    store_and_queue(*p, static_cast<uint16_t>(on ? (c | p->halt) : (c & ~p->halt)));
}
