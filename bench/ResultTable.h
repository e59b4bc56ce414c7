// The results of the cases and the table made of them: our figure, the peer's, their ratio,
// the target and whether it holds.
#ifndef QUENDEL_BENCH_RESULTTABLE_H
#define QUENDEL_BENCH_RESULTTABLE_H

#include <map>
#include <string>

namespace bench {

struct Result {
    double ns = 0;              // CPU time per iteration
    double bytesPerSecond = 0;  // 0 when the case counts no bytes
    double itemsPerSecond = 0;  // 0 when the case counts no items
    double value = 0;           // a figure measured outside Google Benchmark (memory factors)
};

class ResultTable {
  public:
    void Add(const std::string& name, const Result& result) { m_results[name] = result; }
    // Error message of a failed case, shown in place of any figure it has.
    void AddError(const std::string& name, const std::string& message) { m_errors[name] = message; }
    // A line printed under the table.
    void AddNote(const std::string& note) { m_notes += note + "\n"; }
    // A Markdown table; header names the machine and how the figures were taken.
    std::string Format(const std::string& header) const;

  private:
    std::map<std::string, Result> m_results;
    std::map<std::string, std::string> m_errors;
    std::string m_notes;
};

}  // namespace bench

#endif
