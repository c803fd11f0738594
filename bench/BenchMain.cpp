#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// A benchmark whose label reads "floor: NAME" is measured against the benchmark NAME, the
// cheapest work it cannot avoid; after the runs each such ratio is printed, of real time and
// of CPU time. With --benchmark_repetitions the medians are compared.
constexpr char kFloorLabel[] = "floor: ";

struct Times {
    double real = 0;
    double cpu = 0;
    bool median = false;
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            const std::string name = run.run_name.str();
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            Times& times = m_times[name];
            if (median || (run.run_type == Run::RT_Iteration && !times.median)) {
                times = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(), median};
            }
            if (run.report_label.rfind(kFloorLabel, 0) == 0 && !m_floors.count(name)) {
                m_floors[name] = run.report_label.substr(sizeof kFloorLabel - 1);
                m_order.push_back(name);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios() const {
        if (m_order.empty()) {
            return;
        }
        std::printf("\nTime as a multiple of its floor (real, CPU):\n");
        for (const std::string& name : m_order) {
            const std::string& floor = m_floors.at(name);
            const auto found = m_times.find(floor);
            if (found == m_times.end() || found->second.real <= 0 || found->second.cpu <= 0) {
                std::printf("  %-32s (floor %s not measured)\n", name.c_str(), floor.c_str());
                continue;
            }
            const Times& times = m_times.at(name);
            std::printf("  %-32s %5.2fx  %5.2fx  (floor %s)\n", name.c_str(),
                        times.real / found->second.real, times.cpu / found->second.cpu,
                        floor.c_str());
        }
    }

private:
    std::map<std::string, Times> m_times;
    std::map<std::string, std::string> m_floors;
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
