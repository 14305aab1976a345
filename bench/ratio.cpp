// The record of every ratio measured in this run and the summary printed
// after it.
#include "bench/ratio.h"

#include <algorithm>
#include <cstdio>

namespace {

// A run cut as short as the smoke test's has too few rounds for its median
// to say anything; such figures are printed but not judged.
constexpr int64_t kFewestRoundsJudged = 10;

// By figure name, in the order the figures first ran.
std::vector<RatioResult>& results() {
    static std::vector<RatioResult> list;
    return list;
}

}  // namespace

namespace ratio_detail {
double median(std::vector<double> values) {
    if (values.empty()) return 0;
    const size_t mid = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<long>(mid), values.end());
    double m = values[mid];
    if (values.size() % 2 == 0) {
        m = (m + *std::max_element(values.begin(), values.begin() + static_cast<long>(mid))) / 2;
    }
    return m;
}
}  // namespace ratio_detail

void ratio_record(const RatioResult& result) {
    for (RatioResult& r : results()) {
        if (r.figure == result.figure) {
            r = result;
            return;
        }
    }
    results().push_back(result);
}

void ratio_print_summary() {
    if (results().empty()) return;
    int missed = 0, budgeted = 0;
    std::printf("\nFigures beside their baselines (median of alternating rounds):\n");
    for (const RatioResult& r : results()) {
        std::printf("  %s / %s = %.2f", r.figure.c_str(), r.baseline.c_str(), r.ratio);
        if (r.budget > 0 && r.rounds < kFewestRoundsJudged) {
            std::printf(" (budget %.1f) not judged, too few rounds", r.budget);
        } else if (r.budget > 0) {
            ++budgeted;
            const bool met = r.ratio <= r.budget;
            if (!met) ++missed;
            std::printf(" (budget %.1f) %s", r.budget, met ? "met" : "MISSED");
        } else {
            std::printf(" (no budget)");
        }
        std::printf("  [%.1f ns vs %.1f ns, %lld rounds]\n", r.figure_ns, r.baseline_ns,
                    static_cast<long long>(r.rounds));
    }
    if (budgeted > 0) std::printf("Budgets met: %d of %d judged\n", budgeted - missed, budgeted);
}
