// Print sections: what a data set prints per profile and family, and the lines whose value needs
// more than a field (tables, alarm memory, identity, PDOs, bounded enumerations).
#include "print_fixture.h"

#include <QWidget>

#include <functional>

#include "controls/Utxgraph.h"
#include "link/Fieldbus_link.h"
#include "link/Serrx.h"
#include "pages/fieldbus/Frm_cands301.h"
#include "print/Print_sections.h"
#include "IdentEdit.h"

namespace {

class PrintSections : public PrintTest {
protected:
    // The whole list of a profile (0 I/O, 1 Modbus, 2 CANopen) for a record of the bank.
    static void build(const DriveRecord& r, uint16_t profile, uint8_t context = 0)
    {
        Print_list_clear_lines();
        Print_list_field_bus(&r);
        switch (profile) {
        case 0: Print_list_io_profile(&r); break;
        case 1: Print_list_modbus_profile(&r); break;
        case 2: Print_list_canopen_profile(&r, context); break;
        default: break;
        }
    }
    static QString value_of(const QString& name, std::size_t from = 0)
    {
        const PrintLine* l = line_named(name, from);
        return l != nullptr ? l->value : QStringLiteral("<none>");
    }
    static QString dictionary_name(uint16_t bus, Loc field)
    {
        return QString::fromUtf8(Busx_find(bus, field).entry()->caption[Lang_index()]);
    }
    // Page titles in order.
    static QStringList titles()
    {
        QStringList out;
        for (const PrintLine& l : PrintListLines)
            if (l.kind == PrintKind::Title)
                out << l.name;
        return out;
    }
};

TEST_F(PrintSections, FieldBusPartOfTheDefaults)
{
    const DriveRecord r = defaults();
    Print_list_field_bus(&r);
    ASSERT_EQ(PrintListLines.size(), 18u);
    EXPECT_EQ(PrintListLines[0].kind, PrintKind::Title);
    EXPECT_EQ(PrintListLines[0].name, "Bus di Campo");
    EXPECT_EQ(PrintListLines[3].value, "Controllo Input/OutPut");
    EXPECT_EQ(PrintListLines[3].colour, PrintColour::Green);
    EXPECT_EQ(value_of("Modo indirizzo/bit-rate"), "Da selettore");
    const PrintLine* modbus_rate = line_named("Bit-rate");
    ASSERT_NE(modbus_rate, nullptr);
    EXPECT_EQ(modbus_rate->value, "57600");
    EXPECT_EQ(modbus_rate->unit, "Bits/s");
    EXPECT_EQ(value_of(dictionary_name(0, RecLoc(96))), "Dispari");
    const PrintLine* can_rate = line_named("Bit-rate", static_cast<std::size_t>(modbus_rate - PrintListLines.data()) + 1);
    ASSERT_NE(can_rate, nullptr);
    EXPECT_EQ(can_rate->value, "10");
    EXPECT_EQ(can_rate->unit, "Kbits/s");
    for (const PrintLine& l : PrintListLines)
        if (l.kind == PrintKind::Param) {
            EXPECT_EQ(l.address, "----") << l.name.toStdString();
        }
}

TEST_F(PrintSections, StoredValuesOutsideTheirTablePrintFuoriRangeInGrey)
{
    DriveRecord r = defaults();
    Rec_set<uint16_t>(r, 98, 5);    // Modbus bit-rate index: the dictionary allows 5 for 5 rows
    Rec_set<uint16_t>(r, 110, 7);   // bus type
    Rec_set<uint16_t>(r, 104, 9);   // CANopen bit-rate
    Print_list_field_bus(&r);
    int out_of_range = 0;
    for (const PrintLine& l : PrintListLines)
        if (l.value == "Fuori range!") {
            ++out_of_range;
            EXPECT_EQ(l.colour, PrintColour::Grey);
        }
    EXPECT_EQ(out_of_range, 3);
    EXPECT_EQ(PrintListLines.size(), 18u);
}

TEST_F(PrintSections, ProfilesGiveTheirTitlesAndAddressesInEachFamily)
{
    struct Case {
        uint16_t bus;
        QStringList titles;
        const char* kp_address;
    } cases[] = {
        {0, {"Bus di Campo", "Controllo Input/OutPut", "Setup Riservato"}, "----"},
        {1, {"Bus di Campo", "Controllo Remoto MODBUS", "Posizionatore", "Setup Riservato"}, "[0202h]"},
        {2, {"Bus di Campo", "CanOpen DS301", "CanOpen 402", "Setup Riservato"}, "[2008h,0]"},
    };
    for (bool second : {false, true}) {
        set_second_family(second);
        for (const Case& c : cases) {
            DriveRecordBank[0] = defaults(second);
            Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, c.bus);
            build(DriveRecordBank[0], c.bus);
            EXPECT_EQ(titles(), c.titles) << "bus " << c.bus;
            const PrintLine* kp = line_named(dictionary_name(c.bus, RecLoc(186)));
            ASSERT_NE(kp, nullptr);
            EXPECT_EQ(kp->address, c.kp_address);
            const auto reserved = index_of("Setup Riservato", PrintKind::Title);
            ASSERT_TRUE(reserved.has_value());
            for (std::size_t i = *reserved; i < PrintListLines.size(); ++i)
                if (PrintListLines[i].kind == PrintKind::Param) {
                    EXPECT_EQ(PrintListLines[i].address, "----") << PrintListLines[i].name.toStdString();
                }
            for (std::size_t i = 0; i + 1 < PrintListLines.size(); ++i)
                if (PrintListLines[i].kind == PrintKind::Section) {
                    EXPECT_EQ(PrintListLines[i + 1].kind, PrintKind::ColumnHead);
                }
        }
    }
    EXPECT_TRUE(take_messages().empty());
}

