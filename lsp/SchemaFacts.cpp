#include "SchemaFacts.h"

#include <algorithm>

#include "inspect/lint/LintRun.h"
#include "inspect/lint/NameSuggestion.h"
#include "inspect/schema/SchemaCheck.h"
#include "inspect/schema/SchemaReader.h"
#include "inspect/schema/SchemaView.h"

bool SchemaFacts::Load(const std::string& path, std::vector<std::string>& problems) {
    m_path = path;
    m_schema = Schema();
    return ReadSchemaFile(path, m_schema, problems, NearestName);
}

bool SchemaFacts::Describe(const std::string& section, const std::string& key,
                           KeyFact& fact) const {
    const KeySchema* declared = KeySchemaOf(m_schema, section, key);
    if (declared == nullptr) {
        return false;
    }
    fact.m_type = KeyRulesText(*declared);
    fact.m_unit = declared->m_unit;
    fact.m_range.clear();  // part of the rules' text, with the unit
    fact.m_description =
        declared->m_description.empty() ? declared->m_title : declared->m_description;
    return true;
}

bool SchemaFacts::DescribeSection(const std::string& section, std::string& description) const {
    bool tooLong = false;
    for (const SectionSchema* schema : m_schema.SectionsOf(section, tooLong)) {
        const std::string& about =
            schema->m_description.empty() ? schema->m_title : schema->m_description;
        if (!about.empty()) {
            description = about;
            return true;
        }
    }
    return false;
}

std::vector<LintFinding> SchemaFacts::Check(const FileLint& lint) const {
    SchemaChecker checker(m_schema, m_path, NearestName);
    checker.BeginFile(SchemaFile{lint.m_path, SchemaLayer::kUnknown, {}, {}, {}});
    for (const LintEntry& entry : lint.m_entries) {
        if (entry.m_live) {
            checker.Add(SchemaRecord{lint.m_sections[entry.m_section], entry.m_key, entry.m_value,
                                     entry.m_line, entry.m_column});
        }
    }
    std::vector<LintFinding> findings;
    for (SchemaFinding& finding : checker.Finish()) {
        // Findings about the schema file itself are not this file's.
        if (finding.m_file == lint.m_path) {
            findings.push_back(LintFindingOf(std::move(finding)));
        }
    }
    return findings;
}
