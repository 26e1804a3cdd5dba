#pragma once
// Feedback page: the motor's position feedback (device type and its settings, commutation
// offset, cogging compensation, the sensorless observer), the live Hall state, electrical angle,
// encoder position and autophasing state, and the commissioning tools opened through the shell's
// window registry. The calibration tools call Frm_mot_feedback_refresh (context 0) after they
// changed feedback data in the drive; without the frame it does nothing.
#include <QString>

#include "pages/ParamPage.h"

class Canvas;
class ImageBox;

PARAM_PAGE_UNIT_DECL(mot_feedback)

// Feedback type (record offset 162): item index = value.
inline const char* const FeedbackTypeItemsIt[] = {"0 - Encoder Incr. senza Halls", "1 - Encoder Incr. con Halls",
                                                  "2 - Solo sonde Halls", "3 - Encoder SSI", "4 - Sensorless"};
inline const char* const FeedbackTypeItemsEn[] = {"0 -Incr. Encoder without Halls", "1 - Incr. Encoder with Halls",
                                                  "2 - Halls only", "3 - Encoder SSI", "4 - Sensorless"};
inline const char* const FeedbackTypeItemsFr[] = {"0 - Codeur Incr. sans Halls", "1 - Codeur Incr. avec Halls",
                                                  "2 - Halls seules", "3 - Codeur SSI", "4 - Sensorless"};
inline const ComboSpec FeedbackTypeCombo = {{FeedbackTypeItemsIt, FeedbackTypeItemsEn, FeedbackTypeItemsFr}, 5};

// Encoder input (bit 3 of offset 130): item index = bit.
inline const char* const EncoderInputItems[] = {"0 - Line driver/TTL", "1 - Open collector"};
inline const ComboSpec EncoderInputCombo = {{EncoderInputItems, EncoderInputItems, EncoderInputItems}, 2};

// Zero crossing of the observer (bit 0 of offset 232): item index = bit.
inline const char* const ZeroCrossItemsIt[] = {"[0] Stop/Start", "[1] Continuo"};
inline const char* const ZeroCrossItemsEn[] = {"[0] Stop/Start", "[1] Continuous"};
inline const char* const ZeroCrossItemsFr[] = {"[0] Stop/Start", "[1] Continue"};
inline const ComboSpec ZeroCrossCombo = {{ZeroCrossItemsIt, ZeroCrossItemsEn, ZeroCrossItemsFr}, 2};

// Sheet of PageControl_feedback_type per feedback type and layout of that type (ctx's record).
void Frm_mot_feedback_show_type(uint8_t ctx);
// The autophasing panel: hidden in context 1 and for a brushed DC motor; Reset enabled while
// list reads are on.
void Frm_mot_feedback_show_autophasing(uint8_t ctx);
// The read-back step of Timer_com.
void Frm_mot_feedback_read_back(ParamPage& page);
// "Home": the application offset of slot 0 takes the encoder position, shown and sent.
void Frm_mot_feedback_home_click();

// Validators of the bound edits (non-zero refuses). The bit counts are added in full width; a
// refusal starts Timer_chk, whose message follows 50 ms later.
uint8_t Frm_mot_feedback_check_pulses(Loc field, double candidate, uint16_t record, double max, double min);
uint8_t Frm_mot_feedback_check_single_turn(Loc field, double candidate, uint16_t record, double max, double min);
uint8_t Frm_mot_feedback_check_multi_turn(Loc field, double candidate, uint16_t record, double max, double min);

// ---- Hall display ----

// Hall index of the drive status word (bits 12 to 14).
uint8_t Frm_mot_feedback_hall_index();
// Redraws what changed of the Hall display of the context-0 frame: dials, index grids, labels.
void Frm_mot_feedback_update_halls();
// Paints one Hall picture: mode 1 the encoder-with-Halls dial (with the rotor at the electrical
// angle), mode 2 the Halls-only dial; highlight marks the sector of hall. All zero: blank dial.
void Frm_mot_feedback_paint_hall_image(ImageBox* image, uint8_t hall, uint16_t angle, uint16_t offset16, uint8_t mode,
                                       uint8_t highlight);
void Frm_mot_feedback_draw_hall_dial(Canvas& canvas, int width, int height, uint8_t hall, uint16_t angle,
                                     uint16_t offset16, uint8_t mode, uint8_t highlight);
// The rotor pointer: a triangle with its apex at radius r, turned by angle (radians).
void Frm_mot_feedback_draw_pointer(Canvas& canvas, int cx, int cy, int r, double angle);
// Text of a Hall index grid cell of ctx's frame: row 0 "C", "B", "A"; row 1 the index bits.
QString Frm_mot_feedback_hall_cell(uint8_t ctx, int row, int column);
// Sector of a Hall index (0 to 5), -1 for 0 and 7.
int Frm_mot_feedback_hall_sector(uint8_t hall);
// Pictures painted so far (test seam).
uint32_t Frm_mot_feedback_hall_paints();