TEST_F(PrintSections, ModbusInputBitsFollowTheControlMode)
{
    struct Case {
        uint16_t mode;
        bool limits;
        bool in4;
    } cases[] = {{0, true, false}, {1, false, false}, {2, true, false}, {3, true, true}};
    for (const Case& c : cases) {
        DriveRecord r = defaults();
        Rec_set<uint16_t>(r, 466, c.mode);
        Rec_set<uint16_t>(r, 504, 0x0381);  // bits 0, 7, 8 and 9
        Print_list_clear_lines();
        PrintSectionIoControl(r, 1);
        const auto head = index_of("Bit-Impostazione Ingressi", PrintKind::Section);
        ASSERT_TRUE(head.has_value()) << c.mode;
        const QString first = PrintListLines[*head + 2].name;
        EXPECT_EQ(first.startsWith("Bit 0 - IN2: "), c.limits) << c.mode;
        EXPECT_EQ(line_named("Bit 4 - IN4: Tipo Contatto") != nullptr, c.in4) << c.mode;
        EXPECT_EQ(value_of("Bit 8 - IN5: Tipo Contatto"), "24 V");
        EXPECT_EQ(value_of("Bit 9 - IN5: Modo misura posizione"), "Singolo");
        if (c.limits) {
            EXPECT_EQ(PrintListLines[*head + 2].value, "On");
        }
    }
}

