// Font mapping at start-up. Qt substitutes a family only when no font of that name is installed,
// so real fonts of the requested names are first rejected from fontconfig's font set.
#include "controls/Fonts.h"

#include <string>

#include <QApplication>
#include <QFont>

#include <fontconfig/fontconfig.h>

namespace {

// MS Sans Serif and MS Serif take DejaVu, which the layout was made with; the others take the
// metric-compatible Liberation faces.
const FontMapping FONT_MAPPINGS[] = {
    {"MS Sans Serif", "DejaVu Sans"},
    {"MS Serif", "DejaVu Serif"},
    {"Arial", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
};

// fontconfig rules that leave fonts of the requested names out of the font set.
std::string reject_rules()
{
    std::string xml = "<fontconfig><selectfont><rejectfont>";
    for (const FontMapping& m : FONT_MAPPINGS)
        xml += std::string("<pattern><patelt name=\"family\"><string>") + m.requested +
               "</string></patelt></pattern>";
    return xml + "</rejectfont></selectfont></fontconfig>";
}

// The machine's configuration plus the rejections becomes the process's current one (kept for
// the life of the process). Without fontconfig nothing is hidden.
void hide_requested_families()
{
    FcConfig* config = FcInitLoadConfig();
    if (!config)
        return;
    const std::string rules = reject_rules();
    if (FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(rules.c_str()), FcTrue) &&
        FcConfigBuildFonts(config) && FcConfigSetCurrent(config))
        return;
    FcConfigDestroy(config);
}

}  // namespace

std::span<const FontMapping> Fonts_mappings() { return FONT_MAPPINGS; }

void Fonts_install()
{
    hide_requested_families();
    for (const FontMapping& m : FONT_MAPPINGS)
        QFont::insertSubstitution(QString::fromLatin1(m.requested), QString::fromLatin1(m.face));
    QApplication::setFont(QFont(QString::fromLatin1(FONT_MAPPINGS[0].face), FONT_DEFAULT_POINTS));
}
