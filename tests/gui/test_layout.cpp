// What a user sees of every page and window, in the three languages and on every tab: each picture
// shown at least at its size, no two texts of one panel over each other, no text cut by its widget
// (labels, buttons, check boxes, line and spin edits, tab titles, group titles) or by a panel it
// lies in, no combo, drop-down list or grid cutting its texts, no status-bar pane past the bar's
// edge, no tool bar hiding actions in its overflow menu, and no page wider than its page area.
// Sizes come from font metrics and geometry, never from pixels.
#include "main_fixture.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QLayout>
#include <QPaintEngine>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QTreeWidgetItemIterator>

#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <set>

#include "drivedata/Globvar.h"
#include "flash/Flashsh7047.h"
#include "pages/Pages.h"
#include "print/Print_install.h"
#include "scope/Diagramx.h"
#include "scope/Oscx.h"
#include "scope/Oscx_load_dat.h"
#include "scope/Oscx_print.h"
#include "scope/Oscx_set.h"
#include "diagrams/Form_block.h"
#include "shell/E2p_dialogs.h"
#include "shell/Form_com_off.h"
#include "shell/Linkwait.h"
#include "shell/Load_data_drive.h"
#include "shell/Password.h"
#include "shell/Main_page_host.h"
#include "shell/Settings.h"
#include "shell/Stbar.h"
#include "shell/Toolwin.h"
#include "tools/Tools.h"

