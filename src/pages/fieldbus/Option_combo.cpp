#include "pages/fieldbus/Option_combo.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QSignalBlocker>

#include "controls/FlowPanel.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "drivedata/Utx.h"
#include "pages/Page_controls.h"

namespace {
int16_t field(uint8_t ctx, uint16_t ofs) { return Rec_get<int16_t>(DriveRecordBank[ctx & 1], ofs); }
}  // namespace

int Option_index(const OptionCombo& o, int16_t value)
{
    if (o.quick_stop)
        return Utx_quick_stop_to_index(value);
    return value >= 0 && value < o.spec->count ? value : -1;
}

int16_t Option_value(const OptionCombo& o, int index)
{
    return o.quick_stop ? Utx_index_to_quick_stop(static_cast<int16_t>(index)) : static_cast<int16_t>(index);
}

void Option_build(ParamPage& page, uint8_t, const OptionCombo& o, QWidget* parent, QBoxLayout* layout, int at)
{
    FlowPanel* panel = Page_flow(parent, nullptr, o.panel, o.caption != nullptr ? o.caption[0] : nullptr);
    if (layout != nullptr)
        layout->insertWidget(at, panel);
    QComboBox* combo = Page_combo(panel, o.combo);
    QObject::connect(combo, &QComboBox::activated, combo, [&page, &o](int index) { Option_store(page, o, index); });
}

void Option_show(const ParamPage& page, uint8_t ctx, const OptionCombo& o)
{
    if (auto* combo = page.find<QComboBox>(ctx, o.combo)) {
        const QSignalBlocker quiet(combo);
        combo->setCurrentIndex(Option_index(o, field(ctx, o.ofs)));
    }
}

void Option_set_language(const ParamPage& page, uint8_t ctx, const OptionCombo& o)
{
    Combo_fill(page.find<QComboBox>(ctx, o.combo), *o.spec);
    Option_show(page, ctx, o);
    if (!ParamPage::bus_known(ctx))
        return;
    QWidget* panel = page.find<QWidget>(ctx, o.panel);
    if (o.caption != nullptr)
        Utxgraph_set_caption_txt(SlotLoc(ctx, o.ofs), panel, o.caption[Lang_index()], nullptr, ctx);
    else
        Utxgraph_set_caption(SlotLoc(ctx, o.ofs), panel, ctx);
}

void Option_store(const ParamPage& page, const OptionCombo& o, int index)
{
    const uint16_t ctx = PageContext.load();
    if (page.ready() != 1 || ctx > 1 || index < 0)
        return;
    Rec_set<int16_t>(DriveRecordBank[ctx], o.ofs, Option_value(o, index));
    if (ctx == 0)
        Sertx_write_var(RecLoc(o.ofs));
}

void Option_copy(const ParamPage& page, const OptionCombo& o)
{
    if (page.copy_polled(o.ofs))
        Option_show(page, 0, o);
}

void Option_access(const ParamPage& page, const OptionCombo& o, uint8_t state)
{
    Utxgraph_enable_combo(RecLoc(o.ofs), page.find<QComboBox>(0, o.combo), page.find<QWidget>(0, o.panel), state);
}

void Options_show(const ParamPage& page, uint8_t ctx, const OptionCombo* list, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        Option_show(page, ctx, list[i]);
}

void Options_set_language(const ParamPage& page, uint8_t ctx, const OptionCombo* list, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        Option_set_language(page, ctx, list[i]);
}

void Options_access(const ParamPage& page, const OptionCombo* list, std::size_t count, uint8_t state)
{
    for (std::size_t i = 0; i < count; ++i)
        Option_access(page, list[i], state);
}

void Options_copy(ParamPage& page, const OptionCombo* list, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        Option_copy(page, list[i]);
    page.step_copy_edits();
}
