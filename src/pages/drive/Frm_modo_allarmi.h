#pragma once
// Alarm Mode page: how the drive reacts to over-voltage, under-voltage, drive i2t and (second
// family) secure disable, one bit each of AlarmModeFlags (record offset 184), one combo per bit.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(modo_allarmi)

// Items of the combos of bits 0, 1 and 3, and of bit 2; item index = bit value.
inline const char* const AlarmModeResetItemsIt[] = {"[0] memrorizzato", "[1] auto reset"};
inline const char* const AlarmModeResetItemsEn[] = {"[0] stored", "[1] auto reset"};
inline const char* const AlarmModeResetItemsFr[] = {"[0] stockée", "[1] autoreset"};
inline const ComboSpec AlarmModeResetCombo = {{AlarmModeResetItemsIt, AlarmModeResetItemsEn, AlarmModeResetItemsFr}, 2};
inline const char* const AlarmModeI2tItemsIt[] = {"[0]Limite - Corr. Nom.", "[1]Auto Reset Cicli"};
inline const char* const AlarmModeI2tItemsEn[] = {"[0]Limit - Nom. Curr.", "[1]Auto Reset Cyclic"};
inline const char* const AlarmModeI2tItemsFr[] = {"[0]Limite Courant Nom.", "[1]Auto-Reset Cycles"};
inline const ComboSpec AlarmModeI2tCombo = {{AlarmModeI2tItemsIt, AlarmModeI2tItemsEn, AlarmModeI2tItemsFr}, 2};
