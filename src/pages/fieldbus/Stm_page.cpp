#include "pages/fieldbus/Stm_page.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"
#include "pages/fieldbus/Bus_page.h"

namespace {

constexpr uint16_t OFS_ERROR_CODE = 2002;  // 603Fh
constexpr int IMAGE_WIDTH = 358;
constexpr const char* IMAGE = "Image_block_control";
constexpr const char* STATE_NAME = "Panel_state_machine_dat";
constexpr const char* ERROR_DAT = "Panel_can_error_code_dat";
constexpr const char* ERROR_STR_TEXT[3] = {"Codice errore", "Error code", "code d'erreur"};

QString hex4(uint16_t v) { return Page_hex_text(v, 2); }

ImageBox* image_of(const StmUnit& u, uint8_t ctx) { return u.page().find<ImageBox>(ctx, IMAGE); }

void set(const StmUnit& u, uint8_t ctx, const char* name, const QString& text)
{
    Utxgraph_set_text(u.page().find<QWidget>(ctx, name), text);
}

// Grey diagram and "-----" in every value panel.
void show_silent(const StmUnit& u, uint8_t ctx)
{
    u.draw(image_of(u, ctx), 0, 0);
    const char* const names[] = {u.control_panel, u.status_panel, STATE_NAME, u.error_code ? ERROR_DAT : nullptr,
                                 nullptr};
    Bus_no_values(u.page().frame(ctx), names);
}

void show_error_code(const StmUnit& u)
{
    set(u, 0, ERROR_DAT, hex4(Rec_get<uint16_t>(DriveRecordBank[0], OFS_ERROR_CODE)));
}

}  // namespace

void Stm_build(const StmUnit& u, ParamPage& page, uint8_t ctx, QVBoxLayout* layout)
{
    QWidget* box = page.find<QGroupBox>(ctx, page.spec().group_box);
    auto* image = new ImageBox(box);
    image->setObjectName(QString::fromLatin1(IMAGE));
    image->setFixedSize(IMAGE_WIDTH, u.image_height);
    image->set_image_size(IMAGE_WIDTH, u.image_height);
    layout->addWidget(image);
    Bus_value_row(box, layout, "Panel_state_machine_str", STATE_NAME, 200);
    Bus_value_row(box, layout, "Panel_prf_nome_control_word", u.control_panel, 80);
    Bus_value_row(box, layout, "Panel_prf_nome_status_word", u.status_panel, 80);
    set(u, ctx, "Panel_prf_nome_control_word", QStringLiteral("Control Word[Hex]"));
    set(u, ctx, "Panel_prf_nome_status_word", QStringLiteral("Status Word[Hex]"));
    if (u.error_code)
        Bus_value_row(box, layout, "Panel_can_error_code_str", ERROR_DAT, 80);
}

void Stm_refresh(const StmUnit& u, ParamPage& page, uint8_t ctx)
{
    const Drive_status ds = Drive_status_get();
    *u.status_copy = static_cast<uint16_t>(~ds.bus_status);  // the next tick redraws
    if (ctx == 1) {
        show_silent(u, 1);
    } else {
        set(u, 0, u.control_panel, hex4(ds.bus_second));
        set(u, 0, u.status_panel, hex4(ds.bus_status));
        if (u.error_code)
            show_error_code(u);
        *u.control_copy = static_cast<uint16_t>(~ds.bus_second);
        if (!(Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Answers))
            u.draw(image_of(u, 0), 0, 0);
        *u.live = true;
    }
    page.step_timer(ctx);
}

void Stm_set_language(const StmUnit& u, ParamPage& page, uint8_t ctx)
{
    const unsigned l = Lang_index();
    set(u, ctx, "Panel_state_machine_str", QString::fromUtf8(STM_TITLE[l]));
    if (u.error_code)
        set(u, ctx, "Panel_can_error_code_str", QStringLiteral("[603Fh,0] ") + QString::fromUtf8(ERROR_STR_TEXT[l]));
    // The diagram and the state name follow the language.
    if (ctx == 0)
        *u.status_copy = static_cast<uint16_t>(~Drive_status_get().bus_status);
    else if (page.frame(1) != nullptr)
        u.draw(image_of(u, 1), 0, 0);
}

void Stm_update(const StmUnit& u)
{
    const Drive_status ds = Drive_status_get();
    if (!Bus_link_up()) {
        if (*u.live) {
            *u.live = false;
            show_silent(u, 0);
            // Everything is shown again when the drive answers again.
            *u.status_copy = static_cast<uint16_t>(~ds.bus_status);
            *u.control_copy = static_cast<uint16_t>(~ds.bus_second);
        }
        return;
    }
    const bool was_live = *u.live;
    *u.live = true;
    if (ds.bus_status != *u.status_copy) {
        *u.status_copy = ds.bus_status;
        const uint16_t state = u.decode(ds.bus_status);
        u.draw(image_of(u, 0), state, 1);
        set(u, 0, u.status_panel, hex4(ds.bus_status));
        set(u, 0, STATE_NAME, QString::fromUtf8(u.name(state)));
    }
    Utxgraph_update_hex(u.control_copy, &ds.bus_second, u.page().find<QWidget>(0, u.control_panel), 2);
    if (!u.error_code)
        return;
    if (!was_live)
        show_error_code(u);
    if (u.page().polled(OFS_ERROR_CODE))
        Utxgraph_update_hex(RecLoc(OFS_ERROR_CODE), Loc{Area::ReadBack, OFS_ERROR_CODE},
                            u.page().find<QWidget>(0, ERROR_DAT), 2);
}
