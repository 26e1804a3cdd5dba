#pragma once
// Reading a scope recording (*.dmg) for the viewer: the refusals, the header with its fields
// brought into range, and where the samples lie. No Qt.
#include <cstddef>
#include <cstdint>

#include "scope_core/Oscx_file_core.h"

namespace RecordingRead {
constexpr uint8_t Ok = 0;
constexpr uint8_t BadFile = 1;       // short, bad checksum, sample count beyond the file or the chart
constexpr uint8_t Incompatible = 2;  // data version major newer than the program's
}  // namespace RecordingRead

constexpr uint32_t RECORDING_MAX_SAMPLES = 40001;  // the chart's 40,002 rows less one
constexpr uint32_t RECORDING_MIN_LENGTH = 10;
constexpr uint32_t RECORDING_MAX_LENGTH = 40000;
constexpr uint8_t RECORDING_MAX_DECIMALS = 4;

struct ScopeRecordingRead {
    uint8_t result = RecordingRead::BadFile;
    ScopeRecordingHeader header{};   // valid from Incompatible on; settings clamped when Ok
    uint32_t sample_count = 0;
    const uint8_t* samples = nullptr;  // sample_count rows of four doubles inside the bytes
};

// Checks and decodes a whole file. Refused: 144 bytes or less, a sum over the file (in pieces of
// 1,024 bytes) other than 0xFFFF, more than 40,001 samples or more than the file holds (trailing
// bytes are allowed), then a newer data version. An accepted file's record length is clamped into
// 10..40,000 and never below N - 1, axis channels above 3 become 0 (left) and 1 (right), decimals
// above 4 become 4.
ScopeRecordingRead Oscx_read_recording(const uint8_t* bytes, std::size_t size);

// Signal indices of the channels from their drive codes in the catalogue of the file's family;
// a code the catalogue lacks gives row 0.
void Oscx_recording_signals(ScopeSettingsRec& settings, const ScopeSignal* catalogue, uint16_t count);
