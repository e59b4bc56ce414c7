// Shows the value rules at work. Grows into a tour of the library as the library grows.
#include <quendel/Quendel.h>

#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "resource/ValueText.h"

namespace {

const char* const kFailed = "-";

template <class T, class Convert>
std::string Shown(const std::string& text, Convert convert) {
    T value{};
    if (!convert(text, value)) {
        return kFailed;
    }
    std::ostringstream out;
    out << std::boolalpha << value;
    return out.str();
}

template <class T>
std::string Joined(const std::vector<T>& values) {
    std::ostringstream out;
    out << "(";
    for (size_t i = 0; i < values.size(); ++i) {
        out << (i ? ", " : "") << values[i];
    }
    out << ")";
    return out.str();
}

void ShowNumbers() {
    std::cout << "Stored text becomes numbers and flags (" << kFailed
              << " = does not convert, the query gives its default):\n\n";
    std::cout << std::left << std::setw(14) << "  text" << std::setw(8) << "int" << std::setw(8)
              << "double" << std::setw(8) << "bool" << std::setw(12) << "stream int"
              << "stream double\n";
    const std::vector<std::string> texts = {"42",  "2.7",  "-.5",       " 5",  "5abc",
                                            "1e3", "true", "\"FALSE\"", "yes", ""};
    for (const std::string& text : texts) {
        // Converted before printing, so a warning line lands above its row.
        const std::string asInt = Shown<int>(text, ToInt);
        const std::string asDouble = Shown<double>(text, ToDouble);
        const std::string asBool = Shown<bool>(text, ToBool);
        const std::string asStreamInt = Shown<int>(text, StreamToInt);
        const std::string asStreamDouble = Shown<double>(text, StreamToDouble);
        std::cout << "  " << std::setw(12) << ("[" + text + "]") << std::setw(8) << asInt
                  << std::setw(8) << asDouble << std::setw(8) << asBool << std::setw(12)
                  << asStreamInt << asStreamDouble << "\n";
    }
    std::cout << "\n  Strict conversions (by name) take digits, one point and one leading sign;\n"
                 "  stream conversions (by IdEnum) skip blanks, read exponents, ignore the rest.\n"
                 "  An int or a numeric bool from a text with a point prints the warning.\n\n";
}

void ShowLists() {
    const std::string text = "1, 2,,3  \"4\"";
    std::vector<int> ints;
    const bool ok = ToIntVector(text, ints);
    std::cout << "A list: [" << text << "] -> " << Joined(ints) << (ok ? "" : " (failed)") << "\n";
    std::vector<std::string> words;
    ToStringVector("gain, \"dynamic range\", \"a, b\"", words);
    std::cout << "Words:  [gain, \"dynamic range\", \"a, b\"] ->";
    for (const std::string& word : words) {
        std::cout << " <" << word << ">";
    }
    std::cout << "\n\n";
}

void ShowTable() {
    const std::string text = "0.5, 1.25, 2; ; 3 4.5 ;x; 6, y, 7";
    std::cout << "A table: [" << text << "]\n";
    for (const std::vector<float>& row : StringToNestedFLoatVec(text)) {
        std::cout << "  " << Joined(row) << "\n";
    }
    const std::string column = "10 20 30";
    std::cout << "A flat list is a column: [" << column << "]\n";
    for (const std::vector<int>& row : StringToNestedIntVec(column)) {
        std::cout << "  " << Joined(row) << "\n";
    }
}

}  // namespace

int main() {
    std::cout << "quendel demo\n\n";
    ShowNumbers();
    ShowLists();
    ShowTable();
    return 0;
}