namespace {

using namespace maintest;

// ---- pictures ----

constexpr int FILLS = -1;  // the parent's size less its siblings
struct Picture {
    const char* owner;  // objectName of the page frame or window
    const char* name;   // the picture (the owner itself: the page in its page area)
    int width;
    int height;
};
const Picture PICTURES[] = {
    {"TFrame_inout_control", "TFrame_inout_control", FILLS, FILLS},
    {"TFrame_inout_control", "ScrollBox_Block", FILLS, FILLS},
    {"TFrame_inout_control", "Image_block_control", FILLS, FILLS},
    {"TFrame_mdb_control", "TFrame_mdb_control", FILLS, FILLS},
    {"TFrame_mdb_control", "ScrollBox_Block", FILLS, FILLS},
    {"TFrame_mdb_control", "Image_block_control", FILLS, FILLS},
    {"TFrame_mdb_stm", "Image_block_control", 358, 367},
    {"TFrame_cands402_stm", "Image_block_control", 358, 337},
    {"TFrame_mdb_speed_rampe", "Image_ramp", FILLS, FILLS},
    {"TForm_main", "Image_Input", FILLS, FILLS},
    {"TForm_main", "Image_Output", FILLS, FILLS},
    {"Form_tar_cog", "Image_rotor", 0, 162},
    {"Form_tar_cog", "Diagramx_plot", FILLS, FILLS},
    {"Form_cog_dat", "Diagramx_plot", FILLS, FILLS},
    {"Form_tar_pos_sensor", "Image_rotor", 0, 162},
    {"Form_Azzera_Enc", "Image_encoder_and_hall", 1, 1},
    {"Form_Azzera_Enc", "Image_bar_current", 1, 1},
    {"TForm_Oscx", "Diagramx_plot", FILLS, FILLS},
    {"TForm_Oscx_load_dat", "Diagramx_plot", FILLS, FILLS},
};

// The room a child has in its parent: the parent's content less the visible siblings beside it
// (above or below count in height, left or right in width) and the layout's gaps.
QSize room_of(const QWidget* w)
{
    const QWidget* parent = w->parentWidget();
    QRect r = parent->contentsRect();
    int gap = 0;
    if (const QLayout* l = parent->layout()) {
        r = r.marginsRemoved(l->contentsMargins());
        gap = std::max(0, l->spacing());
    }
    QSize room = r.size();
    const QRect own = w->geometry();
    for (const QWidget* s : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (s == w || s->isWindow() || !s->isVisible())
            continue;
        const QRect g = s->geometry();
        if (g.right() >= own.left() && g.left() <= own.right())
            room.rheight() -= g.height() + gap;
        else if (g.bottom() >= own.top() && g.top() <= own.bottom())
            room.rwidth() -= g.width() + gap;
    }
    return room;
}

void check_pictures(const QWidget* root, std::vector<std::string>& faults)
{
    for (const Picture& p : PICTURES) {
        const QWidget* owner = root->objectName() == p.owner ? root : root->findChild<QWidget*>(p.owner);
        if (owner == nullptr || !owner->isVisible())
            continue;
        const QWidget* w = std::string(p.name) == p.owner ? owner : owner->findChild<QWidget*>(p.name);
        if (w == nullptr || !w->isVisible()) {
            faults.push_back(std::string(p.name) + " not shown");
            continue;
        }
        const QSize room = room_of(w);
        const QSize need(p.width == FILLS ? room.width() : p.width, p.height == FILLS ? room.height() : p.height);
        const auto size = [](QSize z) { return std::to_string(z.width()) + "x" + std::to_string(z.height()); };
        if (w->width() < need.width() || w->height() < need.height())
            faults.push_back(std::string(p.name) + " " + size(w->size()) + " < " + size(need));
    }
}

// ---- texts over each other ----

// Where a widget's text lies, in its parent's coordinates; empty for a widget without text. A
// label's text is placed as the label aligns it, and may reach beyond the label.
QRect text_rect(const QWidget* w)
{
    QRect r;
    if (auto* l = qobject_cast<const QLabel*>(w)) {
        if (l->text().isEmpty() || Qt::mightBeRichText(l->text()))
            return {};
        const int m = l->margin();
        QRect cr = l->contentsRect().adjusted(m, m, -m, -m);
        const QFontMetrics fm = l->fontMetrics();
        int indent = l->indent();
        if (indent < 0 && l->frameWidth() > 0)
            indent = fm.horizontalAdvance(QLatin1Char('x')) / 2 - m;
        const Qt::Alignment a = QStyle::visualAlignment(l->layoutDirection(), l->alignment());
        if (indent > 0) {
            if (a & Qt::AlignLeft)
                cr.setLeft(cr.left() + indent);
            if (a & Qt::AlignRight)
                cr.setRight(cr.right() - indent);
        }
        r = fm.boundingRect(cr, int(a) | (l->wordWrap() ? Qt::TextWordWrap : 0), l->text());
    } else if (auto* b = qobject_cast<const QAbstractButton*>(w)) {
        if (b->text().isEmpty())
            return {};
        r = b->rect();
        if (qobject_cast<const QCheckBox*>(b) != nullptr || qobject_cast<const QRadioButton*>(b) != nullptr) {
            QStyleOptionButton opt;
            opt.initFrom(b);
            opt.text = b->text();
            const bool check = qobject_cast<const QCheckBox*>(b) != nullptr;
            const auto contents = check ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents;
            r = b->style()->subElementRect(contents, &opt, b);
            r.setWidth(std::min(r.width(), b->fontMetrics().horizontalAdvance(b->text()) + 4));
        }
    } else if (qobject_cast<const QComboBox*>(w) != nullptr) {
        r = w->rect();
    } else {
        return {};
    }
    return r.translated(w->pos());
}

void check_overlaps(const QWidget* root, std::vector<std::string>& faults)
{
    std::vector<const QWidget*> panels{root};
    for (const QWidget* w : root->findChildren<QWidget*>())
        panels.push_back(w);
    for (const QWidget* panel : panels) {
        if (!panel->isVisible())
            continue;
        std::vector<std::pair<const QWidget*, QRect>> texts;
        for (const QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!w->isVisible() || w->isWindow())
                continue;
            const QRect r = text_rect(w);
            if (!r.isEmpty())
                texts.emplace_back(w, r);
        }
        for (std::size_t i = 0; i < texts.size(); ++i)
            for (std::size_t j = i + 1; j < texts.size(); ++j)
                if (texts[i].second.intersects(texts[j].second))
                    faults.push_back(texts[i].first->objectName().toStdString() + " over " +
                                     texts[j].first->objectName().toStdString());
    }
}

// ---- texts cut ----

// A text drawn through the engine: where it lies on the device, and whether it was cut across
// (elided, or running out of the painter's clip or the device at a side) or at its top or bottom.
struct DrawnText {
    std::string text;
    QRectF rect;
    bool cut_across;
    bool cut_down;
};

