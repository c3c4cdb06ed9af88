#include "platform/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace dnspeek {
namespace {

TEST(TrimTest, RemovesBytesUpToSpaceAtBothEndsOnly)
{
    const struct {
        std::string text;
        std::string trimmed;
    } cases[] = {
        {"", ""},
        {"   ", ""},
        {" \t\r\n ab.cde \x01\x1F", "ab.cde"},
        {std::string("\0a\0", 3), "a"},
        {"a b", "a b"},
        {"!a!", "!a!"},  // 33 is the first code kept
        {"\x7F" "a" "\x7F", "\x7F" "a" "\x7F"},          // DEL stays
        {"\xC2\xA0" "a" "\xC2\xA0", "\xC2\xA0" "a" "\xC2\xA0"},  // a UTF-8 no-break space stays
        {"\xFF", "\xFF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Trim(c.text), c.trimmed) << '"' << c.text << '"';
}

TEST(StrToIntTest, ReadsSignedDecimalIn32Bits)
{
    const struct {
        std::string text;
        std::int32_t value;
    } cases[] = {
        {"15", 15},
        {"015", 15},  // decimal, never octal
        {"+1", 1},
        {"-1", -1},
        {"0", 0},
        {"-0", 0},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"00000000000000000000002147483647", 2147483647},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
}

TEST(StrToIntTest, RaisesTheConversionErrorForAnythingElse)
{
    const std::string rejected[] = {
        "", " ", " 15", "15 ", "+", "-", "+-1", "--1", "abc", "15a", "1.5", "1e3",
        "$", "$10", "0x10", "2147483648", "-2147483649", "99999999999999999999",
        std::string("1\0" "5", 3), std::string(10000, '9'),
    };
    for (const std::string& text : rejected)
        EXPECT_THROW((void)StrToInt(text), EConvertError) << text.substr(0, 20);
}

TEST(StrToIntTest, ConversionErrorIsTheFrameworkErrorAndNamesTheTextBriefly)
{
    try {
        (void)StrToInt(std::string(1'000'000, 'x'));
        FAIL() << "no conversion error";
    } catch (const Exception& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("is not a valid integer value"), std::string::npos);
        EXPECT_LT(message.size(), 100u);
    }
}

}  // namespace
}  // namespace dnspeek
