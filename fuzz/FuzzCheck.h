#pragma once
// A property that a fuzz target checks on every input. A broken one is a fault like a crash: it
// names itself on stderr and aborts, so libFuzzer keeps the input and a replaying test fails.
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace kvor::fuzzing {

[[noreturn]] inline void fail(const char* what, const QString& detail = QString()) {
    std::fprintf(stderr, "fuzz check failed: %s %s\n", what, qPrintable(detail));
    std::abort();
}

inline void check(bool holds, const char* what, const QString& detail = QString()) {
    if (!holds) fail(what, detail);
}

} // namespace kvor::fuzzing
