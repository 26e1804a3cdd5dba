// The colour dialog through one gateway.
#include "shell/Colordlg.h"

#include <QColorDialog>

#include "controls/Graph_draw.h"

namespace {

ColordlgSink& sink()
{
    static ColordlgSink s;
    return s;
}

}  // namespace

ColordlgSink Colordlg_set_sink(ColordlgSink s)
{
    ColordlgSink old = std::move(sink());
    sink() = std::move(s);
    return old;
}

std::optional<uint32_t> Colordlg_run(QWidget* parent, uint32_t initial)
{
    if (sink())
        return sink()(initial & 0xFFFFFF);
    // Qt's own dialog speaks the program's language; a native one the system's.
    const QColor c = QColorDialog::getColor(bgr(initial), parent, QString(), QColorDialog::DontUseNativeDialog);
    if (!c.isValid())
        return std::nullopt;
    return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
}