// A paint engine that keeps the texts drawn through it.
class TextEngine : public QPaintEngine {
public:
    explicit TextEngine(QSize size) : QPaintEngine(QPaintEngine::AllFeatures), size_(size) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath&) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        const QString text = item.text();
        // The body of the glyphs: from the capitals' top to the baseline, without the blanks at
        // either end.
        const QFontMetricsF fm(item.font());
        const QString shown = text.trimmed();
        const qreal lead = shown.isEmpty() ? 0 : fm.horizontalAdvance(text.left(text.indexOf(shown)));
        const QRectF logical(p.x() + lead, p.y() - fm.capHeight(), fm.horizontalAdvance(shown), fm.capHeight());
        const QRectF on_device = painter()->deviceTransform().mapRect(logical);
        // A text placed by whole pixels may pass its bounds by less than one.
        auto outside = [](const QRectF& r, const QRectF& bounds, bool across) {
            const QRectF b = bounds.adjusted(-1, -1, 1, 1);
            return across ? r.left() < b.left() || r.right() > b.right() : r.top() < b.top() || r.bottom() > b.bottom();
        };
        const QRectF device{QPointF(), QSizeF(size_)};
        const bool clipped = painter()->hasClipping();
        const QRectF clip = clipped ? painter()->clipBoundingRect() : QRectF();
        DrawnText t{text.toStdString(), on_device, text.contains(QChar(0x2026)), false};
        for (const bool across : {true, false}) {
            bool& cut = across ? t.cut_across : t.cut_down;
            cut = cut || outside(on_device, device, across) || (clipped && outside(logical, clip, across));
        }
        texts.push_back(t);
    }
    Type type() const override { return QPaintEngine::User; }

    std::vector<DrawnText> texts;

private:
    QSize size_;
};

