#pragma once
// Strdec: turns a drive text message (payload of a command-1 reply) into text.
//
// A message is a zero-terminated printf-like format followed by its arguments, packed without
// gaps in the drive's order: 4 bytes big-endian per integer, character, pointer or '*' width /
// precision, 8 bytes big-endian (IEEE 754 double) per floating conversion, the zero-terminated
// text itself per %s; %% and %n take nothing.
//
// The format is never handed to printf: each conversion is rebuilt from its flags, width,
// precision and 'h' only and formatted with an argument of the matching type. Drive input is
// untrusted: missing arguments print 0 (or nothing for %s), a format without its zero ends at
// the payload end, %n writes nothing, widths and precisions are clamped.
#include <cstddef>
#include <cstdint>

constexpr std::size_t STRDEC_TEXT_MAX = 301;                   // characters produced at most
constexpr std::size_t STRDEC_OUT_SIZE = STRDEC_TEXT_MAX + 1;   // text buffer with its zero
constexpr std::size_t STRDEC_SLOT_COUNT = 10;                  // %s conversions with text per message
constexpr std::size_t STRDEC_SLOT_SIZE = 50;                   // a %s text keeps at most 49 characters
constexpr int STRDEC_WIDTH_MAX = static_cast<int>(STRDEC_TEXT_MAX);
constexpr int STRDEC_PRECISION_MAX = static_cast<int>(STRDEC_TEXT_MAX);

// Formats the message of len bytes into out and returns the number of characters produced
// (at most STRDEC_TEXT_MAX). out[result] is 0; earlier bytes may be 0 too (a %c of 0).
// The message is not modified; msg may be null when len is 0.
std::size_t Strdec_format(char (&out)[STRDEC_OUT_SIZE], const uint8_t* msg, std::size_t len);

// 1 and *letter = c when c is one of the conversion letters "cdieEfgGosuxXpn%", else 0.
int Strdec_is_conv(char c, char* letter);
