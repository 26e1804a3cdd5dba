#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "controls/FlowPanel.h"
#include "controls/Graph_draw.h"
#include "controls/MemoUpDwx.h"
#include "controls/Utxgraph.h"
#include "controls_fixture.h"

namespace {

constexpr Loc PAIR = SlotLoc(0, 124);     // Modbus register pair, CANopen 2043h
constexpr Loc VEL = SlotLoc(0, 2116);     // CANopen 6081h,0
constexpr Loc NOTCH = SlotLoc(0, 198);    // Modbus 0208h, CANopen 200Dh
constexpr Loc BUS_TYPE = SlotLoc(0, 110); // common dictionary
constexpr Loc MISSING = SlotLoc(0, 55);   // in no dictionary

constexpr uint16_t LINK = 0x1, STATUS5 = 0x2, STATUS6 = 0x4, REMOTE = 0x8;

std::string text_of(const char* buf) { return std::string(buf); }

class UtxgraphTest : public ControlsTest {
protected:
    // The pair entry as a fake register 0300h named "N" with unit "U" (linear "L").
    void fake_pair(EntryPatch& p)
    {
        p->index = 0x0300;
        p->flags = static_cast<uint16_t>((p->flags & ~BusFlag::PairMask) | (1u << BusFlag::PairShift));
        p->caption[0] = p->caption[1] = p->caption[2] = "N";
        p->unit = "U";
        p->unit_linear = "L";
    }
    static void set_level(EntryPatch& p, unsigned level)
    {
        p->flags = static_cast<uint16_t>((p->flags & ~BusFlag::LevelMask) | (level << BusFlag::LevelShift));
    }
    static QColor colour(const QWidget* w) { return w->palette().color(QPalette::WindowText); }
};

// ---- captions and tags ----

TEST_F(UtxgraphTest, CaptionsCarryTheAddressTagNameAndUnit)
{
    EntryPatch mdb(MdbDat, MDB_DAT_COUNT, PAIR);
    fake_pair(mdb);
    QLabel label;
    Utxgraph_set_caption(PAIR, &label, 0);
    EXPECT_EQ(label.text(), QStringLiteral("[0300h,0301h] N [U]"));

    set_motor_type(0, 1);
    Utxgraph_set_caption2(PAIR, &label, 0);
    EXPECT_EQ(label.text(), QStringLiteral("[0300h,0301h] N [L]"));
    mdb->unit_linear = nullptr;
    Utxgraph_set_caption(PAIR, &label, 0);
    EXPECT_EQ(label.text(), QStringLiteral("[0300h,0301h] N [U]"));

    set_bus_type(0, 0);  // I/O control: same dictionary, no tag
    Utxgraph_set_caption(PAIR, &label, 0);
    EXPECT_EQ(label.text(), QStringLiteral("N [U]"));

    set_bus_type(1, 2);
    EntryPatch can(CanDat, CAN_DAT_COUNT, VEL);
    can->caption[0] = can->caption[1] = can->caption[2] = "N";
    can->unit = nullptr;
    FlowPanel panel;
    Utxgraph_set_caption(SlotLoc(1, 2116), &panel, 1);
    EXPECT_EQ(panel.caption(), QStringLiteral("[6081h,0] N"));

    Utxgraph_set_caption_txt(SlotLoc(1, 2116), &panel, "Speed", "rpm", 1);
    EXPECT_EQ(panel.caption(), QStringLiteral("[6081h,0] Speed [rpm]"));
    Utxgraph_set_caption_txt3(SlotLoc(1, 2116), &panel, "Speed", nullptr, 1);
    EXPECT_EQ(panel.caption(), QStringLiteral("[6081h,0] Speed"));

    QLineEdit line;  // every kind of control takes the caption as its text
    Utxgraph_set_caption(SlotLoc(1, 2116), &line, 1);
    EXPECT_EQ(line.text(), QStringLiteral("[6081h,0] N"));

    Utxgraph_set_caption(MISSING, &label, 0);
    EXPECT_EQ(label.text(), QStringLiteral("N [U]"));
    const auto msgs = take_messages();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].text, "2 INDEX NOT EXIST!");
}

TEST_F(UtxgraphTest, EditCaptionUsesTheSameTag)
{
    EntryPatch mdb(MdbDat, MDB_DAT_COUNT, PAIR);
    fake_pair(mdb);
    FlowPanel panel(QStringLiteral("FlowPanel_passo_polare"), nullptr);
    panel.setCaption(QStringLiteral("designed"));
    MemoUpDwx<uint32_t> edit(&panel, PAIR, 0, 1000000, 1, 3);
    edit.set_language(0);
    EXPECT_EQ(panel.caption(), QStringLiteral("[0300h,0301h] N [U]"));
    set_bus_type(0, 3);  // no dictionary for this bus type: the caption stays
    edit.set_language(0);
    EXPECT_EQ(panel.caption(), QStringLiteral("[0300h,0301h] N [U]"));
    EXPECT_EQ(take_messages().size(), 1u);
}