class TextDevice : public QPaintDevice {
public:
    explicit TextDevice(QSize size) : size_(size), engine_(size) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    std::vector<DrawnText>& texts() { return engine_.texts; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return size_.width();
        case PdmHeight: return size_.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    QSize size_;
    mutable TextEngine engine_;
};

// The texts w paints, with its children or without.
std::vector<DrawnText> drawn_texts(QWidget* w, bool children)
{
    TextDevice device(w->size());
    w->render(&device, QPoint(), QRegion(), children ? QWidget::DrawChildren : QWidget::RenderFlags());
    return device.texts();
}

std::vector<std::string> cut_texts(QWidget* w)
{
    std::vector<std::string> cut;
    for (const DrawnText& t : drawn_texts(w, true))
        if (t.cut_across)
            cut.push_back(t.text);
    return cut;
}

void check_cut_texts(QWidget* root, std::vector<std::string>& faults)
{
    for (QComboBox* c : root->findChildren<QComboBox*>()) {
        if (!c->isVisible())
            continue;
        for (const std::string& t : cut_texts(c))
            faults.push_back(c->objectName().toStdString() + " cuts \"" + t + "\"");
        // The drop-down list, shown a page of items at a time (the offscreen platform's notes on
        // raising and grabbing for a popup are dropped).
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        c->showPopup();
        QAbstractItemView* list = c->view();
        for (int i = 0; i < c->count();) {
            const QModelIndex index = c->model()->index(i, c->modelColumn(), c->rootModelIndex());
            list->scrollTo(index, QAbstractItemView::PositionAtTop);
            for (const std::string& t : cut_texts(list->viewport()))
                faults.push_back(c->objectName().toStdString() + " list cuts \"" + t + "\"");
            i += std::max(1, list->viewport()->height() / std::max(1, list->sizeHintForIndex(index).height()));
        }
        c->hidePopup();
        qInstallMessageHandler(previous);
    }
    for (QTableView* grid : root->findChildren<QTableView*>()) {
        if (!grid->isVisible())
            continue;
        for (const std::string& t : cut_texts(grid))
            faults.push_back(grid->objectName().toStdString() + " cuts \"" + t + "\"");
    }
}

// The widgets whose own texts a user reads; a spin box shows its text in its line edit.
bool shows_text(const QWidget* w)
{
    return qobject_cast<const QLabel*>(w) != nullptr || qobject_cast<const QAbstractButton*>(w) != nullptr ||
           qobject_cast<const QLineEdit*>(w) != nullptr || qobject_cast<const QTabBar*>(w) != nullptr ||
           qobject_cast<const QGroupBox*>(w) != nullptr;
}

// Where the panels that may cut a text end: at the window, and at a scroll area's viewport (whose
// width the page check measures; a page may scroll up and down).
bool clips_no_further(const QWidget* parent)
{
    if (parent == nullptr)
        return true;
    auto* area = qobject_cast<const QAbstractScrollArea*>(parent->parentWidget());
    return area != nullptr && area->viewport() == parent;
}

// The panel of w that cuts r (in w's coordinates), or null.
const QWidget* cutting_panel(const QWidget* w, QRectF r)
{
    for (const QWidget* child = w; !child->isWindow() && !clips_no_further(child->parentWidget());
         child = child->parentWidget()) {
        r.translate(child->pos());
        const QWidget* parent = child->parentWidget();
        if (!QRectF(parent->rect()).adjusted(-1, -1, 1, 1).contains(r))
            return parent;
    }
    return nullptr;
}

std::string name_of(const QWidget* w)
{
    return w->objectName().isEmpty() ? std::string(w->metaObject()->className()) : w->objectName().toStdString();
}

// Each text a widget paints itself, whole inside the widget and inside every panel it lies in.
void check_own_texts(QWidget* root, std::vector<std::string>& faults)
{
    std::vector<QWidget*> widgets{root};
    for (QWidget* w : root->findChildren<QWidget*>())
        widgets.push_back(w);
    for (QWidget* w : widgets) {
        if (!w->isVisible() || !shows_text(w))
            continue;
        for (const DrawnText& t : drawn_texts(w, false)) {
            if (t.cut_across || t.cut_down)
                faults.push_back(name_of(w) + " cuts \"" + t.text + "\"");
            else if (const QWidget* panel = w != root ? cutting_panel(w, t.rect) : nullptr)
                faults.push_back(name_of(panel) + " cuts \"" + t.text + "\" of " + name_of(w));
        }
        if (auto* bar = qobject_cast<QTabBar*>(w)) {
            for (const QToolButton* b : bar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
                if (b->isVisible())
                    faults.push_back(name_of(bar) + " scrolls its tabs");
        }
    }
}

// No tool bar moves actions into its overflow menu; no status-bar pane ends past the bar.
void check_bars(const QWidget* root, std::vector<std::string>& faults)
{
    for (const QToolBar* bar : root->findChildren<QToolBar*>()) {
        const auto* more = bar->findChild<QWidget*>("qt_toolbar_ext_button", Qt::FindDirectChildrenOnly);
        if (bar->isVisible() && more != nullptr && more->isVisible())
            faults.push_back(name_of(bar) + " hides actions in its overflow menu");
    }
    for (const QWidget* panel : root->findChildren<QWidget*>()) {
        const Stbarx* stb = Stbarx_on(panel);
        if (stb == nullptr || !panel->isVisible())
            continue;
        for (uint16_t i = 0; i < stb->count(); ++i) {
            const StbarPane& p = Stbarx_pane(stb, i);
            const bool filler = i + 1 == stb->count() && p.width >= panel->width();  // takes the rest of the bar
            if (!filler && p.x + p.width > panel->width())
                faults.push_back(name_of(panel) + " pane " + std::to_string(i) + " ends at " +
                                 std::to_string(p.x + p.width) + " > " + std::to_string(panel->width()));
        }
    }
}

// Processes what showing and a change of language posted (fits, then the layouts up to the window,
// a level a round) until the geometry and minimum size of root's widgets stay the same for two rounds.
void settle(const QWidget* root)
{
    std::vector<QRect> last;
    for (int round = 0, same = 0; round < 100 && same < 2; ++round) {
        QCoreApplication::processEvents();
        std::vector<QRect> now;
        for (const QWidget* w : root->window()->findChildren<QWidget*>())
            now.insert(now.end(), {w->geometry(), QRect(QPoint(), w->minimumSizeHint())});
        same = now == last ? same + 1 : 0;
        last = std::move(now);
    }
}

void check_shown(QWidget* root, const std::string& where, std::vector<std::string>& faults)
{
    std::vector<std::string> found;
    check_pictures(root, found);
    check_overlaps(root, found);
    check_own_texts(root, found);
    check_cut_texts(root, found);
    check_bars(root, found);
    for (const std::string& f : found)
        faults.push_back(where + f);
}

// The faults of root as shown, then of every other tab of each tab widget, nested tabs included, and
// a tab widget whose width changes with its tab; each tab widget shows its first tab again afterwards.
void check_tabs(QWidget* root, const std::string& where, std::vector<std::string>& faults)
{
    check_shown(root, where, faults);
    for (QTabWidget* tabs : root->findChildren<QTabWidget*>()) {
        if (!tabs->isVisible())
            continue;  // reached through the tab it lies on
        const int shown = tabs->currentIndex();
        for (int i = 0; i < tabs->count(); ++i) {
            if (i == shown || !tabs->isTabEnabled(i) || !tabs->isTabVisible(i))
                continue;
            const int width = tabs->width();
            tabs->setCurrentIndex(i);
            settle(root);
            if (tabs->width() != width)
                faults.push_back(where + "tab \"" + tabs->tabText(i).toStdString() + "\" widens " + name_of(tabs));
            check_tabs(tabs->widget(i), where + "tab \"" + tabs->tabText(i).toStdString() + "\": ", faults);
        }
        tabs->setCurrentIndex(shown);
        settle(root);
    }
}

std::vector<std::string> faults_of(QWidget* root)
{
    settle(root);
    std::vector<std::string> faults;
    check_tabs(root, "", faults);
    return faults;
}

// ---- the screens ----

// The main window's size while no settings file holds one.
const QSize DEFAULT_SIZE(WINDOW_DEFAULT_WIDTH, WINDOW_DEFAULT_HEIGHT);

class Layout : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Pages_install(Main_page_host());
        Tools_install();
        Print_install();
        Flashsh7047_register();
        Oscx_register_window();
        Oscx_register_windows([this](OscxWindow w, OscxWindowFactory make) { scope_windows_[int(w)] = make; });
        open_window();
    }
    void TearDown() override
    {
        leave_page();
        MainWindowTest::TearDown();
        for (int k = 0; k < static_cast<int>(ToolWin::Count); ++k)
            Toolwin_unregister(static_cast<ToolWin>(k));
        AccessFlags = 0;
    }

