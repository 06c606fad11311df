#include "platform/runtime/Object.h"

#include "platform/runtime/Exceptions.h"

namespace vardel {

void TPersistent::Assign(const TPersistent* source) {
    if (source) {
        source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
    const std::string_view from = source ? source->ClassName() : std::string_view("nil");
    throw EConvertError(Format(msg::kAssignError, {from, ClassName()}));
}

}  // namespace vardel
