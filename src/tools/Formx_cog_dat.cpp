#include "tools/Formx_cog_dat.h"

#include <cmath>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

#include "link/Sertx.h"
#include "shell/Main.h"

namespace {

constexpr double ZOOM_STEP = 0.2;
constexpr double ZOOM_LIMIT = 127.0;
constexpr double ZOOM_CLOSEST = 0.01;

Text3 CAPTION = {"Dati cogging", "Cogging data", "Données Cogging"};
Text3 TABLE = {"Tabella", "Table", "Table"};
Text3 UNZOOM_HINT = {"Ripristina Grafico", "Refresh Graphic", "Actualiser Graphique"};

}  // namespace

TForm_cog_dat::TForm_cog_dat(QWidget* parent) : ToolDialog(parent, "Form_cog_dat")
{
    auto* root = new QVBoxLayout(this);
    ControlBar_main = new QWidget(this);
    ControlBar_main->setObjectName("ControlBar_main");
    auto* bar = new QHBoxLayout(ControlBar_main);
    bar->setContentsMargins(0, 0, 0, 0);
    ToolBar_uno = new QToolBar(ControlBar_main);
    ToolBar_uno->setObjectName("ToolBar_uno");
    BitBtn_unzoom = Tool_button(ToolBar_uno, "BitBtn_unzoom", "1:1");
    BitBtn2_zoom_in = Tool_button(ToolBar_uno, "BitBtn2_zoom_in", "+");
    BitBtn2_zoom_in->setToolTip("Zoom In");
    BitBtn1 = Tool_button(ToolBar_uno, "BitBtn1", "-");
    BitBtn1->setToolTip("Zoom Out");
    ToolBar_uno->addWidget(BitBtn_unzoom);
    ToolBar_uno->addWidget(BitBtn2_zoom_in);
    ToolBar_uno->addWidget(BitBtn1);
    bar->addWidget(ToolBar_uno, 1);  // the tool bar follows the control bar's width
    root->addWidget(ControlBar_main);

    auto* middle = new QHBoxLayout;
    GroupBox_cam_table = new QGroupBox(this);
    GroupBox_cam_table->setObjectName("GroupBox_cam_table");
    auto* table = new QVBoxLayout(GroupBox_cam_table);
    StringGrid_cog = new CoggingGrid(GroupBox_cam_table, static_cast<uint8_t>(PageContext.load() & 1));
    table->addWidget(StringGrid_cog);
    middle->addWidget(GroupBox_cam_table);
    Panel_graph = new QWidget(this);
    Panel_graph->setObjectName("Panel_graph");
    Panel_graph->setMinimumSize(360, 240);
    middle->addWidget(Panel_graph, 1);
    root->addLayout(middle, 1);
    auto* buttons = new QHBoxLayout;
    BitBtn_close = Tool_button(this, "BitBtn_close", QString());
    buttons->addStretch(1);
    buttons->addWidget(BitBtn_close);
    root->addLayout(buttons);
    Panel_Stb = new QWidget(this);
    Panel_Stb->setObjectName("Panel_Stb");
    Panel_Stb->setFixedHeight(22);
    root->addWidget(Panel_Stb);

    status_ = std::make_unique<ToolStatusBar>(Panel_Stb, TForm_main::BarCogData, 1);
    connect(BitBtn_close, &QPushButton::clicked, this, [this] { done(2); });
    connect(BitBtn_unzoom, &QPushButton::clicked, this, &TForm_cog_dat::BitBtn_unzoomClick);
    connect(BitBtn2_zoom_in, &QPushButton::clicked, this, [this] {
        if (chart)
            Formx_cog_dat_zoom(*chart, -ZOOM_STEP);
    });
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        if (chart)
            Formx_cog_dat_zoom(*chart, ZOOM_STEP);
    });
}

TForm_cog_dat::~TForm_cog_dat() = default;

void TForm_cog_dat::done(int result)
{
    if (!closed_) {
        closed_ = true;
        chart.reset();
        status_.reset();
    }
    ToolDialog::done(result);
}

void TForm_cog_dat::FormShow()
{
    chart = std::make_unique<DiagramxLt>(Panel_graph, 1, COGGING_ENTRIES + 1);
    Formx_cog_dat_fill_chart(*this);
    StringGrid_cog->setRowCount(COGGING_ENTRIES + 1);
    StringGrid_cog->viewport()->update();
    setWindowTitle(Tool_text(CAPTION));
    BitBtn_close->setText(Tool_text(TOOL_CLOSE));
    GroupBox_cam_table->setTitle(Tool_text(TABLE));
    BitBtn_unzoom->setToolTip(Tool_text(UNZOOM_HINT));
}

void TForm_cog_dat::BitBtn_unzoomClick()
{
    if (!chart)
        return;
    chart->view.automatic = 1;
    Formx_cog_dat_fill_chart(*this);
}

void Formx_cog_dat_fill_chart(TForm_cog_dat& window)
{
    if (window.chart)
        Cogging_fill_chart(*window.chart, Cogging_table(window.StringGrid_cog->slot()));
}

void Formx_cog_dat_zoom(DiagramxLt& chart, double step)
{
    ChartChannelView& ch = chart.view.channels[0];
    double& maximum = chart.view.automatic ? ch.fixed_maximum : ch.zoom_maximum;
    double& minimum = chart.view.automatic ? ch.fixed_minimum : ch.zoom_minimum;
    const double half = std::fabs(maximum - minimum) * 0.5;
    const double centre = (maximum + minimum) * 0.5;
    double new_max = maximum + step * half;
    double new_min = minimum - step * half;
    if (step > 0) {
        new_max = std::min(new_max, ZOOM_LIMIT);
        new_min = std::max(new_min, -ZOOM_LIMIT);
    } else {
        if (new_max - centre < ZOOM_CLOSEST)
            new_max = centre + ZOOM_CLOSEST;
        if (centre - new_min < ZOOM_CLOSEST)
            new_min = centre - ZOOM_CLOSEST;
    }
    if (new_max == maximum && new_min == minimum)
        return;
    maximum = new_max;
    minimum = new_min;
    chart.Redraw();
}
