// Fuzzes the reader of measurement programs' filter texts and the fit that follows it: the
// first input byte picks the EQ block, the rest is the text. A text without problems must give
// filters in line order, the ON ones within the ranges the reader promises, and its fit must store
// only indices the device's tables hold and a finite deviation; a refused text must name a line.
#include "eq/CurveModels.h"
#include "eq/EqFit.h"
#include "eq/FilterText.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

using namespace zel;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const int block = data[0] % kEqBlockCount;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const FilterTextResult r = parseFilterText(text);

    for (const TextProblem& p : r.problems)
        check(p.line >= 1, "a problem names its line");
    if (!r.problems.empty())
        return 0;

    int lastLine = 0;
    for (const TextFilter& f : r.filters) {
        check(f.line > lastLine, "filters come in line order");
        lastLine = f.line;
        if (!f.enabled)
            continue; // an OFF filter takes no band and may give no values
        check(f.type == kPeaking || f.type == kLowShelf || f.type == kHighShelf,
              "only peak and shelf filters are read");
        check(std::isfinite(f.hz) && f.hz > 0 && f.hz < 96000, "frequency in range");
        check(std::isfinite(f.db) && std::fabs(f.db) <= 60, "gain in range");
        check(std::isfinite(f.q) && f.q > 0 && f.q <= 1000, "Q in range");
    }
    if (r.filters.size() > static_cast<std::size_t>(kMaxFitFilters))
        return 0;

    const EqFit fit = fitFilters(r.filters, block);
    check(fit.filters.size() == r.filters.size(), "every filter is reported");
    check(fit.bands.size() == static_cast<std::size_t>(fit.bandCount), "one record per band");
    for (const EqBand& b : fit.bands) {
        check(b.freq <= 361 && b.gain <= 360, "frequency and gain indices in the tables");
        check(b.q <= 100 && b.type <= 2, "Q index and type in the tables");
    }
    check(std::isfinite(fit.maxDeviationDb) && fit.maxDeviationDb >= 0, "deviation finite");
    return 0;
}
