// Print list: formatters, text limits, line makers and marks.
#include "print_fixture.h"

namespace {

class PrintList : public PrintTest {};

// An entry of our own: register, size, pair and sign bits, names and units.
BusObjectEntry entry(uint16_t index, uint8_t sub, uint8_t size, uint8_t pair, bool is_signed)
{
    BusObjectEntry e{};
    e.index = index;
    e.subindex = sub;
    e.flags = static_cast<uint16_t>((size << BusFlag::SizeShift) | (pair << BusFlag::PairShift) |
                                    (is_signed ? BusFlag::Signed : 0));
    return e;
}

TEST_F(PrintList, ValuesFollowSizeSignDecimalsAndTheLocale)
{
    DriveRecord r{};
    constexpr uint16_t at = 600;
    Rec_set<uint32_t>(r, at, 0x0000FFF6);
    struct Case {
        BusObjectEntry e;
        uint16_t profile;
        int decimals;
        const char* value;
    } cases[] = {
        {entry(0x10, 0, 2, 0, true), 1, 1, "-1.0"},
        {entry(0x10, 0, 2, 0, false), 1, 1, "6552.6"},
        {entry(0x10, 0, 1, 0, false), 1, 0, "246"},
        {entry(0x10, 0, 4, 0, false), 2, 2, "655.26"},
        // a Modbus register pair reads 4 bytes whatever its size bits say; CANopen keeps them
        {entry(0x10, 0, 2, 1, false), 1, 0, "65526"},
        {entry(0x10, 0, 2, 1, true), 2, 0, "-10"},
        {entry(0x10, 0, 3, 0, false), 1, 0, "0"},  // no such size
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatParamValue(c.e, r, RecLoc(at), c.profile, c.decimals), c.value) << c.value;
    Rec_set<uint32_t>(r, at, 70000);
    EXPECT_EQ(FormatParamValue(entry(0x10, 0, 4, 0, false), r, RecLoc(at), 1, 0), "70000") << "no grouping";
    Rec_set<uint32_t>(r, at, 0x0000FFF6);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    EXPECT_EQ(FormatParamValue(entry(0x10, 0, 2, 0, false), r, RecLoc(at), 1, 1), "6552,6");
    Rec_set<uint32_t>(r, at, 1234567);
    EXPECT_EQ(FormatParamValue(entry(0x10, 0, 4, 0, false), r, RecLoc(at), 1, 0), "1234567");
}

TEST_F(PrintList, HexAndAddressTexts)
{
    DriveRecord r{};
    Rec_set<uint16_t>(r, 600, 0x0237);
    EXPECT_EQ(FormatParamHex(entry(0x10, 0, 2, 0, false), r, RecLoc(600), 1, 4), "0237h");
    EXPECT_EQ(FormatParamHex(entry(0x10, 0, 2, 0, false), r, RecLoc(600), 1, 2), "237h");
    Rec_set<uint16_t>(r, 600, 0xABCD);
    EXPECT_EQ(FormatParamHex(entry(0x10, 0, 2, 0, false), r, RecLoc(600), 1, 8), "0000ABCDh");
    struct Case {
        BusObjectEntry e;
        uint16_t profile;
        const char* address;
    } cases[] = {
        {entry(0x0402, 0, 4, 1, false), 1, "[0402h,0403h]"},
        {entry(0x0202, 0, 2, 0, false), 1, "[0202h]"},
        {entry(0x6040, 0, 2, 0, false), 2, "[6040h,0]"},
        {entry(0x1A03, 8, 4, 0, false), 2, "[1A03h,8]"},
        {entry(0x0402, 0, 4, 1, false), 0, "----"},
        {entry(0x0402, 0, 4, 1, false), 7, "----"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatParamAddress(c.e, c.profile), c.address);
}

TEST_F(PrintList, DictionaryLinesTakeAddressNameUnitAndTheLinearUnit)
{
    DriveRecord r{};
    Rec_set<uint32_t>(r, 468, 70000);  // Decel. operat., Modbus 0402h/0403h
    PrintParamLine(r, RecLoc(468), 1, 0);
    PrintParamLine(r, RecLoc(468), 0, 0);
    PrintParamLineHex(r, LiveLoc::CanCtrlWord, 2, 4);
    Rec_set<uint16_t>(r, 134, 3000);  // nominal speed: rpm, mm/s for a linear motor
    PrintParamLine(r, RecLoc(134), 1, 0);
    Rec_set<uint16_t>(r, RecOfs::MotorType, 1);
    PrintParamLine(r, RecLoc(134), 1, 0);
    PrintParamLine(r, RecLoc(196), 1, 1);  // current limit: % for both
    ASSERT_EQ(PrintListLines.size(), 6u);
    const PrintLine& a = PrintListLines[0];
    EXPECT_EQ(a.address, "[0402h,0403h]");
    EXPECT_EQ(a.name, "Decel. operat.");
    EXPECT_EQ(a.value, "70000");
    EXPECT_EQ(a.kind, PrintKind::Param);
    EXPECT_EQ(a.align, 1);
    EXPECT_EQ(PrintListLines[1].address, "----");
    EXPECT_EQ(PrintListLines[2].address, "[6040h,0]");
    EXPECT_EQ(PrintListLines[3].unit, "rpm");
    EXPECT_EQ(PrintListLines[4].unit, "mm/s");
    EXPECT_EQ(PrintListLines[5].unit, "%");
    LanguageIndex = 1;
    PrintParamLine(r, RecLoc(468), 1, 0);
    EXPECT_EQ(PrintListLines.back().name, QString::fromUtf8(Busx_find(1, RecLoc(468)).entry()->caption[1]));
}

TEST_F(PrintList, OnOffAndGivenTextLines)
{
    PrintOnOffLine(RecLoc(182), 1, "Abilita Notch", true);
    PrintOnOffLine(RecLoc(182), 1, "Abilita Notch", false);
    PrintTextLine(RecLoc(182), 2, "Nome", "ms", PrintColour::Green, "testo");
    PrintEnumLineNamed(RecLoc(182), 0, "Altro", PrintColour::Grey, "Fuori range!");
    ASSERT_EQ(PrintListLines.size(), 4u);
    EXPECT_EQ(PrintListLines[0].value, "On");
    EXPECT_EQ(PrintListLines[0].colour, 0x0000FFu);
    EXPECT_EQ(PrintListLines[1].value, "Off");
    EXPECT_EQ(PrintListLines[1].colour, 0x808080u);
    EXPECT_EQ(PrintListLines[2].address, "[200Ch,0]");
    EXPECT_EQ(PrintListLines[2].unit, "ms");
    EXPECT_EQ(PrintListLines[3].address, "----");
    EXPECT_EQ(PrintListLines[3].unit, "");
}

TEST_F(PrintList, TooLongTextsLeaveTheirFieldEmptyAndTheLineStays)
{
    const QString name68 = QString(67, 'x') + QString::fromUtf8("à");
    PrintLineAdd("[6040h,255]", name68, QString(68, 'v'), QString(18, 'u'), 1, 0, 0);
    PrintLineAdd("[6040h,255]xxxx", name68 + "y", QString(69, 'v'), QString(19, 'u'), 1, 0, 0);
    ASSERT_EQ(PrintListLines.size(), 2u);
    EXPECT_EQ(PrintListLines[0].address, "[6040h,255]");
    EXPECT_EQ(PrintListLines[0].name, name68);
    EXPECT_EQ(PrintListLines[0].value.size(), 68);
    EXPECT_EQ(PrintListLines[0].unit.size(), 18);
    EXPECT_TRUE(PrintListLines[1].address.isEmpty());
    EXPECT_TRUE(PrintListLines[1].name.isEmpty());
    EXPECT_TRUE(PrintListLines[1].value.isEmpty());
    EXPECT_TRUE(PrintListLines[1].unit.isEmpty());
}

TEST_F(PrintList, AFieldWithoutAnEntrySaysSoAndAddsNothing)
{
    DriveRecord r{};
    PrintParamLine(r, RecLoc(1536), 1, 0);  // a CANopen field has no Modbus entry
    EXPECT_TRUE(PrintListLines.empty());
    const auto m = take_messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].text, "2 INDEX NOT EXIST!");
}

TEST_F(PrintList, MarksAndHeadings)
{
    PrintMarkAdd(0, 1);
    PrintMarkAdd(7, 2);
    EXPECT_EQ(PrintMarkFind(2), 7u);
    EXPECT_FALSE(PrintMarkFind(3).has_value());
    Print_list_clear_marks();
    EXPECT_FALSE(PrintMarkFind(1).has_value());
    PrintSectionLine("Limiti", 1);
    PrintSectionLine("Limiti", 2);
    PrintTitleLine("Titolo");
    ASSERT_EQ(PrintListLines.size(), 5u);
    EXPECT_EQ(PrintListLines[0].kind, PrintKind::Section);
    EXPECT_EQ(PrintListLines[1].kind, PrintKind::ColumnHead);
    EXPECT_EQ(PrintListLines[1].address, "Indirizzo");
    EXPECT_EQ(PrintListLines[3].address, "Index/Sub.");
    EXPECT_EQ(PrintListLines[4].kind, PrintKind::Title);
}

}  // namespace
