#pragma once
// The font families the windows ask for, mapped to fixed faces of installed Debian packages
// (fonts-dejavu-core, fonts-liberation), so that text and layout do not move with whatever other
// fonts the machine has.
#include <span>

struct FontMapping {
    const char* requested;  // family named by the windows
    const char* face;       // installed face drawn instead
};

// Every mapping; the first row's face is the application's default font.
std::span<const FontMapping> Fonts_mappings();

constexpr int FONT_DEFAULT_POINTS = 9;

// Hides installed fonts of the requested names (fontconfig), so that Qt's substitution applies
// to every one of them, maps each requested name to its face and sets the default font. Call
// once at start-up, before the application object is built.
void Fonts_install();
