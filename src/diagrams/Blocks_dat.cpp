#include "diagrams/Blocks_dat.h"

#include "diagrams/Block_pictures.h"
#include "diagrams/Blockx_draw.h"

namespace {

using Text = const char* const[3];
constexpr Text AUX_SPEED = {"Velocità Aux", "Aux Speed", "Vitesse Aux"};
constexpr Text MAIN_SPEED = {"Velocità Princ.", "Main Speed", "Vitesse Princ."};
constexpr Text TORQUE = {"Coppia", "Torque", "Couple"};
constexpr Text RAMPS = {"Rampe", "Ramps", "Rampes"};
constexpr Text LIMIT = {"Limite", "Limit", "Limite"};
constexpr Text VELOCITY = {"Velocità", "Velocity", "Vitesse"};
constexpr Text CURRENT = {"Corrente", "Current", "Courant"};
constexpr Text FILTER = {"Filtro", "Filter", "Filtre"};
constexpr Text NOTCH = {"Notch", "Notch", "Notch"};
constexpr Text IQ_FILTER = {"Filtro Iq", "Iq Filter", "Filtre Iq"};
constexpr Text POWER = {"Potenza", "Power", "Puissance"};
constexpr Text MOTOR = {"Motore", "Motor", "Moteur"};
constexpr Text POSITIONER = {"Posizionatore", "Position", "Positionneur"};
constexpr Text GEAR_BOX = {"Asse Elettrico", "GearBox Mode", "Axe Électrique"};
constexpr Text CAM = {"Camma Elettronica", "Eletronic Cam", "Eletronic Cam"};
constexpr Text REGULATOR = {"Regolatore", "Regulator", "Régulateur"};
constexpr Text POSITION = {"Posizione", "Position", "Position"};

constexpr int LABEL_WIDTH = 15;
constexpr char AUX_LABELS[9][LABEL_WIDTH] = {"Analogica",  "Interna",    "Limite Coppia", "Analog",       "Inside",
                                             "Torque Limit", "Analogique", "Intérieure",    "Limite Couple"};
constexpr char MAIN_LABELS[9][LABEL_WIDTH] = {"Analogica", "Interna",    "Frequenza",  "Analog",   "Inside",
                                              "Frequency", "Analogique", "Intérieure", "Fréquence"};
constexpr char TORQUE_LABELS[6][LABEL_WIDTH] = {"Analogica", "Interna", "Analog", "Inside", "Analogique", "Intérieure"};

// Regulator charts, 24 points each: x values, curve 1 (red), curve 2 (blue).
constexpr double SPEED_X[24] = {0, 1, 2, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 18, 19, 20, 21, 22, 23};
constexpr double SPEED_C1[24] = {0,   0,  0,  0,  30, 60,  90,  120, 125, 120, 100, 95,
                                 85, 95, 103, 108, 103, 96, 98, 103, 101, 100, 100, 100};
constexpr double SPEED_C2[24] = {0,   0,   0,   100, 100, 100, 100, 100, 100, 100, 100, 100,
                                 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100};
constexpr double CURRENT_X[24] = {0, 1, 2, 3, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 18, 19, 20, 21, 22, 23};
constexpr double CURRENT_C1[24] = {0,  -2, 4,  -3, -3, 40, 90, 110, 95, 105, 94, 106,
                                   95, 80, 40, -10, 5, -6, 8,  -3,  4,  -3,  7,  0};
constexpr double CURRENT_C2[24] = {0,   0,   0,   0, 100, 100, 100, 100, 100, 100, 100, 100,
                                   100, 0,   0,   0, 0,   0,   0,   0,   0,   0,   0,   0};
constexpr double POSITION_X[24] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 18, 19, 20, 21, 22, 23, 24};
constexpr double POSITION_C1[24] = {0,  0,  15, 24, 35, 43, 55, 65, 72, 85, 96, 88,
                                    92, 90, 87, 77, 66, 56, 45, 34, 26, 15, 5,  0};
constexpr double POSITION_C2[24] = {0,  10, 20, 30, 40, 50, 60, 70, 80, 90, 90, 90,
                                    90, 90, 80, 70, 60, 50, 40, 30, 20, 10, 0,  0};
constexpr uint16_t CHART_POINTS = 24;

constexpr uint32_t FRAME = 0xF0C002;
constexpr uint32_t PICTURE = 0xEFFEE2;

constexpr BlockRec selector(uint16_t id, BlockText caption, const char* labels, uint16_t count, int32_t field,
                            BlockGetFn get, BlockSetFn set, int16_t w, int16_t h)
{
    return {.kind = BlockKind::Selector, .id = id, .text = {caption}, .labels = labels, .label_width = LABEL_WIDTH,
            .label_count = count, .step_count = count, .field = field, .value_type = 2, .clickable = 1,
            .get = get, .set = set, .w = w, .h = h};
}

