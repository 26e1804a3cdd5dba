// The scope's value-edit rules: parser, validity, keys, formatting and messages.
#include <gtest/gtest.h>

#include <string>

#include "scope_core/Dato_user_core.h"

namespace {

TEST(DatoParse, TruncatesPadsAndSigns)
{
    struct Case {
        const char* text;
        unsigned decimals;
        int64_t raw;
    } cases[] = {
        {"12.3456", 2, 1234}, {"12.3", 2, 1230},  {"12", 2, 1200},          {"-0.5", 2, -50},
        {"1.23456", 2, 123},  {"1.2", 2, 120},    {"4294967297", 0, 4294967297LL},
        {"120.5", 1, 1205},   {"7", 9, 70000},    {"9999999999999999999", 4, 1'000'000'000'000'000LL},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseScaledDecimal(c.text, c.decimals, '.'), c.raw) << c.text;
    EXPECT_EQ(ParseScaledDecimal("-3,25", 2, ','), -325);
}

TEST(DatoParse, TypedValueFallsBackToTheBoundValue)
{
    const int64_t bound = 77;
    struct Case {
        const char* text;
        unsigned decimals;
        int32_t min;
        int64_t expect;
    } cases[] = {
        {"", 1, -10, bound},          {"-", 1, -10, bound},          {".", 1, -10, bound},
        {"1.2.3", 1, -10, bound},     {"1.5", 0, -10, bound},        {"-1", 0, 0, bound},
        {"--1", 0, -10, bound},       {"1a", 0, -10, bound},         {"12345678901234567890", 0, -10, bound},
        {"123456789012345", 0, -10, 123456789012345LL},    {"-2.5", 1, -100, -25},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Dato_typed_value(c.text, c.decimals, c.min, '.', bound), c.expect) << c.text;
}

TEST(DatoFormat, DecimalsAndSigns)
{
    EXPECT_EQ(Dato_format(-50, 2, '.'), "-0.50");
    EXPECT_EQ(Dato_format(1000, 1, ','), "100,0");
    EXPECT_EQ(Dato_format(INT32_MIN, 0, '.'), "-2147483648");
    EXPECT_EQ(Dato_format(12345, 9, '.'), "1.2345");  // more than 4 decimals count as 4
    EXPECT_EQ(Dato_scale(9), 10000);
}

// A keystroke script: each key applied to (text, caret) as the edit would.
struct Edit {
    std::string text;
    int caret;
};
Edit type(Edit e, const std::string& keys, unsigned decimals, int32_t min, char sep = '.')
{
    for (const char k : keys) {
        const DatoKeyResult r = Dato_key_rule(e.text, e.caret, k, decimals, min, sep);
        switch (r.action) {
        case DatoKey::Pass:
        case DatoKey::Replace:
            e.text.insert(std::size_t(e.caret), 1, r.key);
            ++e.caret;
            break;
        case DatoKey::Rewrite: e = {r.text, r.caret}; break;
        default: break;
        }
    }
    return e;
}

TEST(DatoKeys, Scripts)
{
    struct Case {
        const char* start;
        int caret;
        const char* keys;
        unsigned decimals;
        int32_t min;
        const char* text;
        int end_caret;
    } cases[] = {
        {"12", 1, "--", 2, -100, "12", 1},    // sign toggled twice: text and caret restored
        {"12", 2, "-", 2, -100, "-12", 3},
        {"-12", 0, "-", 2, -100, "12", 0},    // caret never below 0
        {"5", 1, ".3", 0, -100, "53", 2},     // no separator with 0 decimals
        {"5", 1, ".,3", 1, 0, "5.3", 3},      // the second separator is dropped
        {"12", 2, "-", 0, 1, "12", 2},        // no sign where min >= 0
        {"12", 2, "-", 0, 0, "12", 2},
        {"", 0, "1a\t x2", 0, 0, "12", 2},    // other characters dropped
    };
    for (const Case& c : cases) {
        const Edit e = type({c.start, c.caret}, c.keys, c.decimals, c.min);
        EXPECT_EQ(e.text, c.text) << c.start << " + " << c.keys;
        EXPECT_EQ(e.caret, c.end_caret) << c.start << " + " << c.keys;
    }
    EXPECT_EQ(type({"1", 1}, ".", 1, 0, ',').text, "1,");  // '.' types the locale's separator
    EXPECT_EQ(Dato_key_rule("1", 1, 13, 0, 0, '.').action, DatoKey::Check);
    for (const char k : {char(3), char(22), char(26), char(8)})
        EXPECT_EQ(Dato_key_rule("1", 1, k, 0, 0, '.').action, DatoKey::Pass) << int(k);
    EXPECT_EQ(Dato_key_rule("1", 1, char(24), 0, 0, '.').action, DatoKey::Drop);  // Ctrl+X
}

TEST(DatoKeys, MinusMovesToTheFront)
{
    EXPECT_EQ(Dato_minus_to_front("12-3"), "-123");
    EXPECT_EQ(Dato_minus_to_front("-12"), "-12");
    EXPECT_EQ(Dato_minus_to_front("12"), "12");
}

TEST(DatoMessages, AsPrintedInEachLanguage)
{
    EXPECT_EQ(Dato_range_message(false, "", 0, 1000, 1, '.', 0), "Il valore deve essere compreso tra : [0.0  e  100.0] !");
    EXPECT_EQ(Dato_range_message(true, "Corrente [%]", 0, 1000, 1, '.', 0),
              "Corrente [%] deve essere tra : [0.0  e  100.0] !");
    EXPECT_EQ(Dato_range_message(false, "", INT32_MIN, INT32_MAX, 0, '.', 0),
              "Il valore deve essere compreso tra : [-2147483648  e  2147483647] !");
    EXPECT_EQ(Dato_range_message(false, "", -5, 5, 0, '.', 1), "Value must be between : [-5  and  5] !");
    EXPECT_EQ(Dato_range_message(true, "Kp", -5, 5, 0, '.', 2), "Kp doit être compris entre : [-5  et  5] !");
    EXPECT_EQ(Dato_range_hint(-5, 1000, 2, ','), "Range: [-0,05 \u00F7 10,00]");
}

}  // namespace
