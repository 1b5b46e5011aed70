#pragma once

// What every benchmark prints: medians and percentiles of its runs, and the
// milliseconds a piece of work takes.

#include <QElapsedTimer>
#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

// The value at share p (0 to 1) of the sorted values; 0 for none.
inline double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t i = std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5));
    return values[i];
}

inline double median(std::vector<double> values)
{
    return percentile(std::move(values), 0.5);
}

inline double msSince(const QElapsedTimer& clock)
{
    return clock.nsecsElapsed() / 1e6;
}

// Milliseconds each of the runs of work takes.
inline std::vector<double> timed(int runs, const std::function<void()>& work)
{
    std::vector<double> ms;
    QElapsedTimer clock;
    for (int run = 0; run < runs; ++run) {
        clock.start();
        work();
        ms.push_back(msSince(clock));
    }
    return ms;
}

} // namespace bench