    void leave_page()
    {
        PageNode*& current = CurrentPageNode[0];
        if (current != nullptr && current->PageDestroy != nullptr)
            current->PageDestroy(0);
        current = nullptr;
    }
    void open_page(PageNode* node)
    {
        leave_page();
        CurrentPageNode[0] = node;
        node->PageCreate(0, main->ScrollBox_Menu_host);
    }
    // The pages of the tree for a bus type, and the fixed pages the tree shows only with an access
    // level or a family.
    std::vector<PageNode*> pages_of(uint16_t bus)
    {
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, bus);
        BuildPageTree(0);
        std::vector<PageNode*> nodes;
        for (QTreeWidgetItemIterator it(main->TreeView_menu); *it; ++it)
            if (PageNode* n = PageNodeOf(*it))
                nodes.push_back(n);
        for (PageNode* n : PageNodeTable)
            if ((n->flags & (3u << PageFlag::BusClassShift)) == 0 &&
                std::find(nodes.begin(), nodes.end(), n) == nodes.end())
                nodes.push_back(n);
        return nodes;
    }

    // The main window and the pages of the buses at a window size, in every language; the pages of a
    // bus after the first are those it adds.
    void check_pages(QSize size, std::initializer_list<uint16_t> buses)
    {
        main->resize(size);
        std::set<PageNode*> seen;  // a later bus adds its own pages only
        for (uint16_t bus : buses) {
            const std::vector<PageNode*> nodes = pages_of(bus);
            leave_page();
            for (uint8_t language : {0, 1, 2}) {
                main->Menu_languageClick(language);
                for (const std::string& f : faults_of(main.get()))
                    faults.insert(where_of(size, bus, "main window", language) + f);
            }
            for (PageNode* node : nodes) {
                if (node->PageCreate == nullptr || !seen.insert(node).second)
                    continue;
                open_page(node);
                for (uint8_t language : {0, 1, 2}) {
                    main->Menu_languageClick(language);
                    check_page_area(main->ScrollBox_Menu, where_of(size, bus, PageNodeText(node, 1), language));
                }
            }
        }
        leave_page();
    }
    // The page shown in a page area, and its width against the area.
    void check_page_area(QScrollArea* area, const std::string& where)
    {
        for (QWidget* frame : area->widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            for (const std::string& f : faults_of(frame))
                faults.insert(where + f);
        if (const int over = area->horizontalScrollBar()->maximum(); over > 0)
            faults.insert(where + "scrolls sideways by " + std::to_string(over));
    }

    // Opens the node's page as a click in the tree does.
    void select(PageNode& node)
    {
        for (QTreeWidgetItemIterator it(main->TreeView_menu); *it; ++it)
            if (PageNodeOf(*it) == &node)
                main->TreeView_menu->setCurrentItem(*it);
        ASSERT_EQ(CurrentPageNode[0], &node);
        settle(main.get());
    }

    static std::string where_of(QSize size, uint16_t bus, const char* screen, uint8_t language)
    {
        return std::to_string(size.width()) + "x" + std::to_string(size.height()) + " bus " + std::to_string(bus) +
               " " + screen + " lang " + std::to_string(language) + ": ";
    }

    using Opener = std::function<QWidget*(QWidget* parent)>;
    static Opener tool(ToolWin kind)
    {
        return [kind](QWidget* parent) { return Toolwin_create(kind, parent); };
    }
    Opener scope(OscxWindow w) const { return scope_windows_[int(w)]; }
    // A window shown at its form's size, which the test screen is too small for.
    static Opener at_size(Opener open, QSize size)
    {
        return [open, size](QWidget* parent) {
            QWidget* w = open(parent);
            w->show();
            w->resize(size);
            return w;
        };
    }

    // Each window, opened anew in every language.
    // Each window opened anew in every language, and one window shown again after each change of
    // language (a window sets its texts when shown: what it fits then must follow).
    void check_windows(std::initializer_list<Opener> openers)
    {
        for (const Opener& open : openers) {
            for (uint8_t language : {0, 1, 2}) {
                main->Menu_languageClick(language);
                std::unique_ptr<QWidget> w(open(main.get()));
                ASSERT_NE(w, nullptr);
                w->show();
                check_window(w.get(), language, "");
            }
            main->Menu_languageClick(0);
            std::unique_ptr<QWidget> w(open(main.get()));
            w->show();
            settle(w.get());
            for (uint8_t language : {1, 2, 0}) {
                w->hide();
                main->Menu_languageClick(language);
                w->show();
                check_window(w.get(), language, " shown again");
            }
        }
    }
    void check_window(QWidget* w, uint8_t language, const char* how)
    {
        for (const std::string& f : faults_of(w))
            faults.insert(w->objectName().toStdString() + how + " lang " + std::to_string(language) + ": " + f);
    }

    std::string fault_list() const
    {
        std::string s;
        for (const std::string& f : faults)
            s += f + "\n";
        return s;
    }

    std::set<std::string> faults;

private:
    OscxWindowFactory scope_windows_[3] = {};
};

