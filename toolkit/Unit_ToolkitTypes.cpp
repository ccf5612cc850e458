#include "toolkit/Unit_ToolkitTypes.h"

#include <limits>

std::int32_t TPropertyValue::AsInteger(const std::string& Property) const {
    std::int64_t v = Get<std::int64_t>(Property, "an integer");
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        throw EResourceError("property " + Property + " is out of range");
    return static_cast<std::int32_t>(v);
}
