#include "inspect/report/NumberFit.h"

#include <climits>
#include <cmath>
#include <optional>

#include "inspect/report/StdoutCapture.h"
#include "inspect/report/ValueQuery.h"
#include "resource/StringOps.h"
#include "resource/ValueText.h"

namespace {

const char* QueryName(NumberQuery query) {
    switch (query) {
        case NumberQuery::kInt:
            return "an int";
        case NumberQuery::kLong:
            return "a long";
        case NumberQuery::kFloat:
            return "a float";
        case NumberQuery::kDouble:
            break;
    }
    return "a double";
}

// The whole number the text says is beyond int's range, which is also the library's long.
bool BeyondInt(double written) {
    const double whole = std::trunc(written);
    return !(whole >= static_cast<double>(INT_MIN) && whole <= static_cast<double>(INT_MAX));
}

}  // namespace

NumberFit FitNumber(NumberQuery query, const std::string& text) {
    NumberFit fit;
    double written = 0;
    if (!IsNumber(text) || !ToDouble(text, written)) {
        return fit;
    }
    if (query == NumberQuery::kInt || query == NumberQuery::kLong) {
        // The int-cast warning (only for a point) is the library's own message, not this one's;
        // a capture costs a stream, so lint over a tree makes one only where it can be written.
        std::optional<StdoutCapture> quiet;
        if (text.find('.') != std::string::npos) {
            quiet.emplace();
        }
        long read = 0;
        if (query == NumberQuery::kInt) {
            int value = 0;
            ToInt(text, value);
            read = value;
        } else {
            ToLong(text, read);
        }
        fit.m_reads = std::to_string(read);
        if (text.empty()) {
            fit.m_misfit = NumberMisfit::kEmpty;
        } else if (BeyondInt(written)) {
            fit.m_misfit = NumberMisfit::kOutOfRange;
        } else if (static_cast<double>(read) != written) {
            fit.m_misfit = NumberMisfit::kFractionCut;
        }
    } else {
        double read = written;
        if (query == NumberQuery::kFloat) {
            float value = 0;
            ToFloat(text, value);
            read = value;
        }
        fit.m_reads = NumberText(read);
        if (text.empty()) {
            fit.m_misfit = NumberMisfit::kEmpty;
        } else if (std::isinf(read)) {
            fit.m_misfit = NumberMisfit::kOutOfRange;
        }
    }
    if (fit.m_misfit == NumberMisfit::kNone) {
        return fit;
    }
    const std::string reads = "reads as " + fit.m_reads + " for " + QueryName(query) + " query";
    switch (fit.m_misfit) {
        case NumberMisfit::kNone:
            break;
        case NumberMisfit::kOutOfRange:
            fit.m_message =
                reads + ": the number is beyond " + std::string(QueryName(query)) + "'s range";
            break;
        case NumberMisfit::kFractionCut:
            fit.m_message = reads + ": the fraction is cut";
            break;
        case NumberMisfit::kEmpty:
            fit.m_message = reads + ", found, not its default";
            break;
    }
    return fit;
}
