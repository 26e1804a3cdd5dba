#pragma once
// Texts of the scope window, by language (Italian, English, French), UTF-8.
#include <QString>

#include "drivedata/Globvar.h"

using OscxText = const char* const[3];

inline QString Oscx_text(const char* const text[3])
{
    return QString::fromUtf8(text[Lang_index()]);
}

// Window parts whose caption is one of these texts: object names and the text.
struct OscxCaption {
    const char* name;
    const char* text[3];
};
extern const OscxCaption OscxCaptions[];
extern const std::size_t OscxCaptionCount;
// The caption of the named window part in the current language.
QString Oscx_caption(const char* name);

extern OscxText OSCX_TITLE;
extern OscxText OSCX_NO_PRINTER;
extern OscxText OSCX_NO_PRINT_DATA;
extern OscxText OSCX_POWER_ON;
extern OscxText OSCX_OVERFLOW_QUESTION;
extern OscxText OSCX_SHOW_HIDE;
extern OscxText OSCX_CHANGE_COLOUR;
extern OscxText OSCX_AUTOMATIC;
extern OscxText OSCX_FIXED;
