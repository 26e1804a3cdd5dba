#include "pages/fieldbus/Pdo_map.h"

#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstring>

#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "drivedata/Messaggi.h"
#include "drivedata/Utx.h"
#include "pages/fieldbus/Bus_page.h"
#include "pages/fieldbus/Cands301_grid.h"

namespace {

constexpr int WORDS = 8;
const char* const LIST_CAPTION[3] = {"Lista PDO", "PDO List", "Liste PDO"};
const char* const MAPPED[3] = {"Dati Mappati", "Mapped Data", "Donn\u00e9es cartographi\u00e9es"};

// Control name of PDO k: Panel_<prefix><k+1>_<what>.
QByteArray name(const PdoUnit& u, const char* kind, int k, const char* what)
{
    return QByteArray(kind) + '_' + u.prefix + QByteArray::number(k + 1) + (what[0] != 0 ? "_" : "") + what;
}

QWidget* control(const PdoUnit& u, uint8_t ctx, const char* kind, int k, const char* what)
{
    return u.page().find<QWidget>(ctx, name(u, kind, k, what).constData());
}

uint8_t slot(uint8_t ctx) { return ctx == 0 ? 0 : 1; }

}  // namespace

PdoOffsets Pdo_offsets(bool transmit, int k)
{
    k &= 3;
    if (transmit)
        return {static_cast<uint16_t>(1772 + 16 * k), static_cast<uint16_t>(1776 + 16 * k),
                static_cast<uint16_t>(1778 + 16 * k), static_cast<uint16_t>(1868 + 36 * k),
                static_cast<uint16_t>(1836 + 36 * k)};
    return {static_cast<uint16_t>(1596 + 8 * k), static_cast<uint16_t>(1600 + 8 * k), 0,
            static_cast<uint16_t>(1660 + 36 * k), static_cast<uint16_t>(1628 + 36 * k)};
}

QString Pdo_type_text(uint8_t type)
{
    return QString::number(type) + QStringLiteral(" - ") +
           QString::fromUtf8(PdoTypeClassText[Lang_index()][Messaggi_pdo_type_class(type) % 7]);
}

QString Pdo_inhibit_text(uint16_t raw) { return Graph_format_float(QStringLiteral("0.0"), raw * 0.1); }

const uint32_t* Pdo_words(bool transmit, uint8_t ctx, int k)
{
    return reinterpret_cast<const uint32_t*>(&DriveRecordBank[slot(ctx)].b[Pdo_offsets(transmit, k).mapping]);
}

void Pdo_build(const PdoUnit& u, ParamPage&, uint8_t ctx, QVBoxLayout* layout)
{
    QWidget* box = layout->parentWidget();
    auto* tabs = new QTabWidget(box);
    tabs->setObjectName(QString::fromLatin1(u.tabs));
    layout->addWidget(tabs);
    for (int k = 0; k < 4; ++k) {
        auto* sheet = new QWidget(tabs);
        sheet->setObjectName(QString::fromLatin1(name(u, "TabSheet", k, "")));
        auto* v = new QVBoxLayout(sheet);
        Bus_value_row(sheet, v, name(u, "Panel", k, "cob_id_str"), name(u, "Panel", k, "cob_id_dat"), 120);
        Bus_value_row(sheet, v, name(u, "Panel", k, "transmission_type_str"), name(u, "Panel", k, "transmission_type_dat"),
                      160);
        if (u.transmit)
            Bus_value_row(sheet, v, name(u, "Panel", k, "inhibit_time_str"), name(u, "Panel", k, "inhibit_time_dat"), 120);
        Bus_value_row(sheet, v, name(u, "Panel", k, "number_str"), name(u, "Panel", k, "number_dat"), 120);
        QGroupBox* list = Page_group(sheet, v, name(u, "GroupBox", k, "list"));
        Cands301_grid(list, new QVBoxLayout(list), name(u, "StringGrid", k, ""), ctx, WORDS + 1, {36, 229}, u.paint[k]);
        tabs->addTab(sheet, QString::fromLatin1(u.tab) + QString::number(k + 1));
    }
    // Showing another tab changes only the next poll's list.
}

void Pdo_create_steps(const PdoUnit&, ParamPage& p, uint8_t ctx)
{
    p.refresh(ctx);
    p.set_language(ctx);
    if (ctx == 0)
        p.set_access(Page_edit_state());
}