TEST_F(PrintSections, AlarmMemoryOfTheConnectedDriveNewestFirst)
{
    DriveRecord& r = DriveRecordBank[0];
    r = defaults();
    Rec_set<uint16_t>(r, RecOfs::BusType, 1);
    for (uint8_t position : {2, 18}) {
        r.b[RecOfs::AlarmMemByte] = position;
        r.b[RecOfs::AlarmMem + 2] = 0x83;
        r.b[RecOfs::AlarmMem + 1] = 0x0C;
        Print_list_clear_lines();
        PrintSectionDrive(r, 1);
        const auto head = index_of("Memoria Allarmi", PrintKind::Section);
        ASSERT_TRUE(head.has_value());
        const PrintLine& first = PrintListLines[*head + 2];
        EXPECT_EQ(first.name, "MEM 1: AL - Sovracorrente");
        EXPECT_EQ(first.value, "FA - [03]");
        EXPECT_EQ(first.colour, PrintColour::Red);
        EXPECT_EQ(first.address, "[0004h ,1]");
        EXPECT_EQ(PrintListLines[*head + 3].name, "MEM 2: WR - Sottotensione");
        EXPECT_EQ(PrintListLines[*head + 3].value, "F  - [12]");
        EXPECT_EQ(PrintListLines[*head + 4].value, "-----");  // ring[0] is empty
        EXPECT_EQ(PrintListLines[*head + 17].kind, PrintKind::Param);
        EXPECT_EQ(PrintListLines[*head + 18].kind, PrintKind::Section) << "16 lines";
    }
    r.b[RecOfs::AlarmMem + 2] = 0xA8;
    Print_list_clear_lines();
    PrintSectionDrive(r, 0);
    const auto head = index_of("Memoria Allarmi", PrintKind::Section);
    ASSERT_TRUE(head.has_value());
    EXPECT_EQ(PrintListLines[*head + 2].value, "FA - [40]");
    EXPECT_EQ(PrintListLines[*head + 2].name, "MEM 1: AL - -----");
    Rec_set<uint16_t>(r, RecOfs::BusType, 0);
    Print_list_clear_lines();
    PrintSectionDrive(r, 0);
    EXPECT_EQ(PrintListLines[*index_of("Memoria Allarmi", PrintKind::Section) + 2].address, "----");

    DriveRecordBank[1] = r;
    Print_list_clear_lines();
    PrintSectionDrive(DriveRecordBank[1], 1);
    EXPECT_FALSE(index_of("Memoria Allarmi", PrintKind::Section).has_value());
}