TEST_F(UtxgraphTest, AddressTagFitsTheBufferOrStaysEmpty)
{
    EntryPatch mdb(MdbDat, MDB_DAT_COUNT, PAIR);
    fake_pair(mdb);
    const BusLookup r = Busx_find(1, PAIR);
    ASSERT_TRUE(r.found());
    char buf[30];
    std::memset(buf, 'x', sizeof buf);
    Utxgraph_address_tag(r.table, r.index, buf, sizeof buf, 0);
    EXPECT_EQ(text_of(buf), "[0300h,0301h] ");
    Utxgraph_address_tag(r.table, r.index, buf, 14, 0);  // 14 characters need 15 bytes
    EXPECT_EQ(text_of(buf), "");
    Utxgraph_address_tag(r.table, r.index, buf, 15, 0);
    EXPECT_EQ(text_of(buf), "[0300h,0301h] ");

    const BusLookup single = Busx_find(1, NOTCH);
    Utxgraph_address_tag(single.table, single.index, buf, sizeof buf, 0);
    EXPECT_EQ(text_of(buf), "[0208h] ");
    Utxgraph_address_tag(nullptr, -1, buf, sizeof buf, 0);
    EXPECT_EQ(text_of(buf), "");

    char text[80];
    EXPECT_EQ(Utxgraph_tag_text(PAIR, "Pos factor", text, sizeof text, 0), text);
    EXPECT_EQ(text_of(text), "[0300h,0301h] Pos factor");
    set_bus_type(1, 2);
    Utxgraph_tag_text(SlotLoc(1, 2116), "Velocity", text, sizeof text, 1);
    EXPECT_EQ(text_of(text), "[6081h] Velocity");
    Utxgraph_tag_text(SlotLoc(1, 2116), "Velocity", text, 16, 1);
    EXPECT_EQ(text_of(text), "");
    set_bus_type(1, 0);
    Utxgraph_tag_text(SlotLoc(1, 198), "Velocity", text, sizeof text, 1);
    EXPECT_EQ(text_of(text), "Velocity");
}

// ---- edit rule ----

TEST_F(UtxgraphTest, EditRuleReadsTheConnectedDrivesDictionary)
{
    EntryPatch notch(MdbDat, MDB_DAT_COUNT, NOTCH);
    set_level(notch, 1);
    EXPECT_EQ(Utxgraph_edit_rule(NOTCH, 0), EditDecision::LinkNotReady);
    EXPECT_EQ(Utxgraph_edit_rule(NOTCH, LINK | STATUS5), EditDecision::Editable);
    EXPECT_EQ(Utxgraph_edit_rule(NOTCH, LINK | STATUS5 | STATUS6), EditDecision::LevelLock);
    EXPECT_EQ(Utxgraph_is_editable(NOTCH, LINK | STATUS5), 1);
    EXPECT_EQ(Utxgraph_is_editable(NOTCH, LINK | STATUS5 | STATUS6), 0);
    set_level(notch, 2);
    EXPECT_EQ(Utxgraph_edit_rule(NOTCH, LINK | STATUS5), EditDecision::LevelLock);
    EXPECT_EQ(Utxgraph_edit_rule(NOTCH, LINK), EditDecision::Editable);

    DriveUiFlags = UiFlag::FieldBus;
    EXPECT_EQ(Utxgraph_edit_rule(NOTCH, LINK), EditDecision::FieldBusLock);
    EXPECT_EQ(Utxgraph_edit_rule(NOTCH, LINK | REMOTE), EditDecision::Editable);
    EXPECT_EQ(Utxgraph_edit_rule(BUS_TYPE, LINK), EditDecision::Editable);  // common entry: no bus lock

    // The archive's data set follows the connected drive's bus type for the rule.
    set_bus_type(1, 2);
    EXPECT_EQ(Utxgraph_edit_rule(SlotLoc(1, 198), LINK), EditDecision::FieldBusLock);

    EXPECT_EQ(Utxgraph_edit_rule(MISSING, LINK), EditDecision::NoEntry);
    EXPECT_EQ(Utxgraph_is_editable(MISSING, LINK), 0);
    const auto msgs = take_messages();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0].text, "get_bus_ob_flg: INDEX PAR Not EXIST!");
}

