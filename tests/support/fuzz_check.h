#pragma once
// For the libFuzzer targets only: a broken property stops the run like a crash does, so that
// libFuzzer keeps the input that broke it.

namespace vellum::testing {

inline void Check(bool holds) {
    if (!holds)
        __builtin_trap();
}

}  // namespace vellum::testing