TEST_F(PrintSections, CanopenIdentityHistoryPdosAndQuickStop)
{
    DriveRecord& r = DriveRecordBank[1];
    r = defaults();
    Rec_set<uint16_t>(r, RecOfs::BusType, 2);
    std::strcpy(DriveNameText, "Drive X");  // the identification text, not 1008h
    std::strcpy(DriveDeviceName, "Servo 1008");
    std::strcpy(DriveSwText, "Software Vers: 3.09");  // the identification text, not 100Ah
    std::strcpy(DriveSoftwareName, "Firmware 100A");
    CanIdentProductCode = 0x1234;  // from the identification, not reported as 1018h sub 2
    CanIdentRevision = 0x5678;
    CanIdentProductReadBack = 0x4321;
    BusLiveReadBack.device_type = 0;
    Busx_set_identity_defaults();
    Serrx_new_session();
    BusLiveReadBack.cob_id_sync = 0x1234;  // 1005h as reported; its value 80h is the default
    Drive_status words{};
    words.bus_status = 0x0637;
    words.bus_second = 0x000F;
    Drive_status_publish(words);
    for (const Loc v : {LiveLoc::DeviceType, LiveLoc::DeviceName, LiveLoc::SwVersion, LiveLoc::ProductCode,
                        LiveLoc::CobIdSync, LiveLoc::CanCtrlWord, LiveLoc::CanStatusWord})
        Ds301Identity_note(Loc_readback(v));
    const Loc drive_values[] = {LiveLoc::CobIdSync, LiveLoc::CanCtrlWord, LiveLoc::CanStatusWord};
    const auto drive_value_texts = [&] {
        QStringList t;
        for (const Loc v : drive_values)
            t << value_of(dictionary_name(2, v));
        return t.join(' ').toStdString();
    };
    Rec_set<uint32_t>(r, 1540, 0x00002340);
    Rec_set<uint32_t>(r, 1544, 0x00012340);
    Rec_set<uint32_t>(r, 1548, 0);
    Rec_set<int16_t>(r, 2048, 5);
    build(r, 2, 1);
    const auto info = index_of("Informazioni drive", PrintKind::Section);
    ASSERT_TRUE(info.has_value());
    for (int i : {2, 3, 4, 5, 6, 7})  // the archive's data set: no drive reported them
        EXPECT_EQ(PrintListLines[*info + i].value, "-----") << i;
    EXPECT_EQ(PrintListLines[*info + 6].colour, PrintColour::Black);
    EXPECT_EQ(drive_value_texts(), "----- ----- -----");
    const PrintLine* h1 = line_named("MEM 1: Sovracorrente");
    ASSERT_NE(h1, nullptr);
    EXPECT_EQ(h1->value, "00002340h");
    EXPECT_EQ(h1->colour, PrintColour::Red);
    EXPECT_EQ(value_of("MEM 2: -----"), "00012340h");
    EXPECT_EQ(value_of("MEM 3: -----"), "00000000h");
    EXPECT_EQ(value_of(dictionary_name(2, RecLoc(2048))), "[5] Rampa lenta(Q.S.)");
    Rec_set<int16_t>(r, 2048, 3);
    build(r, 2, 1);
    EXPECT_EQ(value_of(dictionary_name(2, RecLoc(2048))), "Fuori range!");

    // the connected drive's identity
    DriveRecordBank[0] = r;
    build(DriveRecordBank[0], 2, 0);
    const auto live = index_of("Informazioni drive", PrintKind::Section);
    QWidget host;
    Frm_cands301_create(0, &host);
    EXPECT_EQ(PrintListLines[*live + 3].value, "Servo 1008");
    EXPECT_EQ(PrintListLines[*live + 3].value,
              Utxgraph_text(Frm_cands301_page().find<QWidget>(0, "Panel_can_device_name_dat")));
    EXPECT_EQ(PrintListLines[*live + 4].value, "Firmware 100A");
    EXPECT_EQ(PrintListLines[*live + 4].value,
              Utxgraph_text(Frm_cands301_page().find<QWidget>(0, "Panel_can_software_version_dat")));
    Frm_cands301_destroy(0);
    EXPECT_EQ(PrintListLines[*live + 2].value, "00000000h");
    EXPECT_EQ(PrintListLines[*live + 5].value, "-----") << "the vendor number was not reported";
    EXPECT_EQ(PrintListLines[*live + 6].value, "00004321h");
    EXPECT_EQ(PrintListLines[*live + 7].value, "-----") << "the revision was not reported";
    EXPECT_EQ(drive_value_texts(), "00001234h 000Fh 0637h");
    CanIdentRevisionReadBack = 0;  // reported as 0: no revision, no product code
    CanIdentProductReadBack = 0;
    Ds301Identity_note(Loc_readback(LiveLoc::Revision));
    build(DriveRecordBank[0], 2, 0);
    EXPECT_EQ(PrintListLines[*live + 6].value, "-----");
    EXPECT_EQ(PrintListLines[*live + 7].value, "-----");
    Serrx_new_session();  // a new link: nothing reported yet
    build(DriveRecordBank[0], 2, 0);
    EXPECT_EQ(drive_value_texts(), "----- ----- -----");

    LanguageIndex = 1;
    r.b[1776 + 16 * 2] = 254;  // TPDO3 transmission type
    build(r, 2, 1);
    const auto tpdo = index_of("DS301 TPDO3", PrintKind::Section);
    ASSERT_TRUE(tpdo.has_value());
    EXPECT_EQ(PrintListLines[*tpdo + 3].value, "254 - (Async-Munfact)");
    EXPECT_EQ(PrintListLines[*tpdo + 6].name, "TPDO MAP 1");
    std::memset(DriveNameText, 0, sizeof DriveNameText);
    std::memset(DriveDeviceName, 0, sizeof DriveDeviceName);
    std::memset(DriveSwText, 0, sizeof DriveSwText);
    std::memset(DriveSoftwareName, 0, sizeof DriveSoftwareName);
    CanIdentProductCode = 0;
    CanIdentRevision = 0;
    CanIdentProductReadBack = 0;
    BusLiveReadBack.cob_id_sync = 0;
    Drive_status_publish(Drive_status{});
    Serrx_new_session();
}

