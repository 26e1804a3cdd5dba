// The field-bus positioning pages' plain controls follow the edit rule in the main window (locked
// without the link, free with link and remote control) and are never locked in the archive.
#include <QCheckBox>
#include <QComboBox>

#include "fieldbus_fixture.h"
#include "page_units.h"
#include "shell/Mainstate.h"

namespace pagetest {
namespace {

class FieldbusAccessTest : public FieldbusTest {};

TEST_F(FieldbusAccessTest, CombosAndBoxesFollowTheEditRuleInTheMainWindowOnly)
{
    for (const UnitRow& u : page_units()) {
        const std::string name = u.name;
        if (name.rfind("mdb_", 0) != 0 && name.rfind("cands402_", 0) != 0)
            continue;
        SCOPED_TRACE(name);
        const uint16_t bus = u.canopen.empty() ? 1 : 2;
        for (uint8_t ctx = 0; ctx < 2; ++ctx)
            Rec_set<uint16_t>(DriveRecordBank[ctx], RecOfs::BusType, bus);
        DriveUiFlags.fetch_or(UiFlag::FieldBus);
        for (const uint8_t state : {uint8_t{0}, uint8_t(EditState::Linked | EditState::Remote)}) {
            EditStateFlags = state;
            for (uint8_t ctx = 0; ctx < 2; ++ctx) {
                PageContext = ctx;
                u.node->PageCreate(ctx, host());
                const bool free = ctx == 1 || state != 0;
                QWidget* frame = u.page().frame(ctx);
                for (QWidget* w : frame->findChildren<QComboBox*>())
                    EXPECT_EQ(w->isEnabled(), free) << w->objectName().toStdString() << int(ctx);
                for (QWidget* w : frame->findChildren<QCheckBox*>())
                    EXPECT_EQ(w->isEnabled(), free) << w->objectName().toStdString() << int(ctx);
                u.node->PageDestroy(ctx);
            }
        }
    }
    PageContext = 0;
    EditStateFlags = 0;
    DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::FieldBus));
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace pagetest
