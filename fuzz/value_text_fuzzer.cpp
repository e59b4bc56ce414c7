// Value text: every conversion and string operation on the input, each checked against a plain
// restatement of its rule, every list against the scalar conversion of each of its tokens, and
// the nested lists against their row conversions; the section-path split of the class interface
// as well. Any disagreement aborts with the input shown.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "ReferenceRules.h"
#include "quendel/Quendel.h"
#include "resource/StringOps.h"
#include "resource/ValueText.h"

namespace {

const std::string kWarningLine = std::string(kIntCastWarning) + "\n";

// The conversions write the int-cast warning to standard output; it lands here and is counted.
std::stringbuf g_stdout;
using fuzzcheck::Require;

// The warning lines written since the last call; anything else on standard output is a fault.
int TakeWarnings() {
    const std::string out = g_stdout.str();
    g_stdout.str(std::string());
    int lines = 0;
    for (size_t pos = 0; pos < out.size(); pos += kWarningLine.size()) {
        Require(out.compare(pos, kWarningLine.size(), kWarningLine) == 0,
                "standard output holds more than warning lines");
        ++lines;
    }
    return lines;
}

template <class T>
bool SameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

template <class T>
bool SameBits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](T x, T y) { return SameBits(x, y); });
}

bool SameBits(const std::vector<bool>& a, const std::vector<bool>& b) {
    return a == b;
}
bool SameBits(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return a == b;
}

// ---- The rules the helpers do not hold ----

// ToBool's result, value and number of warnings.
struct BoolAnswer {
    bool ok;
    bool value;
    int warnings;
};

BoolAnswer RuleToBool(const std::string& text) {
    std::string word = text;
    reference::Trim(" ", word);
    reference::Trim("\"", word);
    for (char& c : word) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (word == "TRUE" || word == "FALSE") {
        return {true, word == "TRUE", 0};
    }
    if (reference::IsNumber(text)) {
        const bool point = text.find('.') != std::string::npos;
        return {true, std::atoi(text.c_str()) != 0, point ? 1 : 0};
    }
    return {false, false, 0};
}

// One double read through a fresh string stream; false when the stream fails.
bool RuleStreamDouble(const std::string& text, double& value) {
    std::istringstream stream(text);
    double number = 0.0;
    stream >> number;
    if (stream.fail()) {
        return false;
    }
    value = number;
    return true;
}

