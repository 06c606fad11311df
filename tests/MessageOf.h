// The message of the exception that a call raises, for the tests of error texts.
#pragma once

#include <functional>
#include <string>

#include "platform/runtime/Exceptions.h"

namespace vardel::test {

// The message of the E that `f` raises, or "" when it raises none; an exception of
// another kind passes through and fails the test.
template <class E = Exception>
std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    }
    return "";
}

}  // namespace vardel::test