void Pdo_refresh(const PdoUnit& u, ParamPage& p, uint8_t ctx)
{
    const DriveRecord& rec = DriveRecordBank[slot(ctx)];
    for (int k = 0; k < 4; ++k) {
        const PdoOffsets o = Pdo_offsets(u.transmit, k);
        Cands301_repaint(p.frame(ctx), name(u, "StringGrid", k, ""));
        Utxgraph_set_text(control(u, ctx, "Panel", k, "cob_id_dat"), Page_hex_text(Rec_get<uint32_t>(rec, o.cob_id), 4));
        Utxgraph_set_text(control(u, ctx, "Panel", k, "transmission_type_dat"), Pdo_type_text(rec.b[o.type]));
        if (u.transmit)
            Utxgraph_set_text(control(u, ctx, "Panel", k, "inhibit_time_dat"),
                              Pdo_inhibit_text(Rec_get<uint16_t>(rec, o.inhibit)));
        Utxgraph_set_text(control(u, ctx, "Panel", k, "number_dat"), QString::number(rec.b[o.number]));
    }
    p.step_timer(ctx);
}

void Pdo_set_language(const PdoUnit& u, ParamPage& p, uint8_t ctx)
{
    for (int k = 0; k < 4; ++k) {
        const PdoOffsets o = Pdo_offsets(u.transmit, k);
        Utxgraph_set_caption(SlotLoc(ctx, o.cob_id), control(u, ctx, "Panel", k, "cob_id_str"), ctx);
        Utxgraph_set_caption(SlotLoc(ctx, o.type), control(u, ctx, "Panel", k, "transmission_type_str"), ctx);
        if (u.transmit)
            Utxgraph_set_caption(SlotLoc(ctx, o.inhibit), control(u, ctx, "Panel", k, "inhibit_time_str"), ctx);
        Utxgraph_set_caption(SlotLoc(ctx, o.number), control(u, ctx, "Panel", k, "number_str"), ctx);
        if (auto* g = qobject_cast<QGroupBox*>(control(u, ctx, "GroupBox", k, "list")))
            g->setTitle(QStringLiteral("[%1h,1..8] ").arg(QString::number(u.map_index + k, 16).toUpper()) +
                        QString::fromUtf8(LIST_CAPTION[Lang_index()]));
        Cands301_repaint(p.frame(ctx), name(u, "StringGrid", k, ""));
    }
}

void Pdo_update(const PdoUnit& u, ParamPage& p)
{
    if (!Bus_link_up())
        return;
    for (int k = 0; k < 4; ++k) {
        const PdoOffsets o = Pdo_offsets(u.transmit, k);
        if (!p.polled(o.cob_id))
            continue;  // values only of the list now polled, from a reply to it
        Utxgraph_update_hex(RecLoc(o.cob_id), Loc{Area::ReadBack, o.cob_id}, control(u, 0, "Panel", k, "cob_id_dat"), 4);
        Utxgraph_update_pdo_type(RecLoc(o.type), Loc{Area::ReadBack, o.type},
                                 control(u, 0, "Panel", k, "transmission_type_dat"));
        if (u.transmit && Utxgraph_copy_on_change(&DriveRecordBank[0].b[o.inhibit], &DriveReadBack.b[o.inhibit], 2))
            Utxgraph_set_text(control(u, 0, "Panel", k, "inhibit_time_dat"),
                              Pdo_inhibit_text(Rec_get<uint16_t>(DriveRecordBank[0], o.inhibit)));
        Utxgraph_update_uint(RecLoc(o.number), Loc{Area::ReadBack, o.number}, control(u, 0, "Panel", k, "number_dat"), 1);
        if (Utx_mem_differ(&DriveRecordBank[0].b[o.mapping], &DriveReadBack.b[o.mapping], 4 * WORDS)) {
            std::memcpy(&DriveRecordBank[0].b[o.mapping], &DriveReadBack.b[o.mapping], 4 * WORDS);
            Cands301_repaint(p.frame(0), name(u, "StringGrid", k, ""));
        }
    }
}

int Pdo_select_list(const PdoUnit& u)
{
    auto* tabs = u.page().find<QTabWidget>(0, u.tabs);
    return tabs == nullptr ? -1 : tabs->currentIndex();
}

void Pdo_draw_cell(Canvas& canvas, int column, int row, const DrawRect& rect, const uint32_t* words)
{
    if (column < 0 || column > 1 || row < 0 || row > WORDS)
        return;
    if (row == 0) {
        Cands301_header_cell(canvas, rect,
                             column == 0 ? QStringLiteral("N\u00b0") : QString::fromUtf8(MAPPED[Lang_index()]));
        return;
    }
    const DrawRect text = Cands301_white_cell(canvas, rect);
    if (column == 0) {
        Cands301_number_cell(canvas, rect, row, clNavy);
        return;
    }
    uint32_t w = 0;
    std::memcpy(&w, words + (row - 1), 4);
    Cands301_text_cell(canvas, text, Cands301_word_text(w), false, clBlack, AlignRight);
}