int TruncateToInt(double number) {
    if (number >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (number <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(number);
}

// ---- The checks ----

void CheckStringOps(const std::string& text) {
    for (const char* delimiters : {", ", ";", ":", " \"", ""}) {
        Require(Tokenize(text, delimiters) == reference::Tokenize(text, delimiters), "Tokenize");
    }
    // A delimiter set taken from the input itself.
    const std::string own = text.substr(0, std::min<size_t>(2, text.size()));
    Require(Tokenize(text, own) == reference::Tokenize(text, own),
            "Tokenize, delimiters of the input");

    for (const char* set : {" ", " \t", ":", "\""}) {
        std::string trimmed = text;
        std::string expected = text;
        Require(TrimChars(set, trimmed), "TrimChars returns true");
        reference::Trim(set, expected);
        Require(trimmed == expected, "TrimChars");
    }
    const std::pair<const char*, const char*> replacements[] = {
        {"\t", " "}, {"a", "aa"}, {"ab", ""}, {"aa", "a"}, {",", ", "}, {"\"", ""}};
    for (const auto& [find, replacement] : replacements) {
        std::string replaced = text;
        std::string expected = text;
        Require(ReplaceAll(find, replacement, replaced), "ReplaceAll returns true");
        reference::ReplaceAll(find, replacement, expected);
        Require(replaced == expected, "ReplaceAll");
    }
    for (const char* erase : {" ", "\t", "ab", "::", "\""}) {
        std::string erased = text;
        std::string expected = text;
        Require(EraseAll(erase, erased), "EraseAll returns true");
        reference::EraseAll(erase, expected);
        Require(erased == expected, "EraseAll");
    }
    for (const char c : {',', '"', '\0'}) {
        Require(CountChar(text, c) == std::count(text.begin(), text.end(), c), "CountChar");
    }
}

void CheckScalars(const std::string& text) {
    const bool number = reference::IsNumber(text);
    Require(IsNumber(text) == number, "IsNumber");
    const bool point = text.find('.') != std::string::npos;

    int i = -7;
    Require(ToInt(text, i) == number, "ToInt result");
    Require(TakeWarnings() == (number && point ? 1 : 0), "ToInt warning");
    long l = -7;
    Require(ToLong(text, l) == number, "ToLong result");
    Require(TakeWarnings() == 0, "ToLong warns");
    double d = -7.0;
    Require(ToDouble(text, d) == number, "ToDouble result");
    float f = -7.0f;
    Require(ToFloat(text, f) == number, "ToFloat result");
    if (number) {
        const double atofValue = std::atof(text.c_str());
        Require(i == std::atoi(text.c_str()), "ToInt value is atoi's");
        Require(l == i, "ToLong value is ToInt's");
        Require(SameBits(d, atofValue), "ToDouble value is atof's");
        Require(SameBits(f, static_cast<float>(atofValue)), "ToFloat value is atof's narrowed");
    }

    bool b = false;
    const BoolAnswer expected = RuleToBool(text);
    Require(ToBool(text, b) == expected.ok, "ToBool result");
    Require(b == expected.value, "ToBool value");
    Require(TakeWarnings() == expected.warnings, "ToBool warning");

    double streamed = -7.0;
    const bool streamOk = RuleStreamDouble(text, streamed);
    double sd = -7.0;
    float sf = -7.0f;
    int si = -7;
    Require(StreamToDouble(text, sd) == streamOk, "StreamToDouble result");
    Require(StreamToFloat(text, sf) == streamOk, "StreamToFloat result");
    Require(StreamToInt(text, si) == streamOk, "StreamToInt result");
    Require(TakeWarnings() == 0, "stream conversions warn");
    if (streamOk) {
        Require(SameBits(sd, streamed), "StreamToDouble value is the fresh stream's");
        Require(SameBits(sf, static_cast<float>(streamed)), "StreamToFloat value");
        Require(si == TruncateToInt(streamed), "StreamToInt value");
    }
}

// A list conversion must equal the scalar conversion applied to each token in turn, stopping
// at the first token that fails, with the same warnings. The list starts out non-empty so that
// leftovers show.
template <class T, class ListConversion, class ScalarConversion>
void CheckList(const std::string& text, const std::vector<std::string>& tokens,
               ListConversion convertList, ScalarConversion convertScalar, const char* what) {
    std::vector<T> expected;
    bool expectedOk = true;
    for (const std::string& token : tokens) {
        T value{};
        if (!convertScalar(token, value)) {
            expectedOk = false;
            break;
        }
        expected.push_back(value);
    }
    const int expectedWarnings = TakeWarnings();

    std::vector<T> list(3, T{});
    Require(convertList(text, list) == expectedOk, what);
    Require(SameBits(list, expected), what);
    Require(TakeWarnings() == expectedWarnings, what);
}

bool AsString(const std::string& text, std::string& value) {
    value = text;
    return true;
}

bool IntAsLong(const std::string& text, long& value) {
    int number = 0;
    if (!ToInt(text, number)) {
        return false;
    }
    value = number;
    return true;
}

void CheckLists(const std::string& text) {
    const std::vector<std::string> tokens = Tokenize(text, ", ");
    CheckList<int>(text, tokens, ToIntVector, ToInt, "ToIntVector");
    CheckList<long>(text, tokens, ToLongVector, IntAsLong, "ToLongVector");
    CheckList<float>(text, tokens, ToFloatVector, ToFloat, "ToFloatVector");
    CheckList<double>(text, tokens, ToDoubleVector, ToDouble, "ToDoubleVector");
    CheckList<std::string>(text, tokens, ToStringVector, AsString, "ToStringVector");
    CheckList<int>(text, tokens, StreamToIntVector, StreamToInt, "StreamToIntVector");
    CheckList<float>(text, tokens, StreamToFloatVector, StreamToFloat, "StreamToFloatVector");
    CheckList<double>(text, tokens, StreamToDoubleVector, StreamToDouble, "StreamToDoubleVector");

    // vector<bool> has no element references; its scalar side goes through a plain bool.
    CheckList<bool>(text, tokens, ToBoolVector, ToBool, "ToBoolVector");
}

// Rows split at every ";" by a regular expression, each converted as a list of its own; a flat
// text becomes a column of one-number rows.
template <class T>
std::vector<std::vector<T>> RuleNested(const std::string& text,
                                       bool (*convertRow)(const std::string&, std::vector<T>&)) {
    std::vector<std::vector<T>> rows;
    std::vector<T> row;
    if (text.find(';') == std::string::npos) {
        convertRow(text, row);
        for (const T& value : row) {
            rows.push_back({value});
        }
        return rows;
    }
    static const std::regex kSemicolon(";");
    for (std::sregex_token_iterator it(text.begin(), text.end(), kSemicolon, -1), end; it != end;
         ++it) {
        convertRow(it->str(), row);
        if (!row.empty()) {
            rows.push_back(row);
        }
    }
    return rows;
}

template <class T>
bool SameRows(const std::vector<std::vector<T>>& a, const std::vector<std::vector<T>>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](const auto& x, const auto& y) { return !x.empty() && SameBits(x, y); });
}

