// Whether a number text reads as what it says for a query of one type. The library's
// conversions keep their results (atoi's for an int beyond its range, the fraction cut for an
// int with the cast warning, 0 for an empty text); these say where that result differs from the
// number written, computed with those very conversions.
#ifndef QUENDEL_INSPECT_REPORT_NUMBERFIT_H
#define QUENDEL_INSPECT_REPORT_NUMBERFIT_H

#include <string>

enum class NumberQuery { kInt, kLong, kFloat, kDouble };

enum class NumberMisfit {
    kNone,         // reads as written, or is no number at all (the query then gets its default)
    kOutOfRange,   // beyond the type: an int gets what atoi makes of it, a float infinity
    kFractionCut,  // an int query drops the fraction
    kEmpty,        // the empty text reads as 0 and counts as found
};

struct NumberFit {
    NumberMisfit m_misfit = NumberMisfit::kNone;
    std::string m_reads;  // what the query gets, as printed: "1215752191", "inf"
    // "reads as 1215752191 for an int query: the number is beyond an int's range", to follow
    // the value written; empty for kNone.
    std::string m_message;
};

NumberFit FitNumber(NumberQuery query, const std::string& text);

#endif