TEST_F(Layout, ModbusAndIoPages)
{
    AccessFlags = 1;
    check_pages(DEFAULT_SIZE, {1, 0});
    check_pages(QSize(1280, 800), {1, 0});
    EXPECT_EQ(fault_list(), "");
}

TEST_F(Layout, CanopenPages)
{
    AccessFlags = 1;
    check_pages(DEFAULT_SIZE, {2});
    check_pages(QSize(1280, 800), {2});
    EXPECT_EQ(fault_list(), "");
}

TEST_F(Layout, PageOpensAtItsTopLeft)
{
    main->resize(DEFAULT_SIZE);
    pages_of(2);
    select(PageNode_mot_feedback);
    QScrollBar* down = main->ScrollBox_Menu->verticalScrollBar();
    QScrollBar* across = main->ScrollBox_Menu->horizontalScrollBar();
    ASSERT_GT(down->maximum(), 0);  // both pages scroll at this size
    down->setValue(down->maximum());
    across->setValue(across->maximum());
    select(PageNode_field_bus);
    ASSERT_GT(down->maximum(), 0);
    EXPECT_EQ(down->value(), 0);
    EXPECT_EQ(across->value(), 0);
}

// The archive window's pages (context 1) of each bus at the default size, in every language.
TEST_F(Layout, ArchivePages)
{
    AccessFlags = 1;
    for (uint16_t bus : {0, 1, 2}) {
        Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, bus);
        PageContext.store(1);
        TForm_load_data_drive archive(main.get());
        archive.show();
        archive.resize(DEFAULT_SIZE);
        settle(&archive);
        std::vector<QTreeWidgetItem*> items;
        for (QTreeWidgetItemIterator it(archive.TreeView_menu); *it; ++it)
            items.push_back(*it);
        for (QTreeWidgetItem* item : items) {
            archive.TreeView_menu->setCurrentItem(item);
            const char* page = PageNodeText(PageNodeOf(item), 1);
            for (uint8_t language : {0, 1, 2}) {
                main->Menu_languageClick(language);
                check_page_area(archive.ScrollBox_Menu, where_of(DEFAULT_SIZE, bus, page, language) + "archive: ");
            }
        }
        archive.Modified = 0;
    }
    PageContext.store(0);
    EXPECT_EQ(fault_list(), "");
}

// The Data Monitor's mode, whichever the bus and mode, shows whole and leaves the left column as
// wide as it is in that language.
TEST_F(Layout, MonitorModeLeavesTheLeftColumnAsItIs)
{
    main->resize(DEFAULT_SIZE);
    std::map<uint8_t, std::set<int>> widths;  // by language
    for (uint16_t bus : {0, 1, 2}) {
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, bus);
        for (int8_t mode : {0, 1, 2, 3, 4, 6, 7, -1}) {
            Drive_status status{};
            status.control_mode = static_cast<uint8_t>(mode);
            Drive_status_publish(status);
            for (uint8_t language : {0, 1, 2}) {
                main->Menu_languageClick(language);  // shows the control type anew
                const std::string where = where_of(DEFAULT_SIZE, bus, "mode", language) + std::to_string(mode) + ": ";
                for (const std::string& f : faults_of(main->GroupBoxmonitor_dati))
                    faults.insert(where + f);
                widths[language].insert(main->Splitter_menu_monitor->width());
            }
        }
    }
    EXPECT_EQ(fault_list(), "");
    for (const auto& [language, seen] : widths)
        EXPECT_EQ(seen.size(), 1u) << "language " << int(language);
}

