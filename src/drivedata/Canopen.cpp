#include "drivedata/Canopen.h"

#include "drivedata/Utx.h"

void Canopen_ds301_swap(uint8_t* section)
{
    Init_swap_fields(section, CanopenSections::Ds301);
}

void Canopen_ds402_swap(uint8_t* section)
{
    Init_swap_fields(section, CanopenSections::Ds402);
}

namespace {
constexpr UtxMapPair ModeRows[] = {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {6, 4}, {7, 5}, {-1, 6}};
constexpr UtxMapPair RowModes[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 6}, {5, 7}, {6, -1}};
}  // namespace

uint16_t Canopen_mode_to_index(int16_t mode)
{
    return static_cast<uint16_t>(Utx_map(ModeRows, mode, 0));
}

int16_t Canopen_index_to_mode(int16_t row)
{
    return Utx_map(RowModes, row, 1);
}

const uint16_t EmcyCodeTable[EMCY_CODE_COUNT] = {
    0x0000,                                          // unused
    0x7600, 0xFF01, 0x2340, 0x3210, 0x0000, 0x0000,  // alarms 0-5
    0xFF0B, 0xFF08, 0x7120, 0x7110, 0x0000, 0x3220,  // alarms 6-11
    0x8611, 0xFF02, 0xFF03, 0xFF04, 0xFF05, 0xFF09,  // alarms 12-17
    0x0000, 0x8130, 0xFF07, 0xFF0A, 0xFF0D, 0x4310,  // alarms 18-23
    0xFF0C, 0x8400,                                  // alarms 24-25
};
const uint16_t EmcyCodeCount = EMCY_CODE_COUNT;

int16_t Canopen_emcy_to_alarm(uint32_t code)
{
    for (uint16_t i = 1; i < EmcyCodeCount; ++i) {
        if (static_cast<uint32_t>(EmcyCodeTable[i]) == code)
            return static_cast<int16_t>(i - 1);
    }
    return -1;
}
