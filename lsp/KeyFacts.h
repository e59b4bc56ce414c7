// What a source of documentation for the parameters (a parameter schema) says of a section or a
// key: its type, unit, range and description, for hovers and completion. The server answers
// without one; a source plugs in through this interface.
#ifndef QUENDEL_LSP_KEYFACTS_H
#define QUENDEL_LSP_KEYFACTS_H

#include <string>

struct KeyFact {
    std::string m_type;         // "integer", "number", ...
    std::string m_unit;         // "dB"
    std::string m_range;        // "from -20 to 60"
    std::string m_description;  // the text the source gives
};

class KeyFacts {
  public:
    virtual ~KeyFacts() = default;
    // False when the source says nothing of the key.
    virtual bool Describe(const std::string& section, const std::string& key,
                          KeyFact& fact) const = 0;
    // The description of a section; false when there is none.
    virtual bool DescribeSection(const std::string& section, std::string& description) const = 0;
};

#endif
