#include "platform/DecimalSeparator.h"

#ifdef _WIN32
#include "platform/Platform.h"
#else
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>
#endif

#ifdef _WIN32

std::string UserDecimalSeparator() {
    // At most four characters with the terminator, by the API's own limit.
    char text[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, sizeof text) <= 1)
        return ".";
    return text;
}

#else

std::string DecimalSeparatorOfLocale(const char* ParaLocaleName) {
    if (ParaLocaleName == nullptr || *ParaLocaleName == '\0')
        return ".";
    locale_t locale = newlocale(LC_NUMERIC_MASK, ParaLocaleName, static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0))
        return ".";
    const char* radix = nl_langinfo_l(RADIXCHAR, locale);
    std::string separator = radix != nullptr && *radix != '\0' ? radix : ".";
    freelocale(locale);
    return separator;
}

std::string UserDecimalSeparator() {
    // POSIX order: LC_ALL overrides everything, LANG is the fallback; an empty
    // variable counts as unset.
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return DecimalSeparatorOfLocale(value);
    }
    return ".";
}

#endif
