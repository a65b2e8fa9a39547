// Whether an explanation adds up to the values it explains, for the tests and the fuzz target.
#pragma once

#include "Explain.h"

#include <cmath>
#include <span>

namespace zelm {

// Per scale, the contributions add up to the value: to 1e-12 of their absolute sum for a word, to
// single-precision rounding for a text; a Levitsky word's clamped scales are those whose sum leaves
// ±1, and their value is the bound.
template <class T>
bool ExplanationAddsUp(const TExplanation& explanation, std::span<const T> profile, bool word) {
    for (std::size_t k = 0; k < profile.size(); ++k) {
        double sum = 0, size = 0;
        for (const TExplainTerm& term : explanation.Terms) {
            if (term.Contributions.size() != profile.size()) return false;
            sum += term.Contributions[k];
            size += std::fabs(term.Contributions[k]);
        }
        const double value = double(profile[k]);
        bool clamped = false;
        for (const int scale : explanation.Clamped) clamped = clamped || scale == int(k + 1);
        if (clamped) {
            if (!(std::fabs(sum) > 1) || value != (sum > 0 ? 1.0 : -1.0)) return false;
            continue;
        }
        const double tolerance = word ? 1e-12 * size : 4e-6 * size + 1e-30;
        if (!(std::fabs(sum - value) <= tolerance)) return false;
    }
    return true;
}

} // namespace zelm
