#include "NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string GeneralNumberText(double ParaValue, int ParaSignificantDigits) {
    if (std::isnan(ParaValue))
        return std::signbit(ParaValue) ? "-nan" : "nan";
    if (std::isinf(ParaValue))
        return ParaValue < 0 ? "-inf" : "inf";
    const int precision = std::clamp(ParaSignificantDigits, 1, 17);

    // The C library rounds the digits correctly; only they and the exponent
    // are read, so the C locale's decimal point does not matter, nor how many
    // digits this library gives the exponent.
    char scientific[64];
    std::snprintf(scientific, sizeof scientific, "%.*e", precision - 1, ParaValue);
    const bool negative = scientific[0] == '-';
    std::string digits;
    const char* at = scientific + (negative ? 1 : 0);
    for (; *at != '\0' && *at != 'e' && *at != 'E'; ++at)
        if (*at >= '0' && *at <= '9')
            digits += *at;
    const int exponent = *at != '\0' ? std::atoi(at + 1) : 0;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string text = negative ? "-" : "";
    if (exponent < -4 || exponent >= precision) {
        text += digits[0];
        if (digits.size() > 1)
            text += '.' + digits.substr(1);
        text += exponent < 0 ? "e-" : "e+";
        const int magnitude = std::abs(exponent);
        if (magnitude < 10)
            text += '0';
        text += std::to_string(magnitude);
    } else if (exponent >= 0) {
        const auto whole = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= whole) {
            text += digits;
            text.append(whole - digits.size(), '0');
        } else {
            text += digits.substr(0, whole) + '.' + digits.substr(whole);
        }
    } else {
        text += "0.";
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
    }
    return text;
}
