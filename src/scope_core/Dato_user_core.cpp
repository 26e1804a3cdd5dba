// Rules of the scope's value edits: parser, validity, keys, formatting and messages.
#include "scope_core/Dato_user_core.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int32_t SCALES[DATO_DECIMALS_MAX + 1] = {1, 10, 100, 1000, 10000};
constexpr int64_t SATURATE = 1'000'000'000'000'000;  // far beyond every 32-bit raw value
constexpr char KEY_CTRL_C = 3, KEY_BACKSPACE = 8, KEY_ENTER = 13, KEY_CTRL_V = 22, KEY_CTRL_Z = 26;

const char* const RANGE_TEXT[3] = {"Il valore deve essere compreso tra : ", "Value must be between : ",
                                   "La valeur doit être comprise entre: "};
const char* const NAMED_TEXT[3] = {" deve essere tra : ", " must be between : ", " doit être compris entre : "};
const char* const AND_TEXT[3] = {"  e  ", "  and  ", "  et  "};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

uint8_t Dato_decimals(unsigned decimals)
{
    return static_cast<uint8_t>(std::min<unsigned>(decimals, DATO_DECIMALS_MAX));
}

int32_t Dato_scale(unsigned decimals)
{
    return SCALES[Dato_decimals(decimals)];
}

int64_t ParseScaledDecimal(const std::string& text, unsigned decimals, char separator)
{
    std::string buf = text.substr(0, DATO_TEXT_MAX + 1);
    const unsigned d = Dato_decimals(decimals);
    if (d > 0) {
        const std::size_t p = buf.find(separator);
        if (p == std::string::npos)
            buf.append(d, '0');
        else if (buf.size() - (p + 1) >= d)
            buf.resize(p + 1 + d);
        else
            buf.append(p + 1 + d - buf.size(), '0');
    }
    int64_t acc = 0;
    int64_t weight = 1;
    for (auto it = buf.rbegin(); it != buf.rend(); ++it) {
        if (is_digit(*it)) {
            const int64_t digit = *it - '0';
            if (digit != 0)
                acc = weight >= SATURATE || std::llabs(acc) >= SATURATE ? (acc < 0 ? -SATURATE : SATURATE)
                                                                        : acc + digit * weight;
            if (weight < SATURATE)
                weight *= 10;
        } else if (*it == '-') {
            acc = -acc;
        }
    }
    return acc;
}

bool Dato_text_valid(const std::string& text, unsigned decimals, int32_t min, char separator)
{
    if (text.size() > DATO_TEXT_MAX)
        return false;
    int separators = 0, minus = 0;
    for (const char c : text) {
        if (is_digit(c) || c == KEY_BACKSPACE)
            continue;
        if (c == separator && Dato_decimals(decimals) > 0 && ++separators == 1)
            continue;
        if (c == '-' && min < 0 && ++minus == 1)
            continue;
        return false;
    }
    return true;
}

int64_t Dato_typed_value(const std::string& text, unsigned decimals, int32_t min, char separator, int64_t bound)
{
    if (text.empty() || text == "-" || text == std::string(1, separator))
        return bound;
    if (!Dato_text_valid(text, decimals, min, separator))
        return bound;
    return ParseScaledDecimal(text, decimals, separator);
}

std::string Dato_format(int64_t raw, unsigned decimals, char separator)
{
    const unsigned d = Dato_decimals(decimals);
    const uint64_t magnitude = raw < 0 ? uint64_t(0) - uint64_t(raw) : uint64_t(raw);
    const uint64_t scale = uint64_t(SCALES[d]);
    std::string out = raw < 0 ? "-" : "";
    out += std::to_string(magnitude / scale);
    if (d > 0) {
        std::string frac = std::to_string(magnitude % scale);
        out += separator;
        out += std::string(d - frac.size(), '0') + frac;
    }
    return out;
}

std::string Dato_minus_to_front(const std::string& text)
{
    const std::size_t p = text.find('-');
    if (p == std::string::npos || p == 0)
        return text;
    return "-" + text.substr(0, p) + text.substr(p + 1);
}

DatoKeyResult Dato_key_rule(const std::string& text, int caret, char key, unsigned decimals, int32_t min,
                            char separator)
{
    DatoKeyResult r;
    r.key = key;
    switch (key) {
    case KEY_ENTER: r.action = DatoKey::Check; return r;
    case KEY_CTRL_C:
    case KEY_CTRL_V:
    case KEY_CTRL_Z:
    case KEY_BACKSPACE: r.action = DatoKey::Pass; return r;
    case ',':
    case '.':
        if (Dato_decimals(decimals) == 0 || text.find(separator) != std::string::npos)
            return r;
        r.action = DatoKey::Replace;
        r.key = separator;
        return r;
    case '-':
        if (min >= 0)
            return r;
        r.action = DatoKey::Rewrite;
        if (text.find('-') != std::string::npos) {
            r.text = text.substr(1);
            r.caret = std::max(0, caret - 1);
        } else {
            r.text = "-" + text;
            r.caret = caret + 1;
        }
        return r;
    default:
        if (is_digit(key))
            r.action = DatoKey::Pass;
        return r;
    }
}

std::string Dato_range_message(bool named, const std::string& name, int32_t min, int32_t max, unsigned decimals,
                               char separator, unsigned language)
{
    const unsigned l = language < 3 ? language : 1;
    std::string text = named ? name + NAMED_TEXT[l] : RANGE_TEXT[l];
    return text + "[" + Dato_format(min, decimals, separator) + AND_TEXT[l] + Dato_format(max, decimals, separator) +
           "]" + " !";
}

std::string Dato_range_hint(int32_t min, int32_t max, unsigned decimals, char separator)
{
    return "Range: [" + Dato_format(min, decimals, separator) + " \u00F7 " + Dato_format(max, decimals, separator) +
           "]";
}
