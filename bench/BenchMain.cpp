#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// Prints, after the runs, how each routine compares with its floor (the cheapest work it
// cannot avoid). A benchmark names its floor in its label, "floor: ...", and either
//  - reports the ratio itself in the counter "floor_ratio" (measured in alternation with
//    the floor, which is robust against a machine whose load changes during the run), or
//  - names another benchmark as the floor ("floor: BM_Name"), whose time it is divided by.
// With --benchmark_repetitions the medians are used.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.error_occurred || (!median && run.run_type != Run::RT_Iteration)) {
                continue;
            }
            const std::string name = run.run_name.str();
            auto [entry, added] = m_results.try_emplace(name);
            if (added) {
                m_order.push_back(name);
            }
            if (median || !entry->second.median) {
                const auto ratio = run.counters.find("floor_ratio");
                entry->second = {run.GetAdjustedRealTime(),
                                 ratio == run.counters.end() ? -1.0 : ratio->second.value,
                                 run.report_label, median};
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios() const {
        bool heading = false;
        for (const std::string& name : m_order) {
            const Result& result = m_results.at(name);
            if (result.label.rfind(kFloorLabel, 0) != 0) {
                continue;
            }
            double ratio = result.ratio;
            if (ratio < 0) {
                const auto floor = m_results.find(result.label.substr(sizeof kFloorLabel - 1));
                if (floor == m_results.end() || floor->second.time <= 0) {
                    continue;
                }
                ratio = result.time / floor->second.time;
            }
            if (!heading) {
                std::printf("\nTime as a multiple of its floor:\n");
                heading = true;
            }
            std::printf("  %-44s %5.2fx  (%s)\n", name.c_str(), ratio, result.label.c_str());
        }
    }

private:
    static constexpr char kFloorLabel[] = "floor: ";
    struct Result {
        double time = 0;
        double ratio = -1;
        std::string label;
        bool median = false;
    };
    std::map<std::string, Result> m_results;
    std::vector<std::string> m_order;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
