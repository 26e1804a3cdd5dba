#pragma once
// Field Bus page: control type (BusType), Modbus and CANopen settings in memory, address and
// bit-rate source, time-out alarms, and the drive's selector switch. No poll list: Timer_com
// asks for the selector byte (information sub-code 7) every 100 ms.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(field_bus)

// Control type (record offset 110): item index = BusType.
inline const char* const BusTypeItemsIt[] = {"Controllo Input/OutPut", "Controllo Remoto MODBUS",
                                             "Controllo Remoto CanOpen"};
inline const char* const BusTypeItemsEn[] = {"Remote Input/OutPut", "MODBUS Remote Control", "CanOpen Remote Control"};
inline const char* const BusTypeItemsFr[] = {"Commande Entrées/Sortie", "MODBUS Commande à Distance",
                                             "CanOpen Commade à Distance"};
inline const ComboSpec BusTypeCombo = {{BusTypeItemsIt, BusTypeItemsEn, BusTypeItemsFr}, 3};

// Address and bit-rate source (bit 0 of offset 108).
inline const char* const BusSourceItemsIt[] = {"Da selettore", "Da memoria"};
inline const char* const BusSourceItemsEn[] = {"From selector", "From memory"};
inline const char* const BusSourceItemsFr[] = {"Le sélecteur de", "à partir la mémoire"};
inline const ComboSpec BusSourceCombo = {{BusSourceItemsIt, BusSourceItemsEn, BusSourceItemsFr}, 2};

// Modbus parity (offset 96).
inline const char* const ParityItemsIt[] = {"No-Parità", "Dispari", "Pari"};
inline const char* const ParityItemsEn[] = {"No-Parity", "Odd", "Even"};
inline const char* const ParityItemsFr[] = {"Pas-de Parité", "Impair", "Pair"};
inline const ComboSpec ParityCombo = {{ParityItemsIt, ParityItemsEn, ParityItemsFr}, 3};

// Bit rates in memory (offsets 98 and 104): item index stored.
inline const char* const ModbusRateItems[] = {"9600", "14400", "19200", "38400", "57600"};
inline const ComboSpec ModbusRateCombo = {{ModbusRateItems, ModbusRateItems, ModbusRateItems}, 5};
inline const char* const CanRateItems[] = {"10", "20", "50", "100", "125", "250", "500", "800", "1000"};
inline const ComboSpec CanRateCombo = {{CanRateItems, CanRateItems, CanRateItems}, 9};

// Bit rates of the selector switch, by its index (bits 4-5 of the selector byte).
inline const char* const SelectorModbusRates[4] = {"9600", "19200", "38400", "57600"};
inline const char* const SelectorCanRates[4] = {"250", "500", "800", "1000"};

// Captions set at SetLanguage: control objectName, texts by language.
struct FieldBusCaption {
    const char* control;
    const char* text[3];
};
inline const FieldBusCaption FieldBusCaptions[] = {
    {"Panel_bus_control_type", {"Tipo", "Type", "Type"}},
    {"Panel_mode_addr_bit_rate", {"Modo indirizzo/bit-rate", "Mode address/bit-rate", "Adresse en mode/débit binaire"}},
    {"FlowPanel_mdb_addr_mem", {"Indirizzo", "Address", "Adresse"}},
    {"Panel_mdb_addr_selector", {"Indirizzo", "Address", "Adresse"}},
    {"Panel_can_addr_selector", {"Node-ID", "Node-ID", "Node-ID"}},
    {"Panel_modbus_bit_rate", {"Bit-rate[Bits/s]", "Bit-rate[Bits/s]", "Débit binaire[Bits/s]"}},
    {"Panel_mdb_bit_rate_selector", {"Bit-rate[Bits/s]", "Bit-rate[Bits/s]", "Débit binaire[Bits/s]"}},
    {"Panel_canopen_bit_rate", {"Bit-rate[Kbits/s]", "Bit-rate[Kbits/s]", "Débit binaire[Kbits/s]"}},
    {"Panel_can_bit_rate_selector", {"Bit-rate[Kbits/s]", "Bit-rate[Kbits/s]", "Débit binaire[Kbits/s]"}},
    {"GroupBox_mdb_memoria", {"Memoria", "Memory", "Mémoire"}},
    {"GroupBox_can_memoria", {"Memoria", "Memory", "Mémoire"}},
    {"GroupBox_mdb_selettore", {"Selettore", "Selector", "Sélecteur"}},
    {"GroupBox_can_selettore", {"Selettore", "Selector", "Sélecteur"}},
    {"Panel_modbus_parity", {"Bit Parità", "Parity Bit", "Bit de Parité"}},
    {"GroupBox_mdb_alarm_timeout", {"Allarme Timeout", "Timeout Alarm", "Alarme Timeout"}},
    {"GroupBox_can_alarm_timeout", {"Allarme Timeout", "Timeout Alarm", "Alarme Timeout"}},
    {"FlowPanel_mdb_timeout", {"Timeout [ms]", "Timeout [ms]", "Timeout [ms]"}},
    {"FlowPanel_can_timeout", {"Timeout [ms]", "Timeout [ms]", "Timeout [ms]"}},
    {"CheckBox_mdb_timeout_enable", {"Abilita Timeout", "Timeout Enable", "Activer Timeout"}},
    {"CheckBox_can_timeout_enable", {"Abilita Timeout", "Timeout Enable", "Activer Timeout"}},
};
