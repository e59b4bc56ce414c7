#include "CollectingReporter.h"

#include <string>

namespace bench {

void CollectingReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        const std::string name = run.run_name.function_name;
        if (run.error_occurred) {
            m_table.AddError(name, run.error_message);
            continue;
        }
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (!median && (run.run_type == Run::RT_Aggregate || run.repetitions > 1)) {
            continue;
        }
        Result result;
        result.ns =
            run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9;
        if (const auto it = run.counters.find("bytes_per_second"); it != run.counters.end()) {
            result.bytesPerSecond = it->second.value;
        }
        if (const auto it = run.counters.find("items_per_second"); it != run.counters.end()) {
            result.itemsPerSecond = it->second.value;
        }
        m_table.Add(name, result);
    }
}

}  // namespace bench
