// Prints the runs as Google Benchmark's console reporter does and keeps each case's median
// (or its only run) for the table.
#ifndef QUENDEL_BENCH_COLLECTINGREPORTER_H
#define QUENDEL_BENCH_COLLECTINGREPORTER_H

#include <benchmark/benchmark.h>

#include <vector>

#include "ResultTable.h"

namespace bench {

class CollectingReporter : public benchmark::ConsoleReporter {
  public:
    CollectingReporter(ResultTable& table, bool color)
        : ConsoleReporter(color ? OO_ColorTabular : OO_Tabular), m_table(table) {}
    void ReportRuns(const std::vector<Run>& runs) override;

  private:
    ResultTable& m_table;
};

}  // namespace bench

#endif
