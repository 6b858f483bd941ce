#include "Layout.h"

namespace panelc {

bool IsPresent(const FieldSpec& field, const StructSpec& owner, const std::vector<Value>& values)
{
    if (field.when.Always())
        return true;
    const int index = owner.IndexOf(field.when.field);
    if (index < 0 || size_t(index) >= values.size())
        return false;
    return (uint32_t(values[size_t(index)].integer) & field.when.mask) == field.when.equals;
}

} // namespace panelc
