#include "drivedata/Strdec.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

namespace {

enum class ArgKind : uint8_t { None, Int, Unsigned, Pointer, Double, Text, Percent };

// Per conversion letter: the argument it takes and what of the drive's conversion is passed on
// (only the flags, precision and 'h' that are defined for that letter).
struct ConvRule {
    char letter;
    ArgKind kind;
    const char* flags;
    bool precision;
    bool h;
};

constexpr ConvRule kRules[] = {
    {'c', ArgKind::Int, "-", false, false},
    {'d', ArgKind::Int, "-+ 0", true, true},
    {'i', ArgKind::Int, "-+ 0", true, true},
    {'e', ArgKind::Double, "-+ #0", true, false},
    {'E', ArgKind::Double, "-+ #0", true, false},
    {'f', ArgKind::Double, "-+ #0", true, false},
    {'g', ArgKind::Double, "-+ #0", true, false},
    {'G', ArgKind::Double, "-+ #0", true, false},
    {'o', ArgKind::Unsigned, "-#0", true, true},
    {'s', ArgKind::Text, "-", true, false},
    {'u', ArgKind::Unsigned, "-0", true, true},
    {'x', ArgKind::Unsigned, "-#0", true, true},
    {'X', ArgKind::Unsigned, "-#0", true, true},
    {'p', ArgKind::Pointer, "-", false, false},
    {'n', ArgKind::None, "", false, false},
    {'%', ArgKind::Percent, "", false, false},
};

const ConvRule* find_rule(char c)
{
    for (const ConvRule& r : kRules)
        if (r.letter == c) return &r;
    return nullptr;
}

// Walks the argument area; whatever is missing reads as 0 or as an empty text.
class ArgReader {
public:
    ArgReader(const uint8_t* msg, std::size_t pos, std::size_t end) : msg_(msg), pos_(pos), end_(end) {}

    uint64_t be(std::size_t n)
    {
        if (end_ - pos_ < n) {
            pos_ = end_;
            return 0;
        }
        uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i) v = (v << 8) | msg_[pos_ + i];
        pos_ += n;
        return v;
    }
    int32_t i32() { return static_cast<int32_t>(static_cast<uint32_t>(be(4))); }
    uint32_t u32() { return static_cast<uint32_t>(be(4)); }
    double f64() { return std::bit_cast<double>(be(8)); }

    // Copies the inline text (at most STRDEC_SLOT_SIZE - 1 characters) and steps past its zero,
    // or to the end of the message when it has none.
    void text(char (&slot)[STRDEC_SLOT_SIZE])
    {
        const std::size_t avail = end_ - pos_;
        const uint8_t* start = msg_ + pos_;
        const void* zero = avail ? std::memchr(start, 0, avail) : nullptr;
        const std::size_t n = zero ? static_cast<std::size_t>(static_cast<const uint8_t*>(zero) - start) : avail;
        const std::size_t kept = std::min(n, STRDEC_SLOT_SIZE - 1);
        if (kept) std::memcpy(slot, start, kept);
        slot[kept] = 0;
        pos_ += zero ? n + 1 : n;
    }

private:
    const uint8_t* msg_;
    std::size_t pos_;
    std::size_t end_;
};

// The bounded output text.
class TextOut {
public:
    explicit TextOut(char (&out)[STRDEC_OUT_SIZE]) : out_(out) {}

    bool full() const { return n_ >= STRDEC_TEXT_MAX; }
    std::size_t size() const { return n_; }
    void put(char c)
    {
        if (!full()) out_[n_++] = c;
    }
    // spec is built by this unit from validated parts only.
    template <typename T>
    void format(const char* spec, T value)
    {
        const int r = std::snprintf(out_ + n_, STRDEC_OUT_SIZE - n_, spec, value);
        if (r > 0) n_ += std::min(static_cast<std::size_t>(r), STRDEC_TEXT_MAX - n_);
    }
    void finish() { out_[n_] = 0; }

private:
    char* out_;
    std::size_t n_ = 0;
};

// One conversion as the drive wrote it, reduced to what is passed on.
struct Conversion {
    const ConvRule* rule = nullptr;
    char flags[8] = {};
    int width = -1;
    int precision = -1;
    bool h = false;

    void add_flag(char f)
    {
        const std::size_t n = std::strlen(flags);
        if (!std::strchr(flags, f) && n + 1 < sizeof flags) flags[n] = f;
    }
};

int clamp_add_digit(int v, char d, int max)
{
    return std::min(std::max(v, 0) * 10 + (d - '0'), max);
}

