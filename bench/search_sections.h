// The four-grid circle searches that bench_slices and scaling time: the section, switched
// to simplified Bishop with the same circle settings when asked, and the search's options
// (dumps written into dir, Bishop's records as its calculation writes them).
#pragma once

#include <filesystem>
#include <memory>

#include "analysis/bishop.h"
#include "analysis/circle_search.h"
#include "model/sdw_file.h"

namespace keltora::bench {

// 0: examples/benchmark.SDW, 1: examples/verification/yamagami_ueta.SDW.
inline std::filesystem::path searchSectionPath(int section)
{
    return std::filesystem::path(KELTORA_SOURCE_DIR) / "examples" /
           (section == 0 ? "benchmark.SDW" : "verification/yamagami_ueta.SDW");
}

// Nothing when the file cannot be read.
inline std::unique_ptr<SlopeModel> loadSearchSection(int section, bool bishop)
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    if (readDataFile(*m, searchSectionPath(section)).status != 0) return nullptr;
    if (bishop) {
        m->conditions.method = kMethodBishop;
        m->bishopCircle = m->felleniusCircle;
    }
    return m;
}

inline CircleSearchOptions searchOptions(const std::filesystem::path& dir, bool bishop)
{
    std::filesystem::create_directories(dir);
    CircleSearchOptions options;
    options.workDir = dir;
    if (bishop) {
        options.formatRecord = formatBishopRecord;
        options.appendRecord = appendBishopRecord;
        options.showCentreLine = true;
    }
    return options;
}

} // namespace keltora::bench
