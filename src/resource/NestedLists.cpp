#include <string>
#include <utility>
#include <vector>

#include "quendel/Quendel.h"
#include "resource/ValueText.h"

namespace {

template <class T>
using RowConversion = bool (*)(const std::string&, std::vector<T>&);

// The success of a row conversion is ignored on purpose: a bad token ends its row early, and the
// values before it still count.
template <class T>
std::vector<std::vector<T>> ToNested(const std::string& text, RowConversion<T> convertRow) {
    std::vector<std::vector<T>> rows;
    const size_t firstSemicolon = text.find(';');
    if (firstSemicolon == std::string::npos) {
        // A flat list becomes a column of one-number rows.
        std::vector<T> values;
        convertRow(text, values);
        rows.reserve(values.size());
        for (const T& value : values) {
            rows.push_back({value});
        }
        return rows;
    }
    // The pieces between semicolons, each converted as a text of its own; empty pieces give no
    // row, so the empty pieces at either end need no special care.
    std::string piece;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(';', start);
        piece.assign(text, start, end == std::string::npos ? std::string::npos : end - start);
        std::vector<T> row;
        convertRow(piece, row);
        if (!row.empty()) {
            rows.push_back(std::move(row));
        }
        if (end == std::string::npos) {
            return rows;
        }
        start = end + 1;
    }
}

}  // namespace

std::vector<std::vector<float>> StringToNestedFLoatVec(const std::string& text) {
    return ToNested<float>(text, ToFloatVector);
}

std::vector<std::vector<int>> StringToNestedIntVec(const std::string& text) {
    return ToNested<int>(text, ToIntVector);
}
