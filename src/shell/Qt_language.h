#pragma once
// Qt's own texts (standard buttons, the file, colour and message dialogs, edit menus) in the
// program's language.
#include <cstdint>

// Replaces Qt's translation with the one of `language` (0 Italian, 1 English: none, 2 French).
void Qt_language_apply(uint8_t language);
