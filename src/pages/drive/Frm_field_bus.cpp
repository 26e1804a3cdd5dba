#include "pages/drive/Frm_field_bus.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "pages/Page_controls.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "link/Seriale.h"
#include "link/Seriale_port.h"
#include "platform/Tick.h"

namespace {

constexpr uint16_t OFS_FLAGS = 108;  // bit 0 source from memory, 1 Modbus time-out, 2 CANopen time-out
constexpr uint16_t OFS_PARITY = 96;
const char* const NO_SELECTOR = "---";

const FieldSpec FIELDS[] = {
    {"FlowPanel_canbus_node_id", "Node-ID", 102, EditType::U16, 1, 127, 0},
    {"FlowPanel_mdb_addr_mem", "Indirizzo", 94, EditType::U16, 1, 247, 0},
    {"FlowPanel_mdb_timeout", "Timeout [ms]", 100, EditType::U16, 10, 4000, 0},
    {"FlowPanel_can_timeout", "Timeout [ms]", 106, EditType::U16, 10, 4000, 0},
};

// The Modbus and the CANopen tab: same controls, own names and fields.
struct BusTab {
    const char* sheet;
    const char* label;
    const char* memory;
    const char* address;  // bound edit's panel
    uint16_t address_ofs;
    const char* rate_panel;
    const char* rate_combo;
    const ComboSpec* rates;
    uint16_t rate_ofs;
    const char* selector;
    const char* sel_panels[4];  // address caption, address value, bit-rate caption, bit-rate value
    const char* const* sel_rates;
    const char* timeout_group;
    const char* timeout;  // bound edit's panel
    uint16_t timeout_ofs;
    const char* check;
    const char* on_off;
};
const BusTab TABS[2] = {
    {"TabSheet_ModBus", "ModBus", "GroupBox_mdb_memoria", "FlowPanel_mdb_addr_mem", 94, "Panel_modbus_bit_rate",
     "ComboBox_modbus_bit_rate", &ModbusRateCombo, 98, "GroupBox_mdb_selettore",
     {"Panel_mdb_addr_selector", "Panel_mdb_addr_selector_dat", "Panel_mdb_bit_rate_selector",
      "Panel_mdb_bit_rate_selector_dat"},
     SelectorModbusRates, "GroupBox_mdb_alarm_timeout", "FlowPanel_mdb_timeout", 100, "CheckBox_mdb_timeout_enable",
     "Panel_mdb_timeout_enable_on_off"},
    {"TabSheet_CanOpen", "CanOpen", "GroupBox_can_memoria", "FlowPanel_canbus_node_id", 102, "Panel_canopen_bit_rate",
     "ComboBox_canopen_bit_rate", &CanRateCombo, 104, "GroupBox_can_selettore",
     {"Panel_can_addr_selector", "Panel_can_addr_selector_dat", "Panel_can_bit_rate_selector",
      "Panel_can_bit_rate_selector_dat"},
     SelectorCanRates, "GroupBox_can_alarm_timeout", "FlowPanel_can_timeout", 106, "CheckBox_can_timeout_enable",
     "Panel_can_timeout_enable_on_off"},
};

uint8_t selector_shown = 0;  // the selector byte last shown in context 0
uint32_t info_stamp = 0;
bool bus_change_running = false;

ParamPage& page() { return Frm_field_bus_page(); }
uint16_t field(uint8_t ctx, uint16_t ofs) { return Rec_get<uint16_t>(DriveRecordBank[ctx & 1], ofs); }
void set_field(uint8_t ctx, uint16_t ofs, uint16_t v) { Rec_set<uint16_t>(DriveRecordBank[ctx & 1], ofs, v); }
template <typename W>
W* find(uint8_t ctx, const char* name) { return page().find<W>(ctx, name); }

void show_selector(uint8_t ctx)
{
    const uint8_t b = selector_shown;
    for (const BusTab& t : TABS) {
        const QString address = ctx == 0 ? QString::number(b & 0x0F) : NO_SELECTOR;
        const QString rate = ctx == 0 ? QString::fromLatin1(t.sel_rates[(b >> 4) & 3]) : NO_SELECTOR;
        Utxgraph_set_text(find<QWidget>(ctx, t.sel_panels[1]), address);
        Utxgraph_set_text(find<QWidget>(ctx, t.sel_panels[3]), rate);
    }
}

void show_by_bus(uint8_t ctx)
{
    const uint16_t type = field(ctx, RecOfs::BusType);
    auto* tabs = find<QTabWidget>(ctx, "PageControl_filed_bus");
    auto* source = find<QWidget>(ctx, "Panel_mode_addr_bit_rate");
    if (tabs == nullptr || source == nullptr)
        return;
    tabs->setVisible(type != 0);
    source->setVisible(type != 0);
    if (type == 1 || type == 2) {
        const QSignalBlocker quiet(tabs);
        tabs->setCurrentWidget(find<QWidget>(ctx, TABS[type - 1].sheet));
    }
}

// One tab's values; the ready byte is 0 meanwhile.
void show_tab(uint8_t ctx, const BusTab& t)
{
    const uint8_t was = page().ready();
    page().set_ready(0);
    for (uint16_t ofs : {t.address_ofs, t.timeout_ofs})
        if (MemoUpDwxBase* e = page().edit_of(ctx, ofs))
            e->show();
    Combo_select(find<QComboBox>(ctx, t.rate_combo), *t.rates, field(ctx, t.rate_ofs));
    if (&t == &TABS[0])
        Combo_select(find<QComboBox>(ctx, "ComboBox_modbus_parity"), ParityCombo, field(ctx, OFS_PARITY));
    page().step_show_bits(ctx);
    page().set_ready(was);
}

// Tab show handlers: the tab's values of PageContext.
void TabSheet_ModBusShow() { show_tab(PageContext.load() & 1, TABS[0]); }
void TabSheet_CanOpenShow() { show_tab(PageContext.load() & 1, TABS[1]); }

// ---- handlers (record of PageContext; sent only in context 0) ----

uint8_t handler_context()
{
    const uint16_t ctx = PageContext.load();
    return page().ready() == 1 && ctx <= 1 ? static_cast<uint8_t>(ctx) : 0xFF;
}

void store_index(uint16_t ofs, int index)
{
    const uint8_t ctx = handler_context();
    if (ctx > 1 || index < 0 || index == field(ctx, ofs))
        return;
    set_field(ctx, ofs, static_cast<uint16_t>(index));
    if (ctx == 0)
        Sertx_write_var(RecLoc(ofs));
}

// Bits of offset 108: the source combo (bit 0) and the two time-out check boxes; the base stores
// and sends them.
const BitSpec BITS[] = {
    {"ComboBox_mode_addr_bit_rate", 1u << 0, true, nullptr, OFS_FLAGS},
    {"CheckBox_mdb_timeout_enable", 1u << 1, false, nullptr, OFS_FLAGS, "Panel_mdb_timeout_enable_on_off"},
    {"CheckBox_can_timeout_enable", 1u << 2, false, nullptr, OFS_FLAGS, "Panel_can_timeout_enable_on_off"},
};
constexpr int BIT_SOURCE = 0;

// A new source changes which settings are live: access again (context 0).
void bit_changed(ParamPage& p, uint8_t ctx, int index)
{
    if (index == BIT_SOURCE && ctx == 0)
        p.set_access(0);
}

// A second change while the first waits for its image read is ignored.
void ComboBox_bus_control_typeChange(int index)
{
    const uint8_t ctx = handler_context();
    if (ctx > 1 || index < 0 || bus_change_running || index == field(ctx, RecOfs::BusType))
        return;
    bus_change_running = true;
    set_field(ctx, RecOfs::BusType, static_cast<uint16_t>(index));
    show_by_bus(ctx);
    if (PagesHost.build_page_tree != nullptr)
        PagesHost.build_page_tree(ctx);
    if (ctx == 0) {
        Sertx_write_var(RecLoc(RecOfs::BusType));
        if (PagesHost.mark_image_display != nullptr)
            PagesHost.mark_image_display();
        Sertx_read_image();
        if (PagesHost.wait_queue != nullptr)
            PagesHost.wait_queue(1);
    }
    bus_change_running = false;
}

// ---- frame ----

void build_tab(QTabWidget* tabs, const BusTab& t, QGroupBox* box)
{
    auto* sheet = new QWidget(tabs);
    sheet->setObjectName(QString::fromLatin1(t.sheet));
    tabs->addTab(sheet, QString::fromLatin1(t.label));
    auto* column = new QVBoxLayout(sheet);

    QGroupBox* memory = Page_group(sheet, column, t.memory);
    auto* memory_column = new QVBoxLayout(memory);
    auto* address = box->findChild<FlowPanel*>(QString::fromLatin1(t.address));
    address->setParent(memory);
    memory_column->addWidget(address);
    auto* rates = Page_combo(Page_flow(memory, memory_column, t.rate_panel), t.rate_combo);
    QObject::connect(rates, &QComboBox::activated, rates, [&t](int i) { store_index(t.rate_ofs, i); });

    QGroupBox* selector = Page_group(sheet, column, t.selector);
    auto* selector_column = new QVBoxLayout(selector);
    for (const char* name : t.sel_panels)
        Page_label(selector, selector_column, name);

    if (&t == &TABS[0]) {
        auto* parity = Page_combo(Page_flow(sheet, column, "Panel_modbus_parity"), "ComboBox_modbus_parity");
        QObject::connect(parity, &QComboBox::activated, parity, [](int i) { store_index(OFS_PARITY, i); });
    }

    QGroupBox* timeout = Page_group(sheet, column, t.timeout_group);
    auto* timeout_column = new QVBoxLayout(timeout);
    auto* edit = box->findChild<FlowPanel*>(QString::fromLatin1(t.timeout));
    edit->setParent(timeout);
    timeout_column->addWidget(edit);
    auto* check = new QCheckBox(timeout);
    check->setObjectName(QString::fromLatin1(t.check));
    timeout_column->addWidget(check);
    Page_label(timeout, timeout_column, t.on_off);
}

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    auto* type = Page_combo(Page_flow(box, layout, "Panel_bus_control_type"), "ComboBox_bus_control_type");
    QObject::connect(type, &QComboBox::activated, type, ComboBox_bus_control_typeChange);
    Page_combo(Page_flow(box, layout, "Panel_mode_addr_bit_rate"), "ComboBox_mode_addr_bit_rate");
    auto* tabs = new QTabWidget(box);
    tabs->setObjectName(QStringLiteral("PageControl_filed_bus"));
    layout->addWidget(tabs);
    for (const BusTab& t : TABS)
        build_tab(tabs, t, box);
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [](int index) {
        if (index == 0)
            TabSheet_ModBusShow();
        else if (index == 1)
            TabSheet_CanOpenShow();
    });
}

