#pragma once
// Default language of the system: 0 Italian, 1 English (the only two defaults the program uses).
// Taken from the first non-empty of LC_ALL, LC_MESSAGES and LANG: Italian when it starts with "it".
unsigned Syslang_default_language();
