#pragma once
// Drawing helpers shared by the status bars, panes, grids, gauges and picture boxes.
//
// All routines paint through a Canvas: a QPainter with its own brush, pen, font and font colour.
// Routines read that state as the callers left it and change it as documented per routine.
#include <cstddef>
#include <cstdint>
#include <functional>

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QSize>
#include <QString>
#include <QWidget>

// 0x00BBGGRR colour value (red in the low byte) to QColor.
constexpr QRgb bgr_to_rgb(uint32_t v)
{
    return 0xFF000000u | ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
}
inline QColor bgr(uint32_t v) { return QColor::fromRgb(bgr_to_rgb(v)); }

// Fixed colours.
inline const QColor clBtnFace{0xF0, 0xF0, 0xF0};
inline const QColor clInactiveCaption{0xBF, 0xCD, 0xDB};
inline const QColor clWindowText{0x00, 0x00, 0x00};
inline const QColor clBlack = bgr(0x000000);
inline const QColor clWhite = bgr(0xFFFFFF);
inline const QColor clGray = bgr(0x808080);
inline const QColor clSilver = bgr(0xC0C0C0);
inline const QColor clRed = bgr(0x0000FF);
inline const QColor clMaroon = bgr(0x000080);
inline const QColor clGreen = bgr(0x008000);
inline const QColor clLime = bgr(0x00FF00);
inline const QColor clYellow = bgr(0x00FFFF);
inline const QColor clBlue = bgr(0xFF0000);
inline const QColor clNavy = bgr(0x800000);

// Gives a widget's text the colour in every palette group, the disabled one included, so that
// a disabled control keeps the colour chosen for it.
void Graph_set_text_colour(QWidget* widget, const QColor& colour);

// A tool button's icon from a picture: the picture in the normal mode and a faded grey copy in the
// disabled mode, so that a disabled button looks disabled whatever icon engine the platform uses.
QIcon Graph_tool_icon(const QIcon& picture);
// The disabled look of a picture: grey, lightened towards the button face, half transparent.
QImage Graph_disabled_picture(const QImage& picture);

// Rectangle as left, top, right, bottom. Fills and text use right and bottom as exclusive edges.
struct DrawRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    QRect to_qrect() const { return QRect(left, top, right - left, bottom - top); }
};

// Painter plus the drawing state the routines rely on.
class Canvas {
public:
    Canvas();
    explicit Canvas(QPaintDevice* device);  // paints on device until end()
    explicit Canvas(QPainter* external);    // borrows an active painter (paint events, delegates)
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool begin(QPaintDevice* device);
    void end();
    bool active() const;
    QPainter* painter() const { return painter_; }

    // Clip rectangle, or the whole device when no clip is set.
    QRect clip_rect() const;

    int text_width(const QString& text) const;
    int text_height() const;

    // Primitives with the canvas state.
    void fill_rect(const DrawRect& r);                  // brush only
    void rectangle(const DrawRect& r);                  // pen outline inside r, brush interior
    void polygon(const QPoint* points, int count);      // pen outline, brush interior
    void polyline(const QPoint* points, int count);     // pen only
    void text_out(int x, int top, const QString& text); // top = top of the text cell

    QBrush brush{Qt::white, Qt::SolidPattern};
    QPen pen{Qt::black, 1, Qt::SolidLine};
    QFont font;
    QColor font_colour{Qt::black};
    // How far the widest text that Graph_draw_text_rect drew ran beyond its rectangle (0: none).
    int text_overflow = 0;

private:
    void apply_pen_brush();

    QPainter own_;
    QPainter* painter_ = nullptr;
};

// Widget holding a picture (QImage) with a canvas on it.
class ImageBox : public QWidget {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent = nullptr);
    ~ImageBox() override;

    const QImage& image() const { return image_; }
    // The canvas on the picture; creates the picture at the widget's size on first use.
    Canvas& canvas();
    // Resizes the picture, keeping its content at the top left (new area in button face).
    void set_image_size(int width, int height);
    // With auto size on, the widget always takes the picture's size.
    void set_auto_size(bool on);
    bool auto_size() const { return auto_size_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
    Canvas canvas_;
    bool auto_size_ = false;
};

// Alignment codes of the text routines.
enum : uint8_t { AlignLeft = 0, AlignRight = 1, AlignCentre = 2 };

// Fills r with the brush, then draws text (font, font colour) vertically centred and clipped to r.
void Graph_draw_text_rect(Canvas& canvas, const DrawRect& r, uint8_t align, const QString& text);

// Width and height of text in the font.
QSize Graph_draw_text_size(const QString& text, const QFont& font);
// Same with a font given by name, size in points and pixels per inch.
QSize Graph_draw_text_size_font(const QString& text, const QString& font_name, int font_size, int pixels_per_inch);

// Fills the clip rectangle with colour; the brush keeps the colour.
void Graph_draw_fill(Canvas& canvas, const QColor& colour);

// Four bevel trapezoids of width w inside r (right and bottom taken as inclusive after -1).
// Width 0 gives a one-pixel frame. The brush colour is kept; the pen takes the last side's colour.
void Graph_draw_bevel_frame(Canvas& canvas, const DrawRect& r, uint8_t w, const QColor& left, const QColor& top,
                            const QColor& right, const QColor& bottom);

// 3-D box: raised (flag 1) or sunken (any other value), optional black outline, face and caption.
void Graph_draw_button(Canvas& canvas, const DrawRect& r, const QColor& face, uint8_t w, uint8_t raised,
                       uint8_t outline, uint8_t align, const QString& text);

// White box, bar of position/maximum and the percentage text inverted over both.
// Maximum 0 or an empty rectangle draws nothing. Needs a raster (QImage or widget) target.
void Graph_draw_progress_bar(Canvas& canvas, const DrawRect& r, const QColor& bar, uint32_t maximum,
                             uint32_t position, int16_t font_size);

// Decodes a JPEG held in memory and draws it opaque on the box's picture, centred when smaller.
// Returns false, drawing nothing, when the data are not a decodable JPEG.
bool Graph_draw_jpeg_from_memory(ImageBox* box, const uint8_t* data, size_t size);

// Caption box with "value unit" and a segmented vertical bar lit up to the value.
// value, nominal, factor (full scale = factor x nominal), warning fraction of nominal.
// Nominal or factor not above 0 leaves every segment unlit.
void Graph_draw_gauge(Canvas& canvas, const DrawRect& r, double value, double nominal, double factor,
                      double warning, const QString& format, const QString& unit);

// Formats a number with a pattern of '0' (digit), '#' (optional digit), '.' (decimal separator),
// ',' (thousands grouping), "e+" / "e-" (scientific: a mantissa of one integer digit, 'e', the
// exponent's sign always or only when negative, then at least as many exponent digits as '0's
// follow) and literal text ('...' or "..." quoted, or plain). Locale separators; never "-0".
QString Graph_format_float(const QString& pattern, double value);

// A number with at most `decimals` decimals (rounded), as many as `fits` accepts: decimals are
// dropped from the right, then the separator. When the sign and the integer digits alone do not
// fit, the exponent form ("-3.09e+4") with as many mantissa decimals as fit; when not even that
// fits, GRAPH_NO_FIT. No digit of a number is ever cut away.
inline constexpr const char* GRAPH_NO_FIT = "###";
QString Graph_format_fit(double value, int decimals, const std::function<bool(const QString&)>& fits);
