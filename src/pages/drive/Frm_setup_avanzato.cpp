#include "pages/drive/Frm_setup_avanzato.h"

#include <cstring>

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/Utxgraph.h"
#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"

namespace {

constexpr int TIMER_MS = 300;
const char* const NO_CLASS = "?????";
const char* const VOLTS_FIRST[] = {"60 V"};
const char* const VOLTS_SECOND[] = {"230 V", "460 V"};
const char* const VERSION_WORD[3] = {"Versione", "Version", "Version"};

const PageCaption CAPTIONS[] = {
    {"Panel_taglia_drive", {"Taglia Drive", "Drive Size", "Taille Variateur"}},
    {"Panel_taglia_tensione", {"Taglia tensione", "Voltage size", "Taille tension"}},
    {"Panel_software_drive", {"Software Drive", "Software Drive", "Logiciel Variateur"}},
};
const char* const VALUE_PANELS[] = {"Panel_nome_taglia_corrente", "Panel_nome_taglia_tensione", "Panel_VerSF"};

uint8_t shown = 0;  // 1 while the connected drive's values are on display

ParamPage& page() { return Frm_setup_avanzato_page(); }
void set(uint8_t ctx, const char* panel, const QString& text) { Utxgraph_set_text(page().find<QWidget>(ctx, panel), text); }
bool link_flag(uint8_t flag) { return (Ser_link_flags.load(std::memory_order_acquire) & flag) != 0; }

QString version_text()
{
    return QString::fromUtf8(VERSION_WORD[Lang_index()]) + ' ' +
           QString::fromStdString(Drive_ident_version(Drive_ident_get()));
}

void show_record(uint8_t ctx)
{
    set(ctx, VALUE_PANELS[0], Frm_setup_avanzato_size_text(ctx));
    set(ctx, VALUE_PANELS[1], Frm_setup_avanzato_class_text(ctx));
}

// Context 0: only while the drive answers. Context 1: the connected drive's version, or "-----".
void show_version(uint8_t ctx)
{
    const bool answers = link_flag(LinkFlag::Answers);
    if (ctx == 0 && !answers)
        return;
    set(ctx, VALUE_PANELS[2], answers ? version_text() : QString::fromLatin1(PAGE_NO_VALUE));
}

void Timer_monitor_serialeTimer()
{
    if (page().frame(0) == nullptr)
        return;
    if (link_flag(LinkFlag::Ready)) {
        if (shown == 0) {
            show_record(0);
            set(0, VALUE_PANELS[2], version_text());
            shown = 1;
        }
    } else if (shown == 1) {
        shown = 0;
        for (const char* panel : VALUE_PANELS)
            set(0, panel, QString::fromLatin1(PAGE_NO_VALUE));
    }
}

void build(ParamPage& p, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout)
{
    for (std::size_t i = 0; i < std::size(CAPTIONS); ++i) {
        FlowPanel* panel = Page_flow(box, layout, CAPTIONS[i].control, CAPTIONS[i].text[0]);
        panel->addRightToLeft(Page_label(panel, nullptr, VALUE_PANELS[i]));
    }
    Page_frame_timer(p.frame(ctx), "Timer_monitor_seriale", TIMER_MS, Timer_monitor_serialeTimer);
}

void create_steps(ParamPage& p, uint8_t ctx)
{
    shown = 1;
    p.refresh(ctx);
    p.set_language(ctx);
    if (ctx == 0)
        p.set_access(0);
}

void refresh_steps(ParamPage&, uint8_t ctx) { show_record(ctx); }

void language_steps(ParamPage& p, uint8_t ctx)
{
    p.step_title(ctx);
    Page_set_captions(p.frame(ctx), CAPTIONS, std::size(CAPTIONS));
    show_version(ctx);
}

const PageHooks HOOKS = {.build = build,
                         .own_access = true,
                         .create_steps = create_steps,
                         .refresh_steps = refresh_steps,
                         .language_steps = language_steps,
                         .no_timer = true};

const PageSpec SPEC = {
    "TFrame_setup_avanzato", "GroupBox_setup_avanzato",
    {"Setup Avanzato", "Advanced Setup", "Configuration Avancée"},
    nullptr, 0, nullptr, 0, HOOKS,
};

}  // namespace

PARAM_PAGE_UNIT(setup_avanzato, SPEC)

QString Frm_setup_avanzato_size_text(uint8_t slot)
{
    const DriveSizeTable& t = CurrentSizeTable;
    const uint8_t index = DriveRecordBank[slot & 1].b[RecOfs::SizeIndex];
    if (t.src == nullptr || index >= t.count)
        return QString::fromLatin1(PAGE_NO_VALUE);
    const char* name = t.src[index].name;
    return QString::fromUtf8(name, static_cast<qsizetype>(strnlen(name, sizeof t.src[index].name))) + ' ';
}

QString Frm_setup_avanzato_class_text(uint8_t slot)
{
    const char* name = Frm_voltage_class_name(Rec_get<uint16_t>(DriveRecordBank[slot & 1], RecOfs::VoltageClass) & 3);
    return QString::fromLatin1(name != nullptr ? name : NO_CLASS);
}

const char* Frm_voltage_class_name(uint16_t vclass)
{
    const bool second = PagesHost.second_family != nullptr && PagesHost.second_family();
    if (second)
        return vclass < std::size(VOLTS_SECOND) ? VOLTS_SECOND[vclass] : nullptr;
    return vclass < std::size(VOLTS_FIRST) ? VOLTS_FIRST[vclass] : nullptr;
}
