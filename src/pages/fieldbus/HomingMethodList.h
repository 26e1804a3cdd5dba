#pragma once
// The homing methods the drive supports, one row each: method number, "-" and the method's name,
// in Italian, English and French (French as English). Methods 15, 16, 31 and 32 have no row;
// Utx_homing_method_to_index and Utx_index_to_homing_method convert between method and row.
#include <cstdint>

inline constexpr int HOMING_METHOD_ROWS = 32;
inline constexpr int HOMING_METHOD_TEXT = 30;  // a row's fixed width, terminator included
inline constexpr int HOMING_METHOD_MAX = 35;

// Rows by LanguageIndex (0 Italian, 1 English, 2 French).
extern const char* const* const HomingMethodList[3];  // HOMING_METHOD_ROWS each

// Row text, or null for a language or row out of range.
const char* HomingMethodList_text(int language, int row);
// Row of a method as the drive holds it; -1 for a method outside 0..35 (the unsupported methods
// 15, 16, 31 and 32 give the rows of 13, 14, 27 and 28).
int HomingMethodList_row(int32_t method);