// ---- pattern steps ----

void refresh(ParamPage&, uint8_t ctx)
{
    Combo_select(find<QComboBox>(ctx, "ComboBox_bus_control_type"), BusTypeCombo, field(ctx, RecOfs::BusType));
    for (const BusTab& t : TABS)
        show_tab(ctx, t);
    show_by_bus(ctx);
    show_selector(ctx);
}

void set_language(ParamPage&, uint8_t ctx)
{
    for (const FieldBusCaption& c : FieldBusCaptions)
        Utxgraph_set_text(find<QWidget>(ctx, c.control), QString::fromUtf8(c.text[Lang_index()]));
    const struct {
        const char* combo;
        const ComboSpec& spec;
        int32_t value;
    } combos[] = {
        {"ComboBox_bus_control_type", BusTypeCombo, field(ctx, RecOfs::BusType)},
        {"ComboBox_mode_addr_bit_rate", BusSourceCombo, field(ctx, OFS_FLAGS) & 1},
        {"ComboBox_modbus_parity", ParityCombo, field(ctx, OFS_PARITY)},
        {"ComboBox_modbus_bit_rate", ModbusRateCombo, field(ctx, TABS[0].rate_ofs)},
        {"ComboBox_canopen_bit_rate", CanRateCombo, field(ctx, TABS[1].rate_ofs)},
    };
    for (const auto& c : combos) {
        Combo_fill(find<QComboBox>(ctx, c.combo), c.spec);
        Combo_select(find<QComboBox>(ctx, c.combo), c.spec, c.value);
    }
}

