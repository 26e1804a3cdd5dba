#include "pages/fieldbus/Frm_cands301.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include <cstring>

#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "link/Fieldbus_link.h"
#include "link/Serrx.h"
#include "pages/Page_controls.h"
#include "pages/fieldbus/Bus_page.h"

namespace {

constexpr uint32_t POLL_MS = 200;
constexpr std::size_t TEXT_LEN = 32;

// A polled u32 row: its caption and value panels, the object's variable.
struct IdentRow {
    const char* caption;
    const char* value;
    Loc var;
    bool archive_shown;  // context 1 shows the live value
};
const IdentRow ROWS[] = {
    {"Panel_can_device_type_srt", "Panel_can_device_type_dat", LiveLoc::DeviceType, true},
    {"Panel_can_vendor_ID_srt", "Panel_can_vendor_ID_dat", LiveLoc::VendorId, true},
    {"Panel_can_product_code_srt", "Panel_can_product_code_dat", LiveLoc::ProductCode, false},
    {"Panel_can_revision_number_srt", "Panel_can_revision_number_dat", LiveLoc::Revision, false},
};

// A received text (Ds301Identity_text) and the page's shown copy.
struct TextRow {
    const char* caption;
    const char* value;
    Loc var;
    char (&shown)[TEXT_LEN];
};
char shown_name[TEXT_LEN] = {};
char shown_version[TEXT_LEN] = {};
const TextRow TEXTS[] = {
    {"Panel_can_device_name_str", "Panel_can_device_name_dat", LiveLoc::DeviceName, shown_name},
    {"Panel_can_software_version", "Panel_can_software_version_dat", LiveLoc::SwVersion, shown_version},
};

#define POLL_ROW(loc) {loc.ofs, loc.ofs, false, 0, 0, loc.area}
const PollSpec POLL[] = {POLL_ROW(LiveLoc::DeviceType), POLL_ROW(LiveLoc::VendorId), POLL_ROW(LiveLoc::ProductCode),
                         POLL_ROW(LiveLoc::Revision)};
#undef POLL_ROW
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

ParamPage& page();

QLabel* label(uint8_t ctx, const char* name) { return page().find<QLabel>(ctx, name); }

uint32_t value_of(Loc var)
{
    uint32_t v = 0;
    if (const uint8_t* p = Loc_ptr_n(var, 4))
        std::memcpy(&v, p, 4);
    return v;
}

void build(ParamPage& p, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout)
{
    const IdentRow& type = ROWS[0];
    Bus_value_row(box, layout, type.caption, type.value, 120);
    for (const TextRow& t : TEXTS)
        Page_set_colour(Bus_value_row(box, layout, t.caption, t.value, 176), clBlue);
    for (std::size_t i = 1; i < std::size(ROWS); ++i)
        Bus_value_row(box, layout, ROWS[i].caption, ROWS[i].value, 120);
    QLabel* serial = Bus_value_row(box, layout, "Panel_can_serial_number_srt", "Panel_can_serial_number_dat", 120);
    serial->parentWidget()->hide();
    (void)p;
    (void)ctx;
}

void create_steps(ParamPage& p, uint8_t ctx)
{
    p.set_language(ctx);
    p.refresh(ctx);
    if (ctx == 0)
        p.set_access(Page_edit_state());
}

void refresh(ParamPage& p, uint8_t ctx)
{
    for (const IdentRow& r : ROWS)
        Utxgraph_set_text(label(ctx, r.value), ctx == 0 || r.archive_shown ? Page_hex_text(value_of(r.var), 4)
                                                                           : QString::fromLatin1(PAGE_NO_VALUE));
    for (const TextRow& t : TEXTS) {
        if (ctx == 0)
            std::memcpy(t.shown, Ds301Identity_text(t.var).c, TEXT_LEN);
        Utxgraph_set_text(label(ctx, t.value),
                          ctx == 0 ? Frm_cands301_drive_text(t.var) : QString::fromLatin1(PAGE_NO_VALUE));
    }
    p.step_timer(ctx);
}

void set_language(ParamPage&, uint8_t ctx)
{
    for (const IdentRow& r : ROWS)
        Utxgraph_set_caption(r.var, label(ctx, r.caption), ctx);
    for (const TextRow& t : TEXTS)
        Utxgraph_set_caption(t.var, label(ctx, t.caption), ctx);
}

void update_step(ParamPage& p)
{
    if (!Bus_link_up())
        return;
    for (const IdentRow& r : ROWS)
        if (p.polled(r.var))
            Utxgraph_update_hex(r.var, Loc_readback(r.var), label(0, r.value), 4);
    for (const TextRow& t : TEXTS) {
        const DriveText received = Ds301Identity_text(t.var);
        if (strncmp(received.c, t.shown, TEXT_LEN) == 0)
            continue;
        std::memcpy(t.shown, received.c, TEXT_LEN);
        Utxgraph_set_text(label(0, t.value), Frm_cands301_drive_text(t.var));
    }
}

// The two texts are asked for once per accepted list request.
void list_sent(ParamPage&)
{
    Sertx_read_info(4);
    Sertx_read_info(5);
}

const PageSpec SPEC = {"TFrame_CanDS301",
                       "GroupBox_DS301",
                       {"DS 301", "DS 301", "DS 301"},
                       nullptr,
                       0,
                       LISTS,
                       std::size(LISTS),
                       PageHooks{.poll_ms = POLL_MS,
                                 .may_copy = Bus_copy_always,
                                 .copy = update_step,
                                 .build = build,
                                 .set_language = set_language,
                                 .own_access = true,
                                 .create_steps = create_steps,
                                 .refresh_steps = refresh,
                                 .list_sent = list_sent}};

}  // namespace

PARAM_PAGE_UNIT(cands301, SPEC)

namespace {
ParamPage& page() { return Frm_cands301_page(); }
}  // namespace

void Frm_cands301_update() { update_step(page()); }

QString Frm_cands301_drive_text(Loc var)
{
    for (const TextRow& t : TEXTS)
        if (t.var == var)
            return Utxgraph_drive_text(Ds301Identity_text(var).c);
    return {};
}
