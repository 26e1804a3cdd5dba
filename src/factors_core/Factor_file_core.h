#pragma once
// Unit-factor files (*.ftl, 108 bytes): the data file header (check byte, the current family's
// record, two zero bytes) and one FactorApplicationRec from byte 28. No Qt.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "drivedata/Records_ext.h"

// Writes the file for the current family through a temporary file and a rename (a failure leaves
// an old file as it was). 0 when saved, else the errno of the step that failed.
int Factor_tool_save_file(const std::filesystem::path& name, const FactorApplicationRec& rec);

// Reads a file of at most `size` bytes into buf; *out = the bytes read. True when it was read and
// its bytes XOR to 0; a larger file, a missing or unreadable one fails.
bool Factor_tool_read_file(const std::filesystem::path& name, uint8_t* buf, std::size_t size, std::size_t* out);

// Loads a factor file into rec. An empty name or a missing file: false, no message. A file of
// another size than 108 bytes, or whose bytes do not XOR to 0: "Corrupted Data or Invalid File !"
// and false, rec unchanged. The family record is not compared. The program's current drive data
// file name is left alone.
bool Factor_tool_load_file(const std::filesystem::path& name, FactorApplicationRec* rec);
