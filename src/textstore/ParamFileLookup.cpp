// Lookups in one parsed file. Unlike a tag, a lookup names an exact path: an empty part between
// two ":" is a list of that name, which no tag makes, so "A::B" finds nothing.
#include <string_view>

#include "resource/SectionPath.h"
#include "resource/StringOps.h"
#include "textstore/NameConstants.h"
#include "textstore/ParamFile.h"

// With the forgiving name rules of the format: blanks are ignored, and an empty section or one
// beginning with ":" names "GlobalParameters" (":" trimmed from the ends).
bool ParamFile::Lookup(const std::string& section, const std::string& key,
                       std::string& value) const {
    if (m_groups.empty() || key.empty()) {
        return false;
    }
    std::string keyText(key);
    EraseAll(" ", keyText);
    std::string sectionText(section);
    EraseAll(" ", sectionText);
    const std::string_view path = TrimView(sectionText, ":");
    const BlockList* list = nullptr;
    if (path.empty()) {
        list = FindList(kGlobalSection);
    } else if (sectionText.front() == ':') {
        const BlockList* global = FindList(kGlobalSection);
        list = global == nullptr ? nullptr : Follow(global, path);
    } else {
        list = FindList(path);
    }
    return FindInList(keyText, value, list);
}

const BlockList* ParamFile::FindList(std::string_view sectionPath) const {
    return Follow(nullptr, sectionPath);
}

// Each part of path names a child list of the list before it; the first, when list is null, a
// group.
const BlockList* ParamFile::Follow(const BlockList* list, std::string_view path) const {
    ForEachSectionPart(path, EmptyParts::kKeep, [this, &list](std::string_view part) {
        if (list == nullptr) {
            const auto group = m_groups.find(part);
            list = group == m_groups.end() ? nullptr : &group->second;
        } else {
            const auto child = list->m_children.find(part);
            list = child == list->m_children.end() ? nullptr : child->second.get();
        }
        return list != nullptr;
    });
    return list;
}

bool FindInList(const std::string& key, std::string& value, const BlockList* list) {
    if (list == nullptr) {
        return false;
    }
    const auto it = list->m_values.find(key);
    if (it == list->m_values.end()) {
        return false;
    }
    value = it->second.m_text;
    return true;
}