// Each control type's diagram whole in its scroll box, in every language.
TEST_F(Layout, ControlDiagramsFitTheDefaultSize)
{
    main->resize(DEFAULT_SIZE);
    struct Tree {
        uint16_t bus;
        uint16_t control_type_ofs;  // DriveRecord offset of the bus's control type
    };
    for (const Tree tree : {Tree{0, 118}, Tree{1, 466}}) {
        pages_of(tree.bus);
        select(tree.bus == 0 ? PageNode_inout_control : PageNode_mdb_control);
        auto* box = main->findChild<QAbstractScrollArea*>("ScrollBox_Block");
        ASSERT_NE(box, nullptr);
        for (uint16_t type = 0; type < 4; ++type) {
            Rec_set<uint16_t>(DriveRecordBank[0], tree.control_type_ofs, type);
            for (uint8_t language : {0, 1, 2}) {
                main->Menu_languageClick(language);
                CurrentPageNode[0]->PageRefresh(0);
                settle(main.get());
                const std::string where = where_of(DEFAULT_SIZE, tree.bus, "Control Set", language) + "type " +
                                          std::to_string(type) + ": ";
                if (box->horizontalScrollBar()->maximum() > 0 || box->verticalScrollBar()->maximum() > 0)
                    faults.insert(where + "the diagram scrolls");
            }
        }
    }
    EXPECT_EQ(fault_list(), "");
}

TEST_F(Layout, ToolWindows)
{
    check_windows({tool(ToolWin::TarPosSensorCk), tool(ToolWin::TarPosSensor), tool(ToolWin::AzzeraEncCk),
                   tool(ToolWin::AzzeraEnc), tool(ToolWin::AzzeraEncAbs), tool(ToolWin::TarCogCk),
                   tool(ToolWin::TarCog), tool(ToolWin::CogDat), tool(ToolWin::LoadMotor),
                   tool(ToolWin::PosQuoteTest)});
    EXPECT_EQ(fault_list(), "");
}

TEST_F(Layout, ScopeFlashAndPrintWindows)
{
    check_windows({at_size(tool(ToolWin::Oscx), {1000, 680}), scope(OscxWindow::Set), tool(ToolWin::OscxPID), scope(OscxWindow::LoadDat),
                   scope(OscxWindow::PrintPreview), tool(ToolWin::FlashSH), tool(ToolWin::SetPrint),
                   tool(ToolWin::PrinterData), tool(ToolWin::PrintPreview)});
    EXPECT_EQ(fault_list(), "");
}

// Every window of the registry, and the dialogs the shell opens itself, over the main window on the
// screen a new window's default geometry is not on (when there are two): each opens on the main
// window's screen with its frame inside the available area, and a later show leaves it where the
// user moved it. Run on a small screen and on two screens too.
TEST_F(Layout, WindowsOpenOnTheMainWindowsScreen)
{
    Main_register_eeprom_dialogs();
    for (const auto& [kind, window] : {std::pair(ToolWin::OscxSet, OscxWindow::Set),
                                       std::pair(ToolWin::OscxLoadDat, OscxWindow::LoadDat),
                                       std::pair(ToolWin::OscxPrintPreview, OscxWindow::PrintPreview)})
        Toolwin_register(kind, scope(window));
    std::vector<std::pair<std::string, Opener>> openers;
    for (int k = 0; k < static_cast<int>(ToolWin::Count); ++k)
        openers.emplace_back("registry kind " + std::to_string(k), tool(static_cast<ToolWin>(k)));
    openers.emplace_back("link off", [](QWidget* parent) { return new TForm_com_off(parent); });
    openers.emplace_back("link wait", [](QWidget* parent) { return new TForm_DatChk(parent); });
    openers.emplace_back("password", [](QWidget* parent) { return new TForm_Password(parent); });
    openers.emplace_back("archive", [](QWidget* parent) { return new TForm_load_data_drive(parent); });
    openers.emplace_back("block popup", [](QWidget*) {  // owned by the application
        auto* popup = new TForm_block_dat;
        popup->FormShow();
        return popup;
    });
    openers.emplace_back("no window active", [](QWidget*) -> QWidget* {  // opened by a timer, say
        QApplication::setActiveWindow(nullptr);
        return new QDialog;
    });
    QScreen* const first = QGuiApplication::screenAt(QPoint(0, 0));  // that of a new window's default geometry
    QScreen* screen = first;  // the other one, when there are two
    for (QScreen* s : QGuiApplication::screens())
        if (s != first)
            screen = s;
    const QRect area = screen->availableGeometry();
    main->move(area.topLeft());
    ASSERT_EQ(main->screen(), screen);
    for (const auto& [name, open] : openers) {
        main->activateWindow();  // the user works in it
        ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
        std::unique_ptr<QWidget> w(open(main.get()));
        ASSERT_NE(w, nullptr) << name;
        w->setScreen(first);  // where a platform may put a new window
        w->show();
        settle(w.get());
        if (w->screen() != screen || !area.contains(w->frameGeometry()))
            faults.insert(name + " " + name_of(w.get()) + ": not inside the main window's screen");
        const QPoint moved = area.topRight() - QPoint(w->frameGeometry().width() / 2, 0);
        w->move(moved);  // by the user, half off the screen
        w->hide();
        w->show();
        settle(w.get());
        if (w->pos() != moved)
            faults.insert(name + " " + name_of(w.get()) + ": placed again at a later show");
    }
    EXPECT_EQ(fault_list(), "");
}

