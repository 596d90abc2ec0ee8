#pragma once

// A property every input must keep; a violation stops the fuzzer with the input that broke it.
inline void require(bool condition) {
    if (!condition)
        __builtin_trap();
}
