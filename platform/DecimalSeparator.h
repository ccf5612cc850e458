// The decimal separator of the user's own settings, for numbers shown to the
// user: the regional settings on Windows, the locale environment on Linux.
#pragma once

#include <string>

// Looked up anew on every call and independent of the C library's current
// locale, which the program never sets. "." when the settings name nothing
// usable. UTF-8 on Linux, the ANSI code page on Windows.
std::string UserDecimalSeparator();

#ifndef _WIN32
// The separator of a named POSIX locale ("de_DE.UTF-8"); "." for "C", "POSIX",
// an empty name, or a locale that is not installed.
std::string DecimalSeparatorOfLocale(const char* ParaLocaleName);
#endif
