// Advanced Setup page: size and class texts by family, the link cycle of the version and the
// values, and the archive's version.
#include <QLabel>

#include "IdentEdit.h"
#include "controls/Utxgraph.h"
#include "drive_page_helpers.h"
#include "pages/drive/Frm_setup_avanzato.h"

namespace pagetest {
namespace {

class SetupAvanzatoTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        Frm_output_build_size_tables();
        set_family(false);
        Drive_ident_edit([](DriveIdentRec& id) { id.fw_major = 3; id.fw_minor = 9; });
    }
    void TearDown() override
    {
        Frm_setup_avanzato_destroy(0);
        Frm_setup_avanzato_destroy(1);
        set_family(false);
        PagesTest::TearDown();
    }
    static void set_record(uint8_t slot, uint8_t size, uint16_t vclass)
    {
        DriveRecordBank[slot].b[RecOfs::SizeIndex] = size;
        Rec_set<uint16_t>(DriveRecordBank[slot], RecOfs::VoltageClass, vclass);
    }
    static QString text(const char* name, uint8_t ctx = 0)
    {
        return Utxgraph_text(Frm_setup_avanzato_page().find<QWidget>(ctx, name));
    }
    static bool values_are(const char* size, const char* vclass, const char* version)
    {
        return text("Panel_nome_taglia_corrente") == size && text("Panel_nome_taglia_tensione") == vclass &&
               text("Panel_VerSF") == version;
    }
};

TEST_F(SetupAvanzatoTest, SizeAndClassTextsByFamily)
{
    struct Row {
        bool second;
        uint8_t size;
        uint16_t vclass;
        const char* size_text;
        const char* class_text;
    };
    const Row rows[] = {
        {false, 2, 0, "8,0-16,0 ", "60 V"},  {false, 6, 0, "-----", "60 V"},   {false, 0, 1, "2,5-5,0 ", "?????"},
        {false, 255, 4, "-----", "60 V"},   {true, 4, 2, "6,0-12,0 ", "?????"}, {true, 0, 1, "1,5-3,0 ", "460 V"},
        {true, 5, 0, "-----", "230 V"},     {true, 1, 0xFFF3, "2,0-4,0 ", "?????"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.second << " " << int(r.size) << " " << r.vclass);
        set_family(r.second);
        set_record(0, r.size, r.vclass);
        EXPECT_EQ(Frm_setup_avanzato_size_text(0), r.size_text);
        EXPECT_EQ(Frm_setup_avanzato_class_text(0), r.class_text);
    }
}

TEST_F(SetupAvanzatoTest, ValuesGoWithTheLinkAndComeBack)
{
    set_record(0, 2, 0);
    set_link(LinkFlag::Ready | LinkFlag::Answers, true);
    Frm_setup_avanzato_create(0, host());
    EXPECT_TRUE(values_are("8,0-16,0 ", "60 V", "Version 3.09"));
    LanguageIndex = 0;
    Frm_setup_avanzato_set_language(0);
    EXPECT_EQ(text("Panel_VerSF"), "Versione 3.09");
    EXPECT_EQ(text("Panel_taglia_drive"), "Taglia Drive");
    LanguageIndex = 1;

    set_link(LinkFlag::Ready | LinkFlag::Answers, false);
    ASSERT_TRUE(pump_until([] { return values_are("-----", "-----", "-----"); }, 1000));
    // Without an answering drive the language step leaves the version alone.
    Frm_setup_avanzato_set_language(0);
    EXPECT_EQ(text("Panel_VerSF"), "-----");
    set_record(0, 3, 0);
    set_link(LinkFlag::Ready | LinkFlag::Answers, true);
    ASSERT_TRUE(pump_until([] { return values_are("10,0-20,0 ", "60 V", "Version 3.09"); }, 1000));
}

TEST_F(SetupAvanzatoTest, ArchiveShowsItsRecordAndTheConnectedDrivesVersion)
{
    set_family(true);
    set_record(1, 0, 0);
    set_record(0, 4, 1);
    PageContext = 1;
    Frm_setup_avanzato_create(1, host());
    EXPECT_EQ(text("Panel_nome_taglia_corrente", 1), "1,5-3,0 ");
    EXPECT_EQ(text("Panel_nome_taglia_tensione", 1), "230 V");
    EXPECT_EQ(text("Panel_VerSF", 1), "-----");
    set_link(LinkFlag::Answers, true);
    Frm_setup_avanzato_set_language(1);
    EXPECT_EQ(text("Panel_VerSF", 1), "Version 3.09");
    // The timer serves the main window's frame only.
    set_link(LinkFlag::Answers, false);
    pump_for(400);
    EXPECT_EQ(text("Panel_VerSF", 1), "Version 3.09");
}

}  // namespace
}  // namespace pagetest