template <std::size_t N>
constexpr BlockRec picture(uint16_t id, BlockText line1, BlockText line2, const uint8_t (&bmp)[N], int16_t w,
                           int16_t h, uint8_t clickable = 1)
{
    return {.kind = BlockKind::Picture, .id = id, .text = {line1, line2}, .data = {bmp}, .picture_size = N,
            .frame_colour = FRAME, .picture_colour = PICTURE, .clickable = clickable, .w = w, .h = h};
}

constexpr BlockRec regulator(uint16_t id, BlockText line2, const double* x, const double* c1, const double* c2)
{
    return {.kind = BlockKind::Regulator, .id = id, .text = {REGULATOR, line2}, .data = {x, c1, c2},
            .step_count = CHART_POINTS, .clickable = 1, .w = 90, .h = 70};
}

// Signs at the upper left, upper right and lower right.
constexpr BlockRec sum(uint16_t id, BlockText upper_left, BlockText upper_right, BlockText lower_right)
{
    return {.kind = BlockKind::Sum, .id = id, .text = {upper_left, upper_right, lower_right}, .w = 18, .h = 18};
}
constexpr BlockText PLUS = BlockSigns[0];
constexpr BlockText MINUS = BlockSigns[1];

}  // namespace

BlockRec Block_aux_speed = selector(1, AUX_SPEED, &AUX_LABELS[0][0], 3, BlockSwitch::AuxType, Blockx_value_get,
                                    Blockx_value_set, 110, 90);
BlockRec Block_main_speed = selector(0, MAIN_SPEED, &MAIN_LABELS[0][0], 3, BlockSwitch::MainType, Blockx_value_get,
                                     Blockx_value_set, 110, 100);
BlockRec Block_torque = selector(15, TORQUE, &TORQUE_LABELS[0][0], 2, BlockSwitch::TorqueFlags, Blockx_bit_get,
                                 Blockx_bit_set, 100, 70);
BlockRec Block_ramps = picture(9, RAMPS, nullptr, BlockPicture_ramps, 75, 75);
BlockRec Block_speed_limit = picture(9, LIMIT, VELOCITY, BlockPicture_limit, 75, 75);
BlockRec Block_current_limit = picture(9, LIMIT, CURRENT, BlockPicture_limit, 75, 75);
BlockRec Block_notch = picture(9, FILTER, NOTCH, BlockPicture_notch, 75, 75);
BlockRec Block_iq_filter = picture(9, IQ_FILTER, nullptr, BlockPicture_iq_filter, 75, 75);
BlockRec Block_power = picture(4, POWER, nullptr, BlockPicture_power, 90, 90);
BlockRec Block_motor = picture(5, MOTOR, nullptr, BlockPicture_motor, 90, 90);
BlockRec Block_speed_feedback = picture(13, nullptr, nullptr, BlockPicture_speed_feedback, 70, 55, 0);
BlockRec Block_positioner = picture(10, POSITIONER, nullptr, BlockPicture_positioner, 125, 110);
BlockRec Block_gear_box = picture(14, GEAR_BOX, nullptr, BlockPicture_gear_box, 125, 110);
BlockRec Block_cam = picture(16, CAM, nullptr, BlockPicture_cam, 130, 130);
BlockRec Block_speed_regulator = regulator(2, VELOCITY, SPEED_X, SPEED_C1, SPEED_C2);
BlockRec Block_current_regulator = regulator(3, CURRENT, CURRENT_X, CURRENT_C1, CURRENT_C2);
BlockRec Block_position_regulator = regulator(12, POSITION, POSITION_X, POSITION_C1, POSITION_C2);
BlockRec Block_sum_aux = sum(6, nullptr, PLUS, PLUS);
BlockRec Block_sum_speed = sum(7, PLUS, nullptr, MINUS);
BlockRec Block_sum_current = sum(8, PLUS, nullptr, MINUS);
BlockRec Block_sum_position = sum(11, PLUS, nullptr, MINUS);

BlockRec* const BlockRecords[21] = {
    &Block_aux_speed,       &Block_main_speed,        &Block_torque,       &Block_ramps,
    &Block_speed_limit,     &Block_current_limit,     &Block_notch,        &Block_iq_filter,
    &Block_power,           &Block_motor,             &Block_speed_feedback, &Block_positioner,
    &Block_gear_box,        &Block_cam,               &Block_speed_regulator, &Block_current_regulator,
    &Block_position_regulator, &Block_sum_aux,        &Block_sum_speed,    &Block_sum_current,
    &Block_sum_position,
};

BlockRec* Blocks_speed[BLOCKS_SPEED] = {};
BlockRec* Blocks_torque[BLOCKS_TORQUE] = {};
BlockRec* Blocks_gear_box[BLOCKS_GEAR_BOX] = {};
BlockRec* Blocks_position[BLOCKS_POSITION] = {};
