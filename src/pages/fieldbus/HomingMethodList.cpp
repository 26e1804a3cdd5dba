#include "pages/fieldbus/HomingMethodList.h"

#include "drivedata/Utx.h"

namespace {

constexpr const char* ROWS_IT[HOMING_METHOD_ROWS] = {
    "0-Niente",
    "1-Fine Corsa CCW (t.z.)",
    "2-Fine Corsa CW (t.z.)",
    "3-Sensore Home (t.z.)",
    "4-Sensore Home (t.z.)",
    "5-Sensore Home (t.z.)",
    "6-Sensore Home (t.z.)",
    "7-Sensore Home (t.z.)",
    "8-Sensore Home (t.z.)",
    "9-Sensore Home (t.z.)",
    "10-Sensore Home (t.z.)",
    "11-Sensore Home (t.z.)",
    "12-Sensore Home (t.z.)",
    "13-Sensore Home (t.z.)",
    "14-Sensore Home (t.z.)",
    "17-Fine Corsa CCW",
    "18-Fine Corsa CW",
    "19-Sensore Home",
    "20-Sensore Home",
    "21-Sensore Home",
    "22-Sensore Home",
    "23-Sensore Home",
    "24-Sensore Home",
    "25-Sensore Home",
    "26-Sensore Home",
    "27-Sensore Home",
    "28-Sensore Home",
    "29-Sensore Home",
    "30-Sensore Home",
    "33-Tacca Zero CCW",
    "34-Tacca Zero CW",
    "35-Posizione Attuale",
};

constexpr const char* ROWS_EN[HOMING_METHOD_ROWS] = {
    "0-No Homing",
    "1-Switch CCW (i.p.)",
    "2-Switch CW (i.p.)",
    "3-Home Switch (i.p.)",
    "4-Home Switch (i.p.)",
    "5-Home Switch (i.p.)",
    "6-Home Switch (i.p.)",
    "7-Home Switch (i.p.)",
    "8-Home Switch (i.p.)",
    "9-Home Switch (i.p.)",
    "10-Home Switch (i.p.)",
    "11-Home Switch (i.p.)",
    "12-Home Switch (i.p.)",
    "13-Home Switch (i.p.)",
    "14-Home Switch (i.p.)",
    "17-Switch CCW",
    "18-Switch CW",
    "19-Home Switch",
    "20-Home Switch",
    "21-Home Switch",
    "22-Home Switch",
    "23-Home Switch",
    "24-Home Switch",
    "25-Home Switch",
    "26-Home Switch",
    "27-Home Switch",
    "28-Home Switch",
    "29-Home Switch",
    "30-Home Switch",
    "33-Index Pulse CCW",
    "34-Index Pulse CW",
    "35-Current Pos",
};

constexpr bool fits(const char* const (&rows)[HOMING_METHOD_ROWS])
{
    for (const char* r : rows) {
        int n = 0;
        while (r[n] != '\0')
            ++n;
        if (n >= HOMING_METHOD_TEXT)
            return false;
    }
    return true;
}
static_assert(fits(ROWS_IT) && fits(ROWS_EN));

}  // namespace

const char* const* const HomingMethodList[3] = {ROWS_IT, ROWS_EN, ROWS_EN};

const char* HomingMethodList_text(int language, int row)
{
    if (language < 0 || language > 2 || row < 0 || row >= HOMING_METHOD_ROWS)
        return nullptr;
    return HomingMethodList[language][row];
}

int HomingMethodList_row(int32_t method)
{
    if (method < 0 || method > HOMING_METHOD_MAX)
        return -1;
    return Utx_homing_method_to_index(static_cast<uint16_t>(method));
}
