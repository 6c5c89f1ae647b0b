// The C library's own reading of a decimal number, to compare the editor's number rules with:
// strtod in the "C" locale. The editor's rules read only the decimal grammar; where strtod
// would take an infinity, a NaN or a hexadecimal form, there is no reference value.
#pragma once

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

namespace fuzz {

inline locale_t CNumericLocale() {
    static const locale_t locale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

// True with strtod's value of the start of `text` when what strtod reads is a plain decimal
// number (or nothing); false when it reads one of the forms the editor does not take.
inline bool ReferenceDecimal(const std::string& text, double& value) {
    const char* begin = text.c_str();
    char* end = nullptr;
    value = strtod_l(begin, &end, CNumericLocale());
    for (const char* p = begin; p < end; ++p)
        if (std::strchr("xXiInNpP", *p))
            return false;
    return true;
}

} // namespace fuzz