// Reads the characters after '%' up to the conversion letter; '*' takes its argument here.
// Returns the index after the letter; conv.rule stays null when the format ends first.
std::size_t parse_conversion(const char* fmt, std::size_t i, std::size_t end, ArgReader& args,
                             Conversion& conv)
{
    enum Stage { Flags, Width, WidthStar, Precision, PrecisionDigits, PrecisionStar, Rest };
    Stage stage = Flags;
    for (; i < end; ++i) {
        const char c = fmt[i];
        if (const ConvRule* rule = find_rule(c)) {
            conv.rule = rule;
            return i + 1;
        }
        if (stage == Flags && std::strchr("-+ #0", c)) {
            conv.add_flag(c);
        } else if (c >= '0' && c <= '9') {
            if (stage == Flags || stage == Width) {
                stage = Width;
                conv.width = clamp_add_digit(conv.width, c, STRDEC_WIDTH_MAX);
            } else if (stage == Precision || stage == PrecisionDigits) {
                stage = PrecisionDigits;
                conv.precision = clamp_add_digit(conv.precision, c, STRDEC_PRECISION_MAX);
            }
        } else if (c == '*') {
            const int64_t v = args.i32();  // every '*' takes its argument
            if (stage == Flags) {
                stage = WidthStar;
                if (v < 0) conv.add_flag('-');
                conv.width = static_cast<int>(std::min<int64_t>(v < 0 ? -v : v, STRDEC_WIDTH_MAX));
            } else if (stage == Precision) {
                stage = PrecisionStar;
                conv.precision = v < 0 ? -1 : static_cast<int>(std::min<int64_t>(v, STRDEC_PRECISION_MAX));
            }
        } else if (c == '.' && stage <= WidthStar) {
            stage = Precision;
            conv.precision = 0;
        } else {
            if (c == 'h') conv.h = true;
            stage = Rest;  // size letters and anything else: dropped
        }
    }
    return end;
}

// Builds "%<flags><width>.<precision>[h]<letter>" from the parts the rule allows.
void build_spec(const Conversion& conv, char (&spec)[32])
{
    const ConvRule& r = *conv.rule;
    std::size_t n = 0;
    spec[n++] = '%';
    for (const char* f = conv.flags; *f; ++f)
        if (std::strchr(r.flags, *f)) spec[n++] = *f;
    if (conv.width >= 0) n += static_cast<std::size_t>(std::snprintf(spec + n, sizeof spec - n, "%d", conv.width));
    if (r.precision && conv.precision >= 0)
        n += static_cast<std::size_t>(std::snprintf(spec + n, sizeof spec - n, ".%d", conv.precision));
    if (r.h && conv.h) spec[n++] = 'h';
    spec[n++] = r.letter;
    spec[n] = 0;
}

void emit(const Conversion& conv, ArgReader& args, TextOut& text, std::size_t& texts_seen)
{
    char spec[32];
    build_spec(conv, spec);
    switch (conv.rule->kind) {
    case ArgKind::Percent:
        text.put('%');
        break;
    case ArgKind::None:  // %n stores nothing and takes no argument
        break;
    case ArgKind::Int:
        text.format(spec, static_cast<int>(args.i32()));
        break;
    case ArgKind::Unsigned:
        text.format(spec, static_cast<unsigned>(args.u32()));
        break;
    case ArgKind::Pointer:
        text.format(spec, reinterpret_cast<const void*>(static_cast<uintptr_t>(args.u32())));
        break;
    case ArgKind::Double:
        text.format(spec, args.f64());
        break;
    case ArgKind::Text: {
        char slot[STRDEC_SLOT_SIZE];
        args.text(slot);
        if (texts_seen++ >= STRDEC_SLOT_COUNT) slot[0] = 0;  // beyond the slots: consumed, not shown
        text.format(spec, static_cast<const char*>(slot));
        break;
    }
    }
}

}  // namespace

std::size_t Strdec_format(char (&out)[STRDEC_OUT_SIZE], const uint8_t* msg, std::size_t len)
{
    TextOut text(out);
    if (!msg || len == 0) {
        text.finish();
        return 0;
    }
    const char* fmt = reinterpret_cast<const char*>(msg);
    const void* zero = std::memchr(msg, 0, len);
    const std::size_t fmt_len = zero ? static_cast<std::size_t>(static_cast<const uint8_t*>(zero) - msg) : len;
    ArgReader args(msg, std::min(fmt_len + 1, len), len);

    std::size_t texts_seen = 0;
    std::size_t i = 0;
    while (i < fmt_len && !text.full()) {
        const char c = fmt[i++];
        if (c != '%') {
            text.put(c);
            continue;
        }
        Conversion conv;
        i = parse_conversion(fmt, i, fmt_len, args, conv);
        if (!conv.rule) break;  // the format ended inside a conversion
        emit(conv, args, text, texts_seen);
    }
    text.finish();
    return text.size();
}

int Strdec_is_conv(char c, char* letter)
{
    if (!find_rule(c)) return 0;
    if (letter) *letter = c;
    return 1;
}