void CheckNested(const std::string& text) {
    const auto expectedInts = RuleNested<int>(text, ToIntVector);
    const int expectedWarnings = TakeWarnings();
    Require(SameRows(StringToNestedIntVec(text), expectedInts), "StringToNestedIntVec");
    Require(TakeWarnings() == expectedWarnings, "StringToNestedIntVec warnings");

    const auto expectedFloats = RuleNested<float>(text, ToFloatVector);
    Require(SameRows(StringToNestedFLoatVec(text), expectedFloats), "StringToNestedFLoatVec");
    Require(TakeWarnings() == 0, "StringToNestedFLoatVec warns");
}

// A section path split into its names; false (parts untouched) when no name is left.
bool RuleSectionParts(const std::string& section, std::vector<std::string>& parts) {
    if (section.empty()) {
        return false;
    }
    std::string text = section;
    reference::ReplaceAll("\t", " ", text);
    reference::EraseAll(" ", text);
    if (text.empty()) {
        return false;
    }
    parts.clear();
    size_t colon = text.find(':');
    if (colon == std::string::npos) {
        parts.push_back(text);
        return true;
    }
    if (colon == 0) {
        parts.push_back("GlobalParameters");
    } else {
        parts.push_back(text.substr(0, colon));
        text = text.substr(colon);
    }
    while (true) {
        reference::Trim(":", text);
        if (text.empty()) {
            return true;
        }
        colon = text.find(':');
        if (colon == std::string::npos) {
            parts.push_back(text);
            return true;
        }
        parts.push_back(text.substr(0, colon));
        text = text.substr(colon);
    }
}

// The class interface's helpers that need no store.
void CheckClassHelpers(const std::string& text) {
    static Quendel quendel;
    const std::vector<std::string> before{"left", "over"};
    std::vector<std::string> parts = before;
    std::vector<std::string> expected = before;
    Require(quendel.StrSection2StrVector(text, parts) == RuleSectionParts(text, expected),
            "StrSection2StrVector result");
    Require(parts == expected, "StrSection2StrVector parts");

    std::vector<int> ints{7};
    std::vector<int> expectedInts;
    const bool ok = ToIntVector(text, expectedInts);
    const int warnings = TakeWarnings();
    Require(Quendel::ToIntVector(text, ints) == ok && ints == expectedInts, "Quendel::ToIntVector");
    Require(TakeWarnings() == warnings, "Quendel::ToIntVector warnings");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    std::cout.rdbuf(&g_stdout);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    fuzzcheck::CurrentInput() = &text;
    TakeWarnings();
    CheckStringOps(text);
    CheckScalars(text);
    CheckLists(text);
    CheckNested(text);
    CheckClassHelpers(text);
    return 0;
}