void set_access(ParamPage&, uint8_t state)
{
    bool en[2] = {false, false};
    QColor col[2] = {clInactiveCaption, clInactiveCaption};
    if (PagesHost.enable_by_state2 != nullptr)
        PagesHost.enable_by_state2(state, en, col);
    const bool linked = (state & 1) != 0;
    Page_set_state(find<QWidget>(0, "Panel_bus_control_type"), en[0], col[0]);
    Page_set_state(find<QWidget>(0, "ComboBox_bus_control_type"), en[0], col[0]);
    Utxgraph_enable_combo(RecLoc(OFS_FLAGS), find<QComboBox>(0, "ComboBox_mode_addr_bit_rate"),
                          find<QWidget>(0, "Panel_mode_addr_bit_rate"), state);
    const bool memory = (field(0, OFS_FLAGS) & 1) != 0;
    for (const BusTab& t : TABS) {
        const bool on = memory && en[0];
        const QColor& c = memory ? col[0] : clInactiveCaption;
        Page_set_state(page().edit_of(0, t.address_ofs), on, c);
        Page_set_state(find<QWidget>(0, t.rate_panel), on, c);
        Page_set_state(find<QWidget>(0, t.rate_combo), on, c);
        for (const char* name : t.sel_panels)
            Page_set_colour(find<QWidget>(0, name), memory ? clInactiveCaption : col[1]);
        Page_group_look(find<QGroupBox>(0, t.memory), memory && linked);
        Page_group_look(find<QGroupBox>(0, t.selector), !memory && linked);
        Page_set_state(find<QWidget>(0, t.check), en[0], col[0]);
    }
    Page_set_state(find<QWidget>(0, "Panel_modbus_parity"), en[0], col[0]);
    Page_set_state(find<QWidget>(0, "ComboBox_modbus_parity"), en[0], col[0]);
    for (const BusTab& t : TABS)
        Page_set_state(page().edit_of(0, t.timeout_ofs), en[0], col[0]);
}

