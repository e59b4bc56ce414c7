// The parameter text format, its lookup and the text store's merge, restated step by step the
// way they are written down: whole-string copies, one line and one piece at a time. The fuzz
// targets compare the library's parser and store against it.
#ifndef QUENDEL_FUZZ_REFERENCEPARAMTEXT_H
#define QUENDEL_FUZZ_REFERENCEPARAMTEXT_H

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ReferenceRules.h"

namespace reference {

constexpr char kGlobal[] = "GlobalParameters";

struct Entry {
    std::string value;
    size_t line = 0;
};

// One section list: its entries and its child lists.
struct List {
    std::map<std::string, Entry> values;
    std::map<std::string, std::unique_ptr<List>> children;
};

// Section path to the entries of its list; a list without entries is present too.
using FlatTree = std::map<std::string, std::map<std::string, Entry>>;

inline bool operator==(const Entry& a, const Entry& b) {
    return a.value == b.value && a.line == b.line;
}

class ParamText {
  public:
    void Parse(const std::string& text, const std::string& filter) {
        m_filter = Trimmed(" ", filter);
        m_active = true;
        size_t start = 0;
        while (start < text.size()) {
            const size_t feed = text.find('\n', start);
            std::string line =
                text.substr(start, feed == std::string::npos ? std::string::npos : feed - start);
            start = feed == std::string::npos ? text.size() : feed + 1;
            ++m_line;
            if (feed != std::string::npos && !line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            ReadLine(line);
        }
    }

    // Lookup of one entry by section path and key with the file's name rules.
    bool Lookup(const std::string& section, const std::string& key, std::string& value) const {
        if (m_groups.empty() || key.empty()) {
            return false;
        }
        const std::string keyText = Erased(" ", key);
        const std::string sectionText = Erased(" ", section);
        const List* list = nullptr;
        if (Trimmed(":", sectionText).empty()) {
            list = Group(kGlobal);
        } else {
            std::string name;
            std::string path;
            if (sectionText[0] == ':') {
                name = kGlobal;
                path = Trimmed(":", sectionText);
            } else {
                const std::string trimmed = Trimmed(":", sectionText);
                const size_t colon = trimmed.find(':');
                name = Trimmed(":", trimmed.substr(0, colon));
                path = colon == std::string::npos ? "" : trimmed.substr(colon + 1);
            }
            list = Group(name);
            while (list != nullptr && !path.empty()) {
                const size_t colon = path.find(':');
                const std::string component = Trimmed(":", path.substr(0, colon));
                path = colon == std::string::npos ? "" : path.substr(colon + 1);
                const auto child = list->children.find(component);
                list = child == list->children.end() ? nullptr : child->second.get();
            }
        }
        if (list == nullptr) {
            return false;
        }
        const auto entry = list->values.find(keyText);
        if (entry == list->values.end()) {
            return false;
        }
        value = entry->second.value;
        return true;
    }

    FlatTree Flatten() const {
        FlatTree tree;
        for (const auto& [name, list] : m_groups) {
            Flatten(*list, name, tree);
        }
        return tree;
    }

    const List* Group(const std::string& name) const {
        const auto it = m_groups.find(name);
        return it == m_groups.end() ? nullptr : it->second.get();
    }

  private:
    void ReadLine(const std::string& line) {
        if (line.empty()) {
            return;
        }
        const size_t first = line.find_first_not_of('\t');
        if (first == std::string::npos) {
            return;
        }
        size_t last = line.find_last_not_of('\t');
        const size_t hash = line.find('#');
        if (hash != std::string::npos) {
            if (hash == 0 || hash == first) {
                return;
            }
            last = hash - 1;
        }
        std::string piece = line.substr(first, last - first + 1);
        ReplaceAll("\t", " ", piece);
        ProcessLine(piece);
    }

    // Each piece hands on the rest of its line, read as the next piece.
    void ProcessLine(std::string line) {
        while (true) {
            const std::string s = Trimmed(" ", Trimmed(" \t", line));
            if (s.empty()) {
                return;
            }
            std::string rest;
            if (s[0] == '<') {
                if (!m_active || !TagLine(s, rest)) {
                    return;
                }
            } else if (s[0] == '[') {
                rest = SectionLine(s);
            } else if (m_active) {
                rest = KeyValue(line);
            }
            if (rest.empty()) {
                return;
            }
            line = rest;
        }
    }

    std::string SectionLine(const std::string& s) {
        const size_t close = s.find(']');
        std::string name;
        std::string rest;
        if (close == std::string::npos) {
            name = s.substr(1);
        } else {
            name = s.substr(1, close - 1);
            rest = Trimmed(" ", s.substr(close + 1));
        }
        Trim(" ", name);
        m_active = m_filter.empty() || m_filter == name;
        return rest;
    }

    // False when the tag ends the line's reading.
    bool TagLine(const std::string& s, std::string& rest) {
        std::string name;
        std::string path;
        if (!SplitTag(s, name, path, rest)) {
            return false;
        }
        if (name.empty()) {
            return !rest.empty();
        }
        auto& group = m_groups[name];
        if (!group) {
            group = std::make_unique<List>();
        }
        m_current = group.get();
        while (!path.empty()) {
            const size_t colon = path.find(':');
            const std::string component = path.substr(0, colon);
            path = colon == std::string::npos ? "" : Trimmed(":", path.substr(colon + 1));
            if (component.empty()) {
                continue;
            }
            auto& child = m_current->children[component];
            if (!child) {
                child = std::make_unique<List>();
            }
            m_current = child.get();
        }
        rest = Trimmed(" ", rest);
        return true;
    }

  public:
    // Splits a tag piece s (beginning with "<"); false when nothing is named and nothing follows.
    static bool SplitTag(const std::string& s, std::string& name, std::string& path,
                         std::string& rest) {
        rest.clear();
        const size_t close = s.find('>');
        std::string inner;
        if (close == std::string::npos) {
            inner = s.substr(1);
        } else {
            inner = s.substr(1, close - 1);
            if (close + 1 < s.size()) {
                rest = Trimmed(" \t", s.substr(close + 1));
            }
        }
        EraseAll(" ", inner);
        if (inner.empty()) {
            return !rest.empty();
        }
        if (inner[0] == ':') {
            name = kGlobal;
        }
        Trim(":", inner);
        if (inner.empty()) {
            name.clear();
            return !rest.empty();
        }
        if (!name.empty()) {
            path = inner;
        } else {
            const size_t colon = inner.find(':');
            name = inner.substr(0, colon);
            path = colon == std::string::npos ? "" : inner.substr(colon + 1);
        }
        Trim(":", path);
        return true;
    }

  private:
    // Stores one entry; returns the rest of the line.
    std::string KeyValue(const std::string& line) {
        const std::string s = Trimmed(" ", line);
        const size_t open = s.find('<');
        std::string key;
        std::string value;
        std::string rest;
        if (open == std::string::npos) {
            key = s;
        } else {
            key = Erased(" ", s.substr(0, open));
            value = Trimmed(" ", s.substr(open + 1));
            const size_t close = value.find('>');
            if (close == 0) {
                value.clear();
            } else if (close != std::string::npos) {
                rest = Trimmed(" ", value.substr(close + 1));
                value = Trimmed(" ", value.substr(0, close));
            }
        }
        if (m_current == nullptr) {
            auto& global = m_groups[kGlobal];
            if (!global) {
                global = std::make_unique<List>();
            }
            m_current = global.get();
        }
        m_current->values[key] = Entry{value, m_line};
        return rest;
    }

    static void Flatten(const List& list, const std::string& path, FlatTree& tree) {
        tree[path] = list.values;
        for (const auto& [name, child] : list.children) {
            Flatten(*child, path + ":" + name, tree);
        }
    }

    std::string m_filter;
    bool m_active = true;
    size_t m_line = 0;
    std::map<std::string, std::unique_ptr<List>> m_groups;
    List* m_current = nullptr;
};

}  // namespace reference

#endif