TEST_F(UtxgraphTest, AppliersMapTheRuleThroughTheirTables)
{
    EntryPatch notch(MdbDat, MDB_DAT_COUNT, NOTCH);
    set_level(notch, 1);
    QLabel panel;
    QCheckBox check;
    QPushButton button;
    QComboBox combo;
    QLabel combo_caption;
    QScrollBar bar;
    FlowPanel flow(QStringLiteral("FlowPanel_freq_notch"), nullptr);
    MemoUpDwx<uint16_t> edit(&flow, NOTCH, 0, 400, 2, 0);
    struct Case {
        uint16_t access;
        uint8_t ui;
        bool enabled;
        QColor caption;
    };
    const Case cases[] = {
        {0, 0, false, clInactiveCaption},                         // link not ready
        {LINK, UiFlag::FieldBus, false, clNavy},                  // field-bus lock
        {LINK | STATUS5 | STATUS6, 0, false, clBlack},            // level lock
        {LINK | STATUS5, 0, true, clBlack},                       // editable
    };
    for (const Case& c : cases) {
        DriveUiFlags = c.ui;
        const QColor text = c.enabled ? clWindowText : clInactiveCaption;
        EXPECT_EQ(Utxgraph_enable_panel(NOTCH, &panel, c.access), c.enabled);
        EXPECT_EQ(colour(&panel), text);
        EXPECT_EQ(Utxgraph_enable_check(NOTCH, &check, c.access), c.enabled);
        EXPECT_EQ(check.palette().color(QPalette::WindowText), text);
        EXPECT_EQ(Utxgraph_enable_button(NOTCH, &button, c.access), c.enabled);
        EXPECT_EQ(button.palette().color(QPalette::ButtonText), text);
        EXPECT_EQ(Utxgraph_enable_combo(NOTCH, &combo, &combo_caption, c.access), c.enabled);
        EXPECT_EQ(combo.palette().color(QPalette::Text), text);
        EXPECT_EQ(colour(&combo_caption), c.caption);
        EXPECT_EQ(Utxgraph_enable_scrollbar(NOTCH, &bar, c.access), c.enabled);
        EXPECT_EQ(bar.isEnabled(), c.enabled);
        EXPECT_EQ(panel.isEnabled(), c.enabled);
        EXPECT_EQ(combo.isEnabled(), c.enabled);
        edit.set_access(static_cast<uint8_t>(c.access));
        EXPECT_EQ(edit.memo()->isEnabled(), c.enabled);
        EXPECT_EQ(edit.updown()->isEnabled(), c.enabled);
        EXPECT_EQ(edit.memo()->palette().color(QPalette::Text), text);
        EXPECT_EQ(colour(flow.captionLabel()), c.caption);
    }
    // A field without an entry leaves every control as it is.
    EXPECT_TRUE(Utxgraph_enable_panel(MISSING, &panel, 0));
    EXPECT_TRUE(Utxgraph_enable_combo(MISSING, &combo, &combo_caption, 0));
    EXPECT_TRUE(Utxgraph_enable_scrollbar(MISSING, &bar, 0));
    EXPECT_EQ(colour(&combo_caption), clBlack);
    MemoUpDwx<uint8_t> orphan(&flow, MISSING, 0, 10, 0, 0);
    orphan.set_access(LINK);
    EXPECT_TRUE(orphan.memo()->isEnabled());
    EXPECT_EQ(take_messages().size(), 4u);
}

// ---- update functions ----

TEST_F(UtxgraphTest, UpdateCopiesAndShowsOnlyChanges)
{
    QLabel label;
    uint16_t stored = 0;
    uint16_t received = 0x00AB;
    Utxgraph_update_hex(&stored, &received, &label, 3);
    EXPECT_EQ(stored, 0);
    EXPECT_TRUE(label.text().isEmpty());
    Utxgraph_update_hex(&stored, &received, &label, 2);
    EXPECT_EQ(stored, 0x00AB);
    EXPECT_EQ(label.text(), QStringLiteral("00ABh"));
    label.setText(QStringLiteral("x"));
    Utxgraph_update_hex(&stored, &received, &label, 2);
    EXPECT_EQ(label.text(), QStringLiteral("x"));

    uint32_t s32 = 0, r32 = 0xFFFFFFFFu;
    Utxgraph_update_int(&s32, &r32, &label, 4);
    EXPECT_EQ(label.text(), QStringLiteral("-1"));
    s32 = 0;
    Utxgraph_update_uint(&s32, &r32, &label, 4);
    EXPECT_EQ(label.text(), QStringLiteral("4294967295"));
    s32 = 0;
    Utxgraph_update_hex(&s32, &r32, &label, 4);
    EXPECT_EQ(label.text(), QStringLiteral("FFFFFFFFh"));
    uint8_t s8 = 0, r8 = 0xFF;
    Utxgraph_update_int(&s8, &r8, &label, 1);
    EXPECT_EQ(label.text(), QStringLiteral("-1"));
    s8 = 0;
    Utxgraph_update_uint(&s8, &r8, nullptr, 1);  // no control: copied only
    EXPECT_EQ(s8, 0xFF);
    Utxgraph_update_uint(nullptr, &r8, &label, 1);

    const Loc code = SlotLoc(0, 2002);
    Rec_set<uint16_t>(DriveRecordBank[0], 2002, 1);
    Rec_set<uint16_t>(DriveReadBack, 2002, 0x8130);
    Utxgraph_update_hex(code, Loc_readback(code), &label, 2);
    EXPECT_EQ(label.text(), QStringLiteral("8130h"));
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 2002), 0x8130);
}