TEST_F(PrintSections, DriveValuesByMotorFeedbackFamilyAndLink)
{
    const DriveIdentRec saved_ident = Drive_ident_get();
    struct Case {
        const char* what;
        std::function<void(DriveRecord&)> setup;
        const char* name;
        const char* value;
        uint8_t slot = 0;
    } cases[] = {
        {"linear speed unit", [](DriveRecord& r) { Rec_set<uint16_t>(r, RecOfs::MotorType, 1); }, "Velocità Nominale", "mm/s"},
        {"linear poles", [](DriveRecord& r) { Rec_set<uint16_t>(r, RecOfs::MotorType, 1); }, "Poli motore", "2"},
        {"rotary poles", [](DriveRecord& r) { Rec_set<uint16_t>(r, 150, 3); }, "Poli motore", "6"},
        {"resolution", [](DriveRecord& r) { Rec_set<uint16_t>(r, 162, 0); Rec_set<uint32_t>(r, 152, 1u << 30); },
         "Risoluzione/giro", "4294967296"},
        {"divisor 0", [](DriveRecord& r) { Rec_set<uint16_t>(r, 264, 0); }, "Divisore count encoder", "2"},
        {"divisor 3", [](DriveRecord& r) { Rec_set<uint16_t>(r, 264, 3); }, "Divisore count encoder", "16"},
        {"divisor 10", [](DriveRecord& r) { Rec_set<uint16_t>(r, 264, 10); }, "Divisore count encoder", "Fuori range!"},
        {"first family voltage", [](DriveRecord&) {}, "Taglia tensione", "60 V"},
        {"second family class 1", [](DriveRecord& r) { set_second_family(true); Rec_set<uint16_t>(r, 64, 1); },
         "Taglia tensione", "460 V"},
        {"second family class 2", [](DriveRecord& r) { set_second_family(true); Rec_set<uint16_t>(r, 64, 2); },
         "Taglia tensione", "Fuori range!"},
        {"first family out 1 = 6", [](DriveRecord& r) { Rec_set<uint16_t>(r, 216, 6); }, "Imposta Out 1", "Fuori range!"},
        {"firmware answering", [](DriveRecord&) {
             Drive_ident_edit([](DriveIdentRec& id) { id.fw_major = 3; id.fw_minor = 9; });
             Ser_link_flags = LinkFlag::Answers;
         }, "Software Drive", "Versione 3.09"},
        {"firmware, archive", [](DriveRecord&) { Ser_link_flags = LinkFlag::Answers; }, "Software Drive", "----", 1},
        {"firmware, no answer", [](DriveRecord&) {}, "Software Drive", "----"},
    };
    for (const Case& c : cases) {
        set_second_family(false);
        Ser_link_flags = 0;
        DriveRecord& r = DriveRecordBank[c.slot];
        r = defaults();
        c.setup(r);
        Print_list_clear_lines();
        PrintSectionDrive(r, 1);
        const PrintLine* l = line_named(QString::fromUtf8(c.name));
        ASSERT_NE(l, nullptr) << c.what;
        EXPECT_EQ(QString(c.value) == "mm/s" ? l->unit : l->value, c.value) << c.what;
        if (QString(c.value) == "Fuori range!") {
            EXPECT_EQ(l->colour, PrintColour::Grey) << c.what;
        }
    }
    DriveRecord r = defaults();
    Rec_set<uint16_t>(r, RecOfs::MotorType, 1);
    Print_list_clear_lines();
    PrintSectionDrive(r, 1);
    EXPECT_NE(line_named(dictionary_name(1, RecLoc(124))), nullptr) << "pole pitch";
    EXPECT_EQ(line_named(dictionary_name(1, RecLoc(194)))->unit, "mm/s");
    EXPECT_EQ(line_named(dictionary_name(1, RecLoc(196)))->unit, "%");
    EXPECT_EQ(line_named("Velocità Nominale")->unit, "mm/s");
    Drive_ident_publish(saved_ident);
}

}  // namespace
