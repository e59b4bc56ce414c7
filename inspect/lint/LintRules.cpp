#include "inspect/lint/LintRules.h"

#include <algorithm>

const std::vector<LintRule>& LintRules() {
    static const std::vector<LintRule> rules = {
        {rule::kByteOrderMark,
         "a byte-order mark, which the parser reads as text of the first line"},
        {rule::kUnclosedSection, "a section line without \"]\": the rest of the line is its name"},
        {rule::kUnclosedTag, "a tag without \">\": the rest of the line is the tag"},
        {rule::kUnclosedValue, "a value without \">\": the rest of the line is the value"},
        {rule::kHashCut, "a \"#\" that cuts a value, tag or section line short"},
        {rule::kEmptyTag, "a tag that names nothing and so selects nothing"},
        {rule::kLostText, "text after \"<>\", which is dropped"},
        {rule::kBareKey, "text without \"<\", read as a key with an empty value"},
        {rule::kBlankInKey, "a key written with inner blanks, which vanish"},
        {rule::kShadowedInFile, "an entry set twice in one file: the first setting is dead text"},
        {rule::kControlByte,
         "a control byte (other than tab and CR) in a key, value, tag or section line"},
        {rule::kInvalidUtf8,
         "bytes that are not UTF-8 in a key, value, tag or section line: JSON and editors show "
         "U+FFFD where the library returns the bytes"},
        {rule::kNotRegular,
         "a FIFO, socket, device or directory at a parameter path or listed as a file: no store "
         "reads it"},
        {rule::kFileCount, "a file configuration whose FileNumbers leaves listed files unread"},
        {rule::kMissingFile, "a file configuration that lists a file that does not exist"},
        {rule::kUnknownOverride, "an override of an entry that no base-level file defines"},
        {rule::kTypeMismatch,
         "an override that does not read as the base-level value's type, or a list of another "
         "length"},
        {rule::kOutOfRange,
         "a number the base-level value's type cannot hold: an int query gets what atoi makes of "
         "it, a float query infinity"},
        {rule::kFractionCut,
         "a fraction where the base-level value is an int: an int query cuts it"},
        {rule::kEmptyNumber,
         "an empty value where the base-level value is a number: a query finds it and reads 0"},
        {rule::kDeadFile, "a parameter file that no selection ever reads"},
        {rule::kMaskedOverride,
         "an entry that a higher layer outranks in every selection that reads its file"},
        {rule::kRedundantOverride,
         "an entry whose value is, as text, the value it overrides in every selection"},
    };
    return rules;
}

bool IsLintRule(std::string_view id) {
    const std::vector<LintRule>& rules = LintRules();
    return std::any_of(rules.begin(), rules.end(),
                       [id](const LintRule& rule) { return rule.m_id == id; });
}