TEST_F(UtxgraphTest, PdoTypeShowsNumberAndClass)
{
    const struct {
        uint8_t language, type;
        const char* text;
    } cases[] = {{1, 254, "254 - (Async-Munfact)"}, {0, 0, "0 - (Aciclica-Sync)"}, {2, 1, "1 - (Cyclique-Sync)"},
                 {2, 245, "245 - ---"}};
    QLabel label;
    uint8_t stored = 0;
    for (const auto& c : cases) {
        LanguageIndex = c.language;
        uint8_t received = c.type;
        Utxgraph_update_pdo_type(&stored, &received, &label);
        EXPECT_EQ(label.text(), QString::fromUtf8(c.text));
        EXPECT_EQ(stored, c.type);
    }
}

TEST_F(UtxgraphTest, DriveTextEndsAtItsZeroOrAfterThirtyTwoCharacters)
{
    const struct {
        std::string bytes;  // the rest of the area is zero
        QString text;
    } cases[] = {{std::string(32, 'A'), QString(32, QLatin1Char('A'))},
                 {std::string("V1\0garbage", 10), QStringLiteral("V1")},
                 {std::string(31, 'B'), QString(31, QLatin1Char('B'))},
                 {"", QString()}};
    struct {
        char area[32];
        char after[4] = {'X', 'Y', 'Z', 0};  // beyond the area: never shown
    } drive{};
    for (const auto& c : cases) {
        std::memset(drive.area, 0, sizeof drive.area);
        std::memcpy(drive.area, c.bytes.data(), c.bytes.size());
        EXPECT_EQ(Utxgraph_drive_text(drive.area), c.text) << c.bytes;
    }
}

// ---- word bit table ----

int count_pixels(const QImage& img, const QRect& r, const QColor& c)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += img.pixelColor(x, y) == c ? 1 : 0;
    return n;
}

TEST_F(UtxgraphTest, WordBitsShowStateFacesAndGreyWhenTheDriveIsSilent)
{
    BitNameRow table[16] = {};
    std::strcpy(table[0].name[0], "Pronto");
    std::strcpy(table[0].name[1], "Ready");
    table[0].used = 1;
    table[1].used = 1;
    ImageBox box;
    box.resize(240, 19 + 15 * 16 + 1);
    const int row0 = 19, row1 = 34;
    const QRect state0(19, row0 + 1, 16, 13);

    Ser_link_flags = LinkFlag::Answers;
    Utxgraph_draw_word_bits(&box, 0x0001, table, 1);
    const QImage& img = box.image();
    EXPECT_EQ(img.pixelColor(3, 3), bgr(0xE3FDF9));           // header face
    EXPECT_EQ(img.pixelColor(20, row0 + 2), bgr(0xFBFAEA));   // set bit: light face
    EXPECT_EQ(img.pixelColor(20, row1 + 2), clWhite);         // clear bit: white
    EXPECT_EQ(img.pixelColor(2, row0 + 2), clBtnFace);        // bit number cell
    EXPECT_GT(count_pixels(img, state0, clBlue), 0);

    Ser_link_flags = 0;
    Utxgraph_draw_word_bits(&box, 0x0001, table, 1);
    EXPECT_EQ(box.image().pixelColor(20, row0 + 2), bgr(0xFBFAEA));
    EXPECT_EQ(count_pixels(box.image(), state0, clBlue), 0);

    Ser_link_flags = LinkFlag::Answers;
    Utxgraph_draw_word_bits(&box, 0x0001, table, 0);
    EXPECT_EQ(box.image().pixelColor(20, row0 + 2), clWhite);
    EXPECT_EQ(count_pixels(box.image(), state0, clBlue), 0);
}

}  // namespace
