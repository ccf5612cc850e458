#include "timing/NumberText.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <version>

#ifdef __cpp_lib_to_chars
#include <charconv>
#endif

// The texts every platform must give, the browser's among them.
TEST(GeneralNumberText, WholeFractionalAndScientificAsTheThrottleShowsThem) {
    EXPECT_EQ(GeneralNumberText(0.0, 15), "0");
    EXPECT_EQ(GeneralNumberText(-0.0, 15), "-0");
    EXPECT_EQ(GeneralNumberText(60, 15), "60");
    EXPECT_EQ(GeneralNumberText(80001, 15), "80001");
    EXPECT_EQ(GeneralNumberText(0.75, 15), "0.75");
    EXPECT_EQ(GeneralNumberText(-2.5, 15), "-2.5");
    EXPECT_EQ(GeneralNumberText(10.0 / 3, 15), "3.33333333333333");
    EXPECT_EQ(GeneralNumberText(2.0 / 3, 15), "0.666666666666667");
    EXPECT_EQ(GeneralNumberText(1.0 / 60, 15), "0.0166666666666667");
    EXPECT_EQ(GeneralNumberText(0.1 + 0.2, 15), "0.3");
    EXPECT_EQ(GeneralNumberText(0.1 + 0.2, 17), "0.30000000000000004");
    // Fixed up to 15 integer digits, scientific from there and below 1e-4.
    EXPECT_EQ(GeneralNumberText(123456789012345, 15), "123456789012345");
    EXPECT_EQ(GeneralNumberText(1e15, 15), "1e+15");
    EXPECT_EQ(GeneralNumberText(999999999999999.5, 15), "1e+15");
    EXPECT_EQ(GeneralNumberText(1234567890123456789.0, 15), "1.23456789012346e+18");
    EXPECT_EQ(GeneralNumberText(0.0001, 15), "0.0001");
    EXPECT_EQ(GeneralNumberText(0.00001, 15), "1e-05");
    EXPECT_EQ(GeneralNumberText(-0.000012345, 15), "-1.2345e-05");
    EXPECT_EQ(GeneralNumberText(1e100, 15), "1e+100");
    EXPECT_EQ(GeneralNumberText(DBL_MAX, 15), "1.79769313486232e+308");
    EXPECT_EQ(GeneralNumberText(DBL_TRUE_MIN, 15), "4.94065645841247e-324");
    EXPECT_EQ(GeneralNumberText(std::numeric_limits<double>::infinity(), 15), "inf");
    EXPECT_EQ(GeneralNumberText(-std::numeric_limits<double>::infinity(), 15), "-inf");
    EXPECT_EQ(GeneralNumberText(std::nan(""), 15), "nan");
    EXPECT_EQ(GeneralNumberText(-std::nan(""), 15), "-nan");
    // Fewer digits round; the whole part is never cut.
    EXPECT_EQ(GeneralNumberText(2.75, 2), "2.8");
    EXPECT_EQ(GeneralNumberText(0.125, 2), "0.12"); // an exact tie goes to even
    EXPECT_EQ(GeneralNumberText(9.96, 2), "10");
    EXPECT_EQ(GeneralNumberText(99.6, 2), "1e+02");
    EXPECT_EQ(GeneralNumberText(1234.5, 1), "1e+03");
}

// A program or library that switched the C library to a decimal comma must
// not change the text.
TEST(GeneralNumberText, TheCLibraryLocaleDoesNotChangeIt) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    bool switched = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252", "de-DE"})
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            switched = true;
            break;
        }
    const std::string text = GeneralNumberText(0.75, 15);
    const std::string scientific = GeneralNumberText(1.5e-7, 15);
    std::setlocale(LC_NUMERIC, previous.c_str());
    if (!switched)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ(text, "0.75");
    EXPECT_EQ(scientific, "1.5e-07");
}

#ifdef __cpp_lib_to_chars
namespace {

std::uint64_t Bits(double ParaValue) {
    std::uint64_t bits;
    std::memcpy(&bits, &ParaValue, sizeof bits);
    return bits;
}

double FromBits(std::uint64_t ParaBits) {
    double value;
    std::memcpy(&value, &ParaBits, sizeof value);
    return value;
}

} // namespace

// Where the standard library has it, the same text as std::to_chars: across
// every exponent, at the edges where fixed turns scientific, and in ties.
TEST(GeneralNumberText, AgreesWithToCharsWhereTheLibraryHasIt) {
    std::mt19937_64 random(20261209);
    const auto expected = [](double ParaValue, int ParaDigits) {
        char text[64];
        const auto result = std::to_chars(text, text + sizeof text, ParaValue,
                                          std::chars_format::general, ParaDigits);
        return std::string(text, result.ptr);
    };
    int checked = 0;
    const auto check = [&](double ParaValue) {
        for (int digits : {1, 2, 6, 15, 17}) {
            ASSERT_EQ(GeneralNumberText(ParaValue, digits), expected(ParaValue, digits))
                << "bits " << std::hex << Bits(ParaValue) << " with " << std::dec << digits
                << " digits";
            ++checked;
        }
    };
    for (int i = 0; i < 100000; ++i)
        check(FromBits(random()));
    // Decimal fractions as a throttle is set with, and their neighbours.
    for (int i = -20000; i <= 20000; ++i) {
        const double value = i / 1000.0;
        check(value);
        check(std::nextafter(value, 1e300));
        check(std::nextafter(value, -1e300));
    }
    // Each power of ten and its neighbours, where the format and digit count turn.
    for (int e = -320; e <= 308; ++e) {
        const double power = std::pow(10.0, e);
        for (double value : {power, std::nextafter(power, 0.0), std::nextafter(power, 1e308),
                             power * 9.5, power * 9.9999999999999995, power * 0.5})
            if (std::isfinite(value))
                check(value);
    }
    for (double value : {0.0, -0.0, DBL_MIN, DBL_MAX, DBL_TRUE_MIN, -DBL_TRUE_MIN,
                         std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity(), std::nan(""), -std::nan("")})
        check(value);
    EXPECT_GT(checked, 800000);
}
#endif
