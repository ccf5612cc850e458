// Numbers as text, the same on every platform and in every C locale.
#pragma once

#include <string>

// ParaValue with at most ParaSignificantDigits significant digits, correctly
// rounded, in the general format (fixed or scientific by size, no trailing
// zeros, a two-digit exponent at least): "60", "0.75", "3.33333333333333",
// "1e+15", "-nan". The decimal point is always '.'. The same text as
// std::to_chars with std::chars_format::general, which not every standard
// library has for floating point. ParaSignificantDigits is 1 to 17.
std::string GeneralNumberText(double ParaValue, int ParaSignificantDigits);
