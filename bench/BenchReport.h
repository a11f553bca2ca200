#pragma once
// One line per measured case for bench/run.sh, which gathers the benchmarks into one table.
// Written only when KVOR_BENCH_REPORT names a file; each line is
//   case <TAB> seconds <TAB> anchor <TAB> anchor seconds
// with an empty anchor where a case has none.
#include <cstdio>
#include <cstdlib>

namespace kvor::bench {

inline void reportCase(const char* name, double seconds, const char* anchor = "", double anchorSeconds = 0) {
    const char* path = std::getenv("KVOR_BENCH_REPORT");
    if (!path || !*path) return;
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s\t%.6f\t%s\t%.6f\n", name, seconds, anchor, anchorSeconds);
        std::fclose(file);
    }
}

} // namespace kvor::bench