void Timer_comTimer(ParamPage&)
{
    const uint8_t b = FieldBusInfoByte.load();
    if (Ser_port.is_open() && Ser_tx_state.load() == LinkState::Run &&
        (Ser_link_flags.load() & LinkFlag::Answers) && b != selector_shown) {
        selector_shown = b;
        show_selector(0);
    }
    const uint32_t now = Tick_ms();
    if (Tick_diff(now, info_stamp) <= 100)
        return;
    info_stamp = now;
    if (Ser_link_mode.load() == LinkMode::Normal && Seriale_count() < 10)
        Sertx_read_info(7);
}

const PageHooks HOOKS = {.select_list = [](uint16_t) { return -1; },
                         .tick = Timer_comTimer,
                         .build = build,
                         .refresh = refresh,
                         .set_language = set_language,
                         .set_access = set_access,
                         .own_access = true,
                         .edit_captions = false,
                         .bit_changed = bit_changed};

const PageSpec SPEC = {
    "TFrame_field_bus", "GroupBox_bus_campo",
    {"Bus di Campo", "Field Bus", "Bus de Terrain"},
    FIELDS, std::size(FIELDS), nullptr, 0, HOOKS, BITS, std::size(BITS),
};

}  // namespace

PARAM_PAGE_UNIT(field_bus, SPEC)
