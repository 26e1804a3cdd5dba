#pragma once
// Scope recordings (*.dmg): the 144-byte header, the ones'-complement checksum and the image of a
// recording built from the chart's samples. All numbers little-endian as the host holds them.
// No Qt.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "drivedata/Versoftw.h"
#include "link/Scope_link.h"

static_assert(std::endian::native == std::endian::little && std::numeric_limits<double>::is_iec559,
              "recordings hold little-endian IEEE doubles as the chart holds them");

struct ScopeRecordingHeader {
    uint16_t checksum;          // ones' complement of the sum of the rest of the file
    DriveFamilyRecord family;   // CurrentFamily at the time of writing
    uint8_t zero;
    uint32_t sample_count;
    ScopeSettingsRec settings;  // trigger flags bits 3-4: the drive's motor type
};
static_assert(sizeof(ScopeRecordingHeader) == 144);
static_assert(offsetof(ScopeRecordingHeader, family) == 2);
static_assert(offsetof(ScopeRecordingHeader, zero) == 27);
static_assert(offsetof(ScopeRecordingHeader, sample_count) == 28);
static_assert(offsetof(ScopeRecordingHeader, settings) == 32);
static_assert(offsetof(ScopeRecordingHeader, settings) + offsetof(ScopeSettingsRec, marker) == 112);
static_assert(offsetof(ScopeRecordingHeader, settings) + offsetof(ScopeSettingsRec, record_length) == 132);
static_assert(offsetof(ScopeRecordingHeader, settings) + offsetof(ScopeSettingsRec, trigger_flags) == 136);
static_assert(offsetof(ScopeRecordingHeader, settings) + offsetof(ScopeSettingsRec, trigger_channel) == 138);
static_assert(offsetof(ScopeRecordingHeader, settings) + offsetof(ScopeSettingsRec, sample_time) == 142);

constexpr std::size_t SCOPE_SAMPLE_BYTES = SCOPE_CHANNELS * sizeof(double);
constexpr uint8_t SCOPE_FLAGS_MOTOR_MASK = 0x18;

// Adds the bytes as 16-bit little-endian words to the running sum with end-around carry; an odd
// last byte counts as a word with high byte 0. Pieces of even length sum as the whole.
void OnesComplementSum(const void* bytes, uint16_t* sum, uint32_t length);

// Index of the first catalogue record with the drive code, 0 when none has it.
uint16_t Oscx_find_signal(uint16_t code, const ScopeSignal* catalogue, uint16_t count);

// Trigger flags with bits 3-4 replaced by the motor type's two low bits.
uint8_t Scope_recording_flags(uint8_t flags, uint16_t motor_type);

// One contiguous piece of the chart's samples: `count` rows of four doubles.
struct ScopeSamplePiece {
    const double* rows;
    uint32_t count;
};
// The whole file: header (family, count, settings, flags with the motor type, checksum) and the
// samples of the pieces in order.
std::vector<uint8_t> Scope_recording_image(const ScopeSettingsRec& settings, const DriveFamilyRecord& family,
                                           uint16_t motor_type, const ScopeSamplePiece* pieces, std::size_t n);
