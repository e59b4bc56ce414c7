// What the parser of a parameter text file can tell about the text it reads: each place where
// it picks one reading of malformed or suspicious text, and each entry it stores. A ParamFile
// without an observer reads exactly as fast as before; one with an observer calls it while it
// parses. Every callback does nothing by default, so an observer overrides only what it needs.
#ifndef QUENDEL_TEXTSTORE_PARAMOBSERVER_H
#define QUENDEL_TEXTSTORE_PARAMOBSERVER_H

#include <cstddef>
#include <string_view>

// Line from 1; column in characters (UTF-8 sequences count once) from 1, where a byte-order
// mark at the start of the file is not counted.
struct ParamPosition {
    size_t m_line = 0;
    size_t m_column = 0;
};

// One entry as the parser stores it. The views live until the callback returns.
struct ParamEntryEvent {
    std::string_view m_section;  // the section path that receives it
    std::string_view m_key;
    std::string_view m_value;
    ParamPosition m_at;  // where its key begins
};

class ParamObserver {
  public:
    // What a "#" cut short: the parser reads everything from the first "#" on as a comment.
    enum class Construct { kSection, kTag, kValue };

    virtual ~ParamObserver() = default;

    // The file begins with a byte-order mark, which is read as text of the first line; line
    // is that line after the mark, up to its comment.
    virtual void OnByteOrderMark(std::string_view /*line*/) {}
    // The comment of a line: what follows its first "#".
    virtual void OnComment(size_t /*line*/, std::string_view /*text*/) {}
    // "[Name" without "]": the rest of the line is the name. text runs from the "[".
    virtual void OnUnclosedSection(ParamPosition, std::string_view /*text*/) {}
    // "<Tag" without ">": the rest of the line is the tag. text runs from the "<".
    virtual void OnUnclosedTag(ParamPosition, std::string_view /*text*/) {}
    // "Key<value" without ">": the rest of the line is the value; at is the "<".
    virtual void OnUnclosedValue(ParamPosition, std::string_view /*key*/) {}
    // A section line, tag or value left open where the line holds its closing bracket after
    // a "#": the "#" cut it. at is the "#"; what is the section or tag text, or the value's key.
    virtual void OnHashCut(Construct, ParamPosition, std::string_view /*what*/) {}
    // A tag that names nothing ("<>", "< >", "<:>"): entries keep going where they went.
    virtual void OnEmptyTag(ParamPosition, std::string_view /*tag*/) {}
    // Text after "Key<>" on the same line, which is dropped.
    virtual void OnLostText(ParamPosition, std::string_view /*text*/) {}
    // A piece without "<": stored as a key with an empty value, inner blanks kept.
    virtual void OnBareKey(ParamPosition, std::string_view /*key*/) {}
    // A key written before "<" with inner blanks, which the key loses.
    virtual void OnBlankInKey(ParamPosition, std::string_view /*written*/,
                              std::string_view /*key*/) {}
    // A tag that names a section, at its "<"; path is the section path it selects. OnSection
    // follows.
    virtual void OnTag(ParamPosition, std::string_view /*path*/) {}
    // A tag selected the list that receives the following entries, or the first entry before
    // any tag went to "GlobalParameters".
    virtual void OnSection(std::string_view /*path*/) {}
    // The entry sets a key that its list already holds, last set on previousLine; the new
    // value replaces the old one. OnEntry follows.
    virtual void OnKeySetAgain(const ParamEntryEvent&, size_t /*previousLine*/) {}
    // Every entry stored, in file order.
    virtual void OnEntry(const ParamEntryEvent&) {}
};

#endif
