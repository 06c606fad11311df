// Small helpers shared by the picture model's tests.
#pragma once

#include <functional>
#include <string>

#include "platform/runtime/Exceptions.h"

namespace vardel::test {

// The message of the system's exception that `f` raises, or "" when it raises none.
inline std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

}  // namespace vardel::test
