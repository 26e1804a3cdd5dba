#pragma once
// Modbus "GearBox Mode" page: ratio, master encoder, phase shift and the master encoder count.
#include "pages/fieldbus/Fieldbus_page.h"

class QPushButton;

PARAM_PAGE_UNIT_DECL(mdb_gearbox)

// Master encoder signal type (Modbus 0705h, CiA 402 2204h): item index = value.
inline const char* const GearboxEncoderItemsIt[] = {"Canale A - B", "Frequenza Direz.", "Impulsi CW/CCW"};
inline const char* const GearboxEncoderItemsEn[] = {"Channel A - B", "Freq. Direction", "Impulses CW/CCW"};
inline const char* const GearboxEncoderItemsFr[] = {"Canal A - B", "Fréquence Direct.", "Impulsions CW/CCW"};
inline const ComboSpec GearboxEncoderCombo = {{GearboxEncoderItemsIt, GearboxEncoderItemsEn, GearboxEncoderItemsFr}, 3};

// Hints both gear box twins show.
inline const FixedText GearboxHints[] = {
    {"GroupBox_Sfasamento", {"Sfasamento", "Phase Shift", "Déphasage"}},
    {"BitBtn_invia_sfasamento", {"Invia sfasamento", "Send phase shift", "Envoyer déphasage"}},
};

// The frame both twins share: the encoder combo on top, the base's edits with the last three
// (phase shift, its velocity and ramp) in GroupBox_Sfasamento beside the hidden
// Panel_invia_sfasamento, then a row per live value (caption panel, value panel). Returns the
// send button.
QPushButton* Gearbox_build(ParamPage& page, const FieldCombo& encoder, QGroupBox* box, QVBoxLayout* layout,
                           const LiveCaption* captions);
