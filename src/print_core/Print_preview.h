#pragma once
// Preview geometry shared by the parameter and the trace preview: where the paper lies on the
// preview image, the scroll bars it needs, the paper painting and the 100 % resolution.
#include <QImage>
#include <QSize>

struct PrintPageRec;

// Where the paper lies on a preview image and which scroll bars the panel shows.
struct PreviewLayout {
    QSize image;                  // the panel less the visible bars
    bool bar_x = false, bar_y = false;
    int max_x = 0, max_y = 0;     // scroll ranges 0..max (page step = image side)
    int pos_x = 0, pos_y = 0;     // positions kept within the ranges
    int origin_x = 0, origin_y = 0;
};
// Paper of `paper` pixels in a panel: a side wider than the image scrolls (origin = -position),
// a narrower one is centred. Repeats while a bar's visibility changes, at most three passes.
PreviewLayout Print_preview_layout(QSize panel, QSize paper, int bar_thickness, int pos_x, int pos_y);
// Paper size on the preview at the page's resolution (A4 table without a printer).
QSize Print_preview_paper_size(const PrintPageRec& page);
// Paints the paper: white when it covers the image, else silver with the white paper, its black
// outline and a 4-pixel shadow right and below.
void Print_preview_draw_paper(QImage& image, const PrintPageRec& page);
// Pixels per inch at which an A4 width fills the panel, at least 1.
int Print_preview_full_width_ppi(int panel_width);

