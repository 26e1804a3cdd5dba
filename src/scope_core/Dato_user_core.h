#pragma once
// The rules of the scope's value edits without a window: the decimal parser, text validity, key
// filtering, number formatting and the range messages. Values are raw integers: the shown number
// times 10 to the power of the decimals. No Qt; the decimal separator is the caller's.
#include <cstdint>
#include <string>

constexpr uint8_t DATO_DECIMALS_MAX = 4;    // more counts as 4
constexpr std::size_t DATO_TEXT_MAX = 19;   // a longer text is not a number

// Decimals as the scale and format tables take them (0..4).
uint8_t Dato_decimals(unsigned decimals);
// 10 to the power of the decimals: 1 .. 10000.
int32_t Dato_scale(unsigned decimals);

// Raw value of a decimal text: digits after the separator beyond `decimals` are dropped, missing
// ones count as 0, a '-' negates, other characters are skipped. 64-bit, saturating far beyond
// the 32-bit range.
int64_t ParseScaledDecimal(const std::string& text, unsigned decimals, char separator);

// True when every character is a digit or backspace, at most one separator (decimals > 0 only) and
// at most one '-' (min < 0 only), and the text has at most DATO_TEXT_MAX characters.
bool Dato_text_valid(const std::string& text, unsigned decimals, int32_t min, char separator);
// The typed value: the bound value for an empty text, "-" alone or the separator alone, and for an
// invalid text; else the parsed text.
int64_t Dato_typed_value(const std::string& text, unsigned decimals, int32_t min, char separator, int64_t bound);

// Raw value shown with the decimals: "-0.50" for -50 with 2 decimals.
std::string Dato_format(int64_t raw, unsigned decimals, char separator);

// A '-' that is not the first character moves to the front ("12-3" -> "-123").
std::string Dato_minus_to_front(const std::string& text);

// What a typed character does to the edit.
enum class DatoKey : uint8_t {
    Pass,      // the edit takes the key as typed
    Drop,      // nothing happens
    Replace,   // the edit takes `key` instead (the separator)
    Rewrite,   // the key is consumed; the edit takes `text` and `caret` (the sign toggled)
    Check,     // Enter: validate and store with the name's message
};
struct DatoKeyResult {
    DatoKey action = DatoKey::Drop;
    char key = 0;
    std::string text;
    int caret = 0;
};
DatoKeyResult Dato_key_rule(const std::string& text, int caret, char key, unsigned decimals, int32_t min,
                            char separator);

// "Il valore deve essere compreso tra : [0.0  e  100.0] !"; named (Enter in the edit):
// "<name> deve essere tra : [0.0  e  100.0] !". Language 0 Italian, 1 English, 2 French; UTF-8.
std::string Dato_range_message(bool named, const std::string& name, int32_t min, int32_t max, unsigned decimals,
                               char separator, unsigned language);
// "Range: [min ÷ max]", UTF-8.
std::string Dato_range_hint(int32_t min, int32_t max, unsigned decimals, char separator);