// Long values in the cursor readouts of the scope window and the recording viewer show whole, in
// every language (which decimals go is the formatting's rule).
TEST_F(Layout, CursorReadoutsShowLongValuesWhole)
{
    for (const Opener& open : {tool(ToolWin::Oscx), scope(OscxWindow::LoadDat)}) {
        for (uint8_t language : {0, 1, 2}) {
            main->Menu_languageClick(language);
            std::unique_ptr<QWidget> w(open(main.get()));
            w->show();
            for (const char* box : {"CheckBox_cursor_asseY", "CheckBox_cursor_asseT"})
                w->findChild<QCheckBox*>(box)->click();
            settle(w.get());
            auto* scope_window = qobject_cast<TForm_Oscx*>(w.get());
            Diagramx& chart =
                scope_window ? *scope_window->chart() : *qobject_cast<TForm_Oscx_load_dat*>(w.get())->chart();
            chart.time_grid_count = chart.left_grid_count = 0;
            chart.view.time_start = 0;
            for (ChartChannelView& c : chart.view.channels)
                std::tie(c.minimum, c.maximum) = std::pair(0.0, 1.0);
            for (int k : {0, 2})  // cursor 1 of each pair, then cursor 2
                std::tie(chart.cursors[k].value, chart.cursors[k + 1].value) = std::pair(8974.5958430, -30923.7875289);
            chart.Time_readouts();
            for (uint8_t c = 0; c < SCOPE_CHANNELS; ++c)
                chart.Level_readouts(c);
            std::vector<std::string> found;
            check_own_texts(w.get(), found);
            // A value wider than its readout beside short ones moves no readout and widens none.
            const QRegularExpression readout_names("^Panel_cursor.*_(y1|y2|dy|t1|t2|dt)$");
            const QList<QLabel*> readouts = w->findChildren<QLabel*>(readout_names);
            std::vector<QRect> places;
            for (QLabel* readout : readouts) {
                places.push_back(readout->geometry());
                readout->setText(readout->objectName().endsWith('1') ? QString(40, '8') : QString("1"));
            }
            settle(w.get());
            if (readouts.size() != 15)
                found.push_back(std::to_string(readouts.size()) + " readouts");
            for (qsizetype i = 0; i < readouts.size(); ++i)
                if (readouts[i]->geometry() != places[std::size_t(i)])
                    found.push_back(readouts[i]->objectName().toStdString() + " moved by a long value");
            for (const std::string& f : found)
                faults.insert(name_of(w.get()) + " lang " + std::to_string(language) + ": " + f);
        }
    }
    EXPECT_EQ(fault_list(), "");
}

// The print dialogs as a Print and as a Preview button opens them: each shows its own buttons.
TEST_F(Layout, PrintDialogsOfPrintAndPreview)
{
    const Opener scope_print = [](QWidget* parent) -> QWidget* { return TForm_Oscx_Set_Print_new(parent); };
    for (uint8_t preview : {0, 1}) {
        PrintPage.preview_mode = PrwDat.preview_mode = preview;
        check_windows({tool(ToolWin::SetPrint), tool(ToolWin::PrinterData), scope_print});
    }
    PrintPage.preview_mode = PrwDat.preview_mode = 0;
    EXPECT_EQ(fault_list(), "");
}

}  // namespace
