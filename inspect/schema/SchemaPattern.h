// A "pattern" of a schema: an ECMAScript regular expression that must occur somewhere in a text,
// as JSON Schema defines it. C++'s std::regex reads it, in its polynomial mode (a breadth-first
// automaton: no exponential backtracking, no back-references), and three limits keep every
// search bounded: the pattern's length, the size of its automaton (counted repetitions such as
// "a{50}" copy their operand) and the length of the text searched.
#ifndef QUENDEL_INSPECT_SCHEMA_SCHEMAPATTERN_H
#define QUENDEL_INSPECT_SCHEMA_SCHEMAPATTERN_H

#include <cstddef>
#include <regex>
#include <string>
#include <string_view>

class SchemaPattern {
  public:
    static constexpr size_t kMaxLength = 256;   // bytes of a pattern
    static constexpr size_t kMaxStates = 1000;  // atoms of a pattern, repetitions expanded
    static constexpr size_t kMaxText = 1024;    // bytes of a text searched

    // False with the reason when the pattern is not one std::regex reads within the limits.
    bool Compile(const std::string& pattern, std::string& error);
    // Whether the pattern occurs in text, which holds at most kMaxText bytes. Bytes, not
    // characters: "." matches one byte of a UTF-8 sequence.
    bool Search(std::string_view text) const;
    const std::string& Source() const { return m_source; }

  private:
    std::string m_source;
    // Text that every match begins with, when the pattern is anchored and has no alternative:
    // most texts are refused by comparing it alone.
    std::string m_prefix;
    // The whole text matched against "anything, the pattern, anything": one pass of the
    // automaton, where searching would run it again from every position.
    std::regex m_regex;
};

#endif
