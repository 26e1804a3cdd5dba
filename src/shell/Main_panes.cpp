// Main window status bar: the pane table, the five panes the main window paints itself (link with
// baud rate, drive condition, DC bus, firmware version, auto-save marker) and the drive state index
// that the state panes of every open bar show.
#include "drivedata/Globvar.h"
#include "link/Flash_progress.h"
#include "link/Scope_link.h"
#include "link/Seriale_port.h"
#include "shell/Allarmi.h"
#include "shell/Main.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Stbar.h"
#include "shell/Stbarcmx.h"

namespace {

bool link_running() { return Ser_tx_state.load() == LinkState::Run; }
bool normal_mode() { return Ser_link_mode.load() == LinkMode::Normal; }

// Link running, drive answering, link ready.
bool link_ok(uint8_t lf) { return link_running() && (lf & LinkFlag::Answers) && (lf & LinkFlag::Ready); }

QString version_text(uint16_t major_minor)
{
    return QString::number(major_minor >> 8) + "." + QString::number(major_minor & 0xFF).rightJustified(2, '0');
}

QString boot_text() { return QStringLiteral("BootLoader Control ") + version_text(DriveBootVersion.load()); }

// Content area of pane `index`, null when the pane is missing.
const StbarPane* pane_of(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    return picture && panes ? panes[index] : nullptr;
}

// Left-aligned text over the content area and the indicator box.
void text_and_box(ImageBox* picture, const StbarPane& pane, bool bold, const QColor& colour, const QString& text,
                  const QColor& box)
{
    const DrawRect r = Stbarcmx_content(pane);
    Canvas& c = Stbarcmx_begin(picture);
    Stbarcmx_font(c, bold, colour);
    Graph_draw_text_rect(c, r, AlignLeft, text);
    Stbarcmx_indicator(c, r, box);
    Stbarcmx_done(picture, r);
}

// ---- pane 0: serial link and baud rate ----
void paint_link(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    const StbarPane* pane = pane_of(picture, panes, index);
    if (!pane)
        return;
    const DrawRect r = Stbarcmx_content(*pane);
    Canvas& c = Stbarcmx_begin(picture);
    const uint8_t lf = Ser_link_flags.load();
    if (!link_running()) {
        Stbarcmx_font(c, false, clBlack);
        Graph_draw_text_rect(c, r, AlignLeft, "COM - OFF");
        Stbarcmx_indicator(c, r, clBtnFace);
        Stbarcmx_done(picture, r);
        return;
    }
    const bool answers = lf & LinkFlag::Answers;
    const bool blink_on = lf & LinkUiFlag::ErrorBlink;
    QString text;
    uint32_t baud = 0;
    QColor box;
    if (answers) {
        Stbarcmx_font(c, true, clBlack);
        text = "COM - OK";
        baud = Ser_baud.load();
        box = clLime;
    } else {
        Stbarcmx_font(c, true, clRed);
        text = blink_on ? "COM - ER" : "";
        baud = SettingsBlock.baud;
        box = blink_on ? clRed : clBtnFace;
    }
    const int baud_left = r.left + c.text_width(answers ? text : QStringLiteral("COM - ER")) + 5;
    Graph_draw_text_rect(c, r, AlignLeft, text);
    Stbarcmx_font(c, false, clNavy);
    Graph_draw_text_rect(c, {baud_left, r.top, r.right, r.bottom}, AlignLeft, "[" + QString::number(baud) + "]");
    Stbarcmx_indicator(c, r, box);
    Stbarcmx_done(picture, r);
}

// ---- pane 1: drive condition ----
void paint_drive_normal(ImageBox* picture, const StbarPane& pane)
{
    const uint8_t lf = Ser_link_flags.load();
    const Drive_status st = Drive_status_get();
    const bool boot = st.status_word & StatusBit::Boot;
    if (!link_ok(lf)) {
        if ((lf & LinkFlag::Answers) && boot)
            text_and_box(picture, pane, true, clBlue, boot_text(), clLime);
        else
            text_and_box(picture, pane, false, clBlack, QString(), clBtnFace);
        return;
    }
    if (st.alarm_word != 0) {
        if (!(lf & LinkUiFlag::AlarmBlink)) {
            text_and_box(picture, pane, true, clRed, QString(), clBtnFace);
            return;
        }
        const uint8_t first = Main_first_alarm_of(st.alarm_word);
        const bool alarm = first & 0x80;
        const unsigned bit = first & 0x3F;
        const QString text = QString(alarm ? " AL - " : " WR - ") + QString::fromUtf8(AlarmTexts[bit][Lang_index()]) +
                             " [" + QString::number(bit + 1) + "]";
        text_and_box(picture, pane, true, clRed, text, alarm ? clRed : clYellow);
        return;
    }
    if (boot)
        text_and_box(picture, pane, true, clBlue, boot_text(), clLime);
    else
        text_and_box(picture, pane, true, clBlack, "Drive-OK", clLime);
}

void paint_drive_flash(ImageBox* picture, const StbarPane& pane)
{
    const DrawRect r = Stbarcmx_content(pane);
    Canvas& c = Stbarcmx_begin(picture);
    if (!link_running() || !(Ser_link_flags.load() & LinkFlag::Answers)) {
        Stbarcmx_font(c, false, clBlack);
        Graph_draw_text_rect(c, r, AlignCentre, "- - - - - - -");
    } else {
        const FlashProgressRec p = Flash_progress_get();
        if (p.maximum != 0 || p.position != 0)
            Graph_draw_progress_bar(c, r, bgr(p.bar_colour), p.maximum, p.position, 9);
        else
            Graph_draw_progress_bar(c, r, bgr(p.bar_colour), 100, 0, 9);
    }
    Stbarcmx_done(picture, r);
}

void paint_drive(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    const StbarPane* pane = pane_of(picture, panes, index);
    if (!pane)
        return;
    if (normal_mode())
        paint_drive_normal(picture, *pane);
    else
        paint_drive_flash(picture, *pane);
}

// ---- pane 3: DC bus ----
void paint_dc_bus(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    const StbarPane* pane = pane_of(picture, panes, index);
    if (!pane)
        return;
    const DrawRect content = Stbarcmx_content(*pane);
    const DrawRect r{content.left, content.top, content.right - 2, content.bottom};
    Canvas& c = Stbarcmx_begin(picture);
    Stbarcmx_font(c, false, clBlack);
    const QString label = "DC-Bus";
    Graph_draw_text_rect(c, r, AlignLeft, label);
    const int value_left = r.left + c.text_width(label) + 1;
    const uint8_t lf = Ser_link_flags.load();
    if (link_ok(lf) && normal_mode()) {
        const int unit_left = r.right - (c.text_width("V") + 4);
        Stbarcmx_font(c, true, clBlue);
        Graph_draw_text_rect(c, {value_left, r.top, unit_left, r.bottom}, AlignRight,
                             QString::number(Drive_status_get().voltage));
        Stbarcmx_font(c, false, clBlack);
        Graph_draw_text_rect(c, {unit_left, r.top, r.right, r.bottom}, AlignCentre, "V");
    } else {
        Graph_draw_text_rect(c, {value_left, r.top, r.right, r.bottom}, AlignRight, "-----");
    }
    Stbarcmx_done(picture, content);
}

// ---- pane 4: firmware version ----
QString file_kind_tag()
{
    if (DriveDeviceId.load() != DRIVE_TYPE_ORVEL)
        return "[cdx]";
    return (Drive_ident_get().flags & IdentFlag::BootCondition) ? "[cdx]" : "[mot]";
}

void paint_firmware(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    const StbarPane* pane = pane_of(picture, panes, index);
    if (!pane)
        return;
    const DrawRect r = Stbarcmx_content(*pane);
    Canvas& c = Stbarcmx_begin(picture);
    Stbarcmx_font(c, false, clBlack);
    const QString label = "Fir.: ";
    Graph_draw_text_rect(c, r, AlignLeft, QString());
    Graph_draw_text_rect(c, {r.left + 2, r.top, r.right, r.bottom}, AlignLeft, label);
    DrawRect value{r.left + 2 + c.text_width(label) + 2, r.top, r.right, r.bottom};
    const bool shown = link_running() && (Ser_link_flags.load() & LinkFlag::Answers) && normal_mode();
    if (!shown) {
        Stbarcmx_font(c, false, clGray);
        Graph_draw_text_rect(c, value, AlignCentre, "--.--");
        Stbarcmx_done(picture, r);
        return;
    }
    if (!(Drive_status_word() & StatusBit::Boot)) {
        Stbarcmx_font(c, true, clMaroon);
        const QString tag = file_kind_tag();
        const int box_left = r.right - (c.text_width(tag) + 2);
        Graph_draw_text_rect(c, {box_left, r.top, r.right, r.bottom}, AlignCentre, tag);
        value.right = box_left;
    }
    value.right -= 2;
    Stbarcmx_font(c, true, clNavy);
    Graph_draw_text_rect(c, value, AlignRight, version_text(DriveFwVersion.load()));
    Stbarcmx_done(picture, r);
}

// ---- pane 5: auto-save marker ----
void paint_auto_save(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    const StbarPane* pane = pane_of(picture, panes, index);
    if (!pane)
        return;
    const DrawRect r = Stbarcmx_content(*pane);
    Canvas& c = Stbarcmx_begin(picture);
    const bool shown = link_running() && (Ser_link_flags.load() & LinkFlag::Answers) && normal_mode();
    if (!shown) {
        Stbarcmx_font(c, false, clGray);
        Graph_draw_text_rect(c, r, AlignCentre, "-");
    } else if (Settings_auto_save()) {
        Stbarcmx_font(c, true, clNavy);
        Graph_draw_button(c, r, clBtnFace, 1, 1, 0, AlignCentre, "A");
    } else if (DriveUiFlags.load() & UiFlag::Modified) {
        Stbarcmx_font(c, true, clRed);
        Graph_draw_button(c, r, clBtnFace, 1, 1, 0, AlignCentre, "S");
    } else {
        Stbarcmx_font(c, false, clGray);
        Graph_draw_text_rect(c, r, AlignCentre, "S");
    }
    Stbarcmx_done(picture, r);
}

StbarPane PaneLink{0, 0, 0, 150, paint_link, 0};
StbarPane PaneDrive{0, 0, 0, 220, paint_drive, 0};
StbarPane PaneState{0, 0, 0, 85, Stbarcmx_paint_state, 0};
StbarPane PaneDcBus{0, 0, 0, 100, paint_dc_bus, 0};
StbarPane PaneFirmware{0, 0, 0, 105, paint_firmware, 0};
StbarPane PaneAutoSave{0, 0, 0, 20, paint_auto_save, 0};

}  // namespace

