// The rules of `quendel lint`: one name per kind of finding, each with a line that says what it
// finds. Findings, --rules, --disable, inline comments and the SARIF rule table all use these.
#ifndef QUENDEL_INSPECT_LINT_LINTRULES_H
#define QUENDEL_INSPECT_LINT_LINTRULES_H

#include <string_view>
#include <vector>

struct LintRule {
    std::string_view m_id;
    std::string_view m_description;
};

namespace rule {
// Readings the parser picks for one file.
inline constexpr char kByteOrderMark[] = "bom";
inline constexpr char kUnclosedSection[] = "unclosed-section";
inline constexpr char kUnclosedTag[] = "unclosed-tag";
inline constexpr char kUnclosedValue[] = "unclosed-value";
inline constexpr char kHashCut[] = "hash-cut";
inline constexpr char kEmptyTag[] = "empty-tag";
inline constexpr char kLostText[] = "lost-text";
inline constexpr char kBareKey[] = "bare-key";
inline constexpr char kBlankInKey[] = "blank-in-key";
inline constexpr char kShadowedInFile[] = "shadowed-in-file";
// Bytes of a file: control bytes and text that is not UTF-8 in what the parser reads.
inline constexpr char kControlByte[] = "control-byte";
inline constexpr char kInvalidUtf8[] = "invalid-utf8";
// A path that no store can read: a FIFO, a socket, a device or a directory.
inline constexpr char kNotRegular[] = "not-regular";
// The file configuration.
inline constexpr char kFileCount[] = "file-count";
inline constexpr char kMissingFile[] = "missing-file";
// Across the layers of a tree.
inline constexpr char kUnknownOverride[] = "unknown-override";
inline constexpr char kTypeMismatch[] = "type-mismatch";
// Numbers a query reads other than they are written, by the base-level value's type.
inline constexpr char kOutOfRange[] = "out-of-range";
inline constexpr char kFractionCut[] = "fraction-cut";
inline constexpr char kEmptyNumber[] = "empty-number";
inline constexpr char kDeadFile[] = "dead-file";
// Across every selection of a tree.
inline constexpr char kMaskedOverride[] = "masked-override";
inline constexpr char kRedundantOverride[] = "redundant-override";
}  // namespace rule

// Every rule, in the order above.
const std::vector<LintRule>& LintRules();
bool IsLintRule(std::string_view id);

#endif
