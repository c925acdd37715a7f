#pragma once
// The library and its plain SQLite reference measured in one run, turn about, so that both
// see the same machine at the same moment; each reported as the median of its runs, and the
// ratio of the two as the counter `ratio` (project/raw).
#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>
#include <vector>

class SideBySide {
public:
    template <class F> void project(F&& work) { m_project.push_back(timed(work)); }
    template <class F> void raw(F&& work) { m_raw.push_back(timed(work)); }

    static double median(std::vector<double> samples)
    {
        if (samples.empty()) return 0;
        std::sort(samples.begin(), samples.end());
        const size_t mid = samples.size() / 2;
        return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2;
    }
    // project_ms, raw_ms and ratio.
    void report(benchmark::State& state) const
    {
        const double p = median(m_project), r = median(m_raw);
        state.counters["project_ms"] = p;
        state.counters["raw_ms"] = r;
        if (r > 0) state.counters["ratio"] = p / r;
    }
    double projectMedian() const { return median(m_project); }

private:
    template <class F> static double timed(F& work)
    {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    std::vector<double> m_project, m_raw;
};