StbarPane* const MainStbPanes[] = {&PaneLink, &PaneDrive, &PaneState, &PaneDcBus, &PaneFirmware, &PaneAutoSave,
                                   nullptr};

// ---- drive state index ----

namespace {

// Panes of other windows' bars that show the drive state.
struct OtherBarPane {
    TForm_main::OtherBar bar;
    uint16_t pane;
};
constexpr OtherBarPane DriveStatePanes[] = {
    {TForm_main::BarPosQuoteTest, 2},
    {TForm_main::BarOscx, 4},
    {TForm_main::BarOscxPid, 2},
};

uint8_t drive_state_of(uint8_t link_flags, uint8_t data_flags, uint16_t status_word)
{
    const bool ready = (link_flags & LinkFlag::Answers) && (link_flags & LinkFlag::Ready) &&
                       (data_flags & DataFlag::ListReads);
    if (!ready)
        return 0;
    if (!(status_word & StatusBit::State5))
        return 2;
    return (status_word & StatusBit::State6) ? 4 : 3;
}

}  // namespace

void TForm_main::UpdateDriveStateIndex()
{
    const uint8_t index = drive_state_of(Ser_link_flags.load(), Ser_data_flags.load(), Drive_status_word());
    if (index == DriveStateIndex)
        return;
    DriveStateIndex = index;
    Stbarx_repaint_pane(MainStb, MAIN_PANE_STATE);
    for (const OtherBarPane& p : DriveStatePanes)
        if (Stbarx* bar = OtherStb[p.bar])
            Stbarx_repaint_pane(bar, p.pane);
    if (OtherStb[BarOscx] != nullptr)
        OscxDrawCmpStatus(1);
}

void TForm_main::OscxDrawCmpStatus(uint8_t active)
{
    Oscx_draw_cmp_status(active);
}
