#include "toolkit/Unit_ToolkitTypes.h"

#include <cxxabi.h>

#include <cstdlib>
#include <limits>
#include <memory>
#include <typeinfo>

std::string TObject::ClassName() const {
    const char* mangled = typeid(*this).name();
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> name(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
    return status == 0 && name ? std::string(name.get()) : std::string(mangled);
}

std::int32_t TPropertyValue::AsInteger(const std::string& Property) const {
    std::int64_t v = Get<std::int64_t>(Property, "an integer");
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        throw EResourceError("property " + Property + " is out of range");
    return static_cast<std::int32_t>(v);
}
