#pragma once
// The state-machine frame both profile units share (CiA 402 and Modbus): the state diagram with
// the drive's state highlighted, the state's name and the bus control and status words; the
// CiA 402 page also shows its error code 603Fh. Nothing is edited or written.
#include "pages/ParamPage.h"
#include "pages/fieldbus/Bus_page.h"

class ImageBox;
class QVBoxLayout;

struct StmUnit {
    ParamPage& (*page)();
    const char* control_panel;  // Panel_can_control_word / Panel_mdb_control_word
    const char* status_panel;
    bool error_code;            // CiA 402: 603Fh at offset 2002, polled
    int image_height;           // 337 / 367 (width 358)
    uint16_t (*decode)(uint16_t status);
    void (*draw)(ImageBox* image, uint16_t state, uint8_t live);
    const char* (*name)(uint16_t state);  // in LanguageIndex
    uint16_t* status_copy;      // BusCtrlWord's status word: the last one shown
    uint16_t* control_copy;     // the page's own last control word shown
    bool* live;                 // shown-live flag
};

void Stm_build(const StmUnit& u, ParamPage& page, uint8_t ctx, QVBoxLayout* layout);
void Stm_refresh(const StmUnit& u, ParamPage& page, uint8_t ctx);
void Stm_set_language(const StmUnit& u, ParamPage& page, uint8_t ctx);
// The timer's display step.
void Stm_update(const StmUnit& u);

template <const StmUnit& U>
struct StmHooks {
    static void build(ParamPage& p, uint8_t ctx, QGroupBox*, QVBoxLayout* layout) { Stm_build(U, p, ctx, layout); }
    static void refresh(ParamPage& p, uint8_t ctx) { Stm_refresh(U, p, ctx); }
    static void language(ParamPage& p, uint8_t ctx) { Stm_set_language(U, p, ctx); }
    static void update(ParamPage&) { Stm_update(U); }
    static constexpr PageHooks hooks()
    {
        return PageHooks{.may_copy = Bus_copy_always,
                         .copy = update,
                         .build = build,
                         .set_language = language,
                         .own_access = true,
                         .refresh_steps = refresh};
    }
};

inline constexpr const char* STM_TITLE[3] = {"Macchina Stati", "State Machine", "State Machine"};
