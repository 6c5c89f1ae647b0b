#include "PlacementRules.h"

#include <algorithm>
#include <numeric>
#include <set>

namespace placement {

float AlignShift(const Span& span, const Span& target, AlignTo how) {
    if (span.locked)
        return 0.0f;
    switch (how) {
    case AlignTo::Min:
        return target.min - span.min;
    case AlignTo::Max:
        return target.max - span.max;
    case AlignTo::Centre:
        break;
    }
    return target.Centre() - span.Centre();
}

std::vector<float> DistributeShifts(const std::vector<Span>& spans) {
    std::vector<float> shifts(spans.size(), 0.0f);
    const std::size_t n = spans.size();
    if (n < 3)
        return shifts;
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return spans[a].Centre() < spans[b].Centre();
    });
    const float low = spans[order.front()].Centre();
    const float high = spans[order.back()].Centre();
    // Worked out from the ends in double, so that the k-th slot does not gather the rounding
    // of the k steps before it.
    for (std::size_t k = 1; k + 1 < n; ++k) {
        const Span& span = spans[order[k]];
        if (span.locked)
            continue;
        const double t = double(k) / double(n - 1);
        const double slot = double(low) + (double(high) - double(low)) * t;
        shifts[order[k]] = float(slot - double(span.Centre()));
    }
    return shifts;
}

bool IsSelfOrAncestor(const std::string& ancestor, const std::string& name,
                      const std::function<std::string(const std::string&)>& parentOf) {
    // Bounded by the names seen, so that a cycle in a broken answer cannot loop for ever.
    std::set<std::string> seen;
    for (std::string at = name; !at.empty() && seen.insert(at).second; at = parentOf(at))
        if (at == ancestor)
            return true;
    return false;
}

std::vector<std::string> TopMost(const std::vector<std::string>& names,
                                 const std::function<std::string(const std::string&)>& parentOf) {
    const std::set<std::string> chosen(names.begin(), names.end());
    std::vector<std::string> top;
    for (const std::string& name : names) {
        bool covered = false;
        std::set<std::string> seen{name};
        for (std::string at = parentOf(name); !at.empty() && seen.insert(at).second;
             at = parentOf(at))
            if (chosen.count(at)) {
                covered = true;
                break;
            }
        if (!covered)
            top.push_back(name);
    }
    return top;
}

} // namespace placement
