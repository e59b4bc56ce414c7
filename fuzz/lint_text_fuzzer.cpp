// Lint of one parameter text on arbitrary bytes: every finding lies inside the text; the byte
// findings point at the byte they name, one per line and kind outside comments; the entries lint
// keeps are those the parser stores; and a number text's fit for each query type agrees with the
// library's conversions of it.
#include <utf8.h>

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

#include "FuzzCheck.h"
#include "inspect/lint/ParamLint.h"
#include "inspect/report/NumberFit.h"
#include "resource/StringOps.h"
#include "resource/ValueText.h"
#include "textstore/ParamFile.h"

namespace {

using fuzzcheck::Require;

bool IsControl(unsigned char c) {
    return (c < 0x20 && c != '\t' && c != '\r') || c == 0x7f;
}

// The offset a byte finding names ("... at byte offset N ...").
size_t NamedOffset(const std::string& message) {
    const std::string_view marker = "at byte offset ";
    const size_t at = message.find(marker);
    Require(at != std::string::npos, "a byte finding names its offset");
    return std::stoul(message.substr(at + marker.size()));
}

void CheckFindings(const std::string& text, const FileLint& lint) {
    size_t lines = 1;
    for (const char c : text) {
        lines += c == '\n' ? 1 : 0;
    }
    std::map<std::pair<size_t, std::string>, int> perLine;
    for (const LintFinding& finding : lint.m_findings) {
        Require(finding.m_line >= 1 && finding.m_line <= lines, "a finding on a line of the text");
        Require(finding.m_column >= 1, "columns count from 1");
        if (finding.m_rule == "control-byte" || finding.m_rule == "invalid-utf8") {
            const size_t offset = NamedOffset(finding.m_message);
            Require(offset < text.size(), "the named byte is in the text");
            const auto byte = static_cast<unsigned char>(text[offset]);
            if (finding.m_rule == "control-byte") {
                Require(IsControl(byte), "a control-byte finding names a control byte");
            } else {
                const size_t start = text.rfind('\n', offset);
                const size_t from = start == std::string::npos ? 0 : start + 1;
                Require(
                    utf8::find_invalid(text.begin() + static_cast<std::ptrdiff_t>(from),
                                       text.begin() + static_cast<std::ptrdiff_t>(offset) + 1) ==
                        text.begin() + static_cast<std::ptrdiff_t>(offset),
                    "an invalid-utf8 finding names the first invalid byte of its line");
            }
            Require(++perLine[{finding.m_line, finding.m_rule}] == 1,
                    "one byte finding per line and kind");
        }
    }
    // Without silencing comments, every line whose text before "#" holds a control byte has
    // its finding.
    if (text.find("quendel-lint") != std::string::npos) {
        return;
    }
    std::istringstream in(text);
    size_t number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::string_view read = std::string_view(line).substr(0, line.find('#'));
        bool control = false;
        for (const char c : read) {
            control = control || IsControl(static_cast<unsigned char>(c));
        }
        Require(control == (perLine.count({number, "control-byte"}) == 1),
                "a line with a control byte has its finding, and no other line");
    }
}

void CheckEntries(const std::string& text, const FileLint& lint) {
    ParamFile file("f.pp");
    file.ParseText(text, "");
    std::map<std::pair<std::string, std::string>, std::string> parsed;
    file.ForEachList([&](const std::string& section, const BlockList& list) {
        for (const auto& [key, value] : list.m_values) {
            parsed[{section, key}] = value.m_text;
        }
    });
    std::map<std::pair<std::string, std::string>, std::string> live;
    for (const LintEntry& entry : lint.m_entries) {
        if (entry.m_live) {
            Require(live.insert({{lint.m_sections[entry.m_section], entry.m_key}, entry.m_value})
                        .second,
                    "one live setting per entry");
        }
    }
    Require(live == parsed, "lint keeps the entries the parser stores");
}

// The fit of a number text restates the conversions: what reads as written is the number
// written, and what does not is beyond the type or a cut fraction.
void CheckNumberFit(const std::string& text) {
    double written = 0;
    if (!IsNumber(text) || !ToDouble(text, written) || text.empty()) {
        Require(FitNumber(NumberQuery::kInt, text).m_misfit ==
                    (text.empty() ? NumberMisfit::kEmpty : NumberMisfit::kNone),
                "only numbers and the empty text are judged");
        return;
    }
    std::ostringstream discard;
    std::streambuf* previous = std::cout.rdbuf(discard.rdbuf());
    int read = 0;
    ToInt(text, read);
    float narrow = 0;
    ToFloat(text, narrow);
    std::cout.rdbuf(previous);
    const NumberFit asInt = FitNumber(NumberQuery::kInt, text);
    const double whole = std::trunc(written);
    const bool beyond = !(whole >= INT_MIN && whole <= INT_MAX);
    Require(asInt.m_reads == std::to_string(read), "an int fit tells what ToInt gives");
    Require((asInt.m_misfit == NumberMisfit::kOutOfRange) == beyond, "int range");
    Require((asInt.m_misfit == NumberMisfit::kNone) == (!beyond && read == written),
            "an int reads as written exactly when it is the number written");
    Require((FitNumber(NumberQuery::kFloat, text).m_misfit == NumberMisfit::kOutOfRange) ==
                std::isinf(narrow),
            "a float is beyond its range exactly when ToFloat gives infinity");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    fuzzcheck::CurrentInput() = &text;
    const FileLint lint = LintText(text, "f.pp");
    CheckFindings(text, lint);
    CheckEntries(text, lint);
    CheckNumberFit(text.substr(0, text.find('\n')));
    fuzzcheck::CurrentInput() = nullptr;
    return 0;
}
