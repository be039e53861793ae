#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// The console table, then a summary of each figure against its floor once every benchmark
// of the run has reported. Times are real time per iteration in nanoseconds, by function name.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    using Times = std::map<std::string, double>;
    explicit RatioReporter(std::function<void(const Times&)> summary)
        : ConsoleReporter(OO_Tabular), m_summary(std::move(summary))
    {}
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            m_ns[run.run_name.function_name] =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9;
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        m_summary(m_ns);
    }
    // a / b, or 0 when either has not run.
    static double ratio(const Times& t, const std::string& a, const std::string& b)
    {
        const auto x = t.find(a), y = t.find(b);
        return x != t.end() && y != t.end() && y->second > 0 ? x->second / y->second : 0.0;
    }
    static double ms(const Times& t, const std::string& name)
    {
        const auto x = t.find(name);
        return x == t.end() ? 0.0 : x->second / 1e6;
    }

private:
    std::function<void(const Times&)> m_summary;
    Times m_ns;
};
