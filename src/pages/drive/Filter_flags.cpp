#include "pages/drive/Filter_flags.h"

#include <QCheckBox>

#include "controls/Utxgraph.h"
#include "diagrams/Blockgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"

void Filter_flags_build(QWidget* parent, QVBoxLayout* layout, const BitSpec& bit)
{
    auto* box = new QCheckBox(parent);
    box->setObjectName(QString::fromLatin1(bit.control));
    layout->addWidget(box);
    Page_label(parent, layout, bit.on_off);
    Page_label(parent, layout, bit.hex_label);
}

void Filter_flags_caption(ParamPage& page, uint8_t ctx, const BitSpec& bit, const char* const text[3])
{
    if (ParamPage::bus_known(ctx))
        Utxgraph_set_caption_txt(SlotLoc(ctx, FILTER_FLAGS_OFS), page.find<QWidget>(ctx, bit.control),
                                 text[Lang_index()], nullptr, ctx);
}

void Filter_flags_changed(ParamPage&, uint8_t, int) { Blockgraph_redraw_current(); }
