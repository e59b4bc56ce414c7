#include "inspect/schema/Schema.h"

const char* TypeName(SchemaType type) {
    switch (type) {
        case SchemaType::kInteger:
            return "integer";
        case SchemaType::kNumber:
            return "number";
        case SchemaType::kBoolean:
            return "boolean";
        case SchemaType::kString:
            return "string";
        case SchemaType::kArray:
            return "array";
        case SchemaType::kAny:
            break;
    }
    return "text";
}

std::vector<const SectionSchema*> Schema::SectionsOf(std::string_view section,
                                                     bool& tooLong) const {
    std::vector<const SectionSchema*> sections;
    const auto own = m_sections.find(section);
    if (own != m_sections.end()) {
        sections.push_back(&own->second);
    }
    tooLong = !m_families.empty() && section.size() > SchemaPattern::kMaxText;
    if (!tooLong) {
        for (const auto& [pattern, family] : m_families) {
            if (pattern.Search(section)) {
                sections.push_back(&family);
            }
        }
    }
    return sections;
}

std::vector<std::string> Schema::SectionNames() const {
    std::vector<std::string> names;
    for (const auto& [name, section] : m_sections) {
        names.push_back(name);
    }
    return names;
}

KeySchemas KeySchemasOf(const std::vector<const SectionSchema*>& sections, std::string_view key,
                        bool& tooLong) {
    KeySchemas found;
    tooLong = false;
    for (const SectionSchema* section : sections) {
        bool declared = false;
        const auto own = section->m_keys.find(key);
        if (own != section->m_keys.end()) {
            found.m_schemas.push_back(&own->second);
            declared = true;
        }
        if (!section->m_keyFamilies.empty() && key.size() > SchemaPattern::kMaxText) {
            tooLong = true;
            continue;
        }
        for (const auto& [pattern, family] : section->m_keyFamilies) {
            if (pattern.Search(key)) {
                found.m_schemas.push_back(&family);
                declared = true;
            }
        }
        if (!declared && section->m_closed) {
            found.m_closedWithout.push_back(section);
        }
    }
    return found;
}
