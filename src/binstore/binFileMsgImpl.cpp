#include "binstore/binFileMsgImpl.h"

#include "fileset/FileSet.h"
#include "host/Corvel.h"
#include "resource/StringOps.h"
#include "textstore/NameConstants.h"

const std::string& binFileMsgImpl::SectionName(const std::string& name, std::string& buffer) {
    static const std::string global(kGlobalSection);
    const std::string& section = LookupName(name, buffer);
    return section.empty() ? global : section;
}

const std::string& binFileMsgImpl::KeyName(const std::string& name, std::string& buffer) {
    return LookupName(name, buffer);
}

binFileMsgImpl::binFileMsgImpl(const std::string& f, const std::string& p, const std::string& a)
    : m_probe(p), m_group(f), m_clinical(a) {
    m_parser = Fendrel::getHandle();
    // The destructor does not run when the constructor throws (exhausted memory), so the
    // parser is released here then.
    try {
        const TreeLocation tree = FileSet::Locate();
        LogInfo(kLogCategory, "FileName: %s", tree.m_name.c_str());
        m_dirPrefix = tree.m_dirPrefix;
        m_productRuleDir = FileSet::ProductRuleDir(tree.m_productRule);
        m_binaryFilePath = tree.m_resourceFile;

        if (m_parser != nullptr && m_parser->OpenFile(m_binaryFilePath)) {
            LoadBaseFiles();
            ApplySelection(m_group, m_probe, m_clinical);
        } else if (m_parser != nullptr) {
            // A refused file must not go unnoticed: the parser says why.
            m_openError = m_parser->OpenError();
            LogError(kLogCategory, "Cannot open resource file %s: %s", m_binaryFilePath.c_str(),
                     m_openError.c_str());
            Fendrel::deletHandle(m_parser);
        }
    } catch (...) {
        if (m_parser != nullptr) {
            Fendrel::deletHandle(m_parser);
        }
        throw;
    }
}

binFileMsgImpl::~binFileMsgImpl() {
    if (m_parser != nullptr) {
        Fendrel::deletHandle(m_parser);
    }
}

bool binFileMsgImpl::SetGroup(const std::string& f) {
    if (f == m_group) {
        return true;
    }
    m_group = f;
    m_probe.clear();
    m_clinical.clear();
    m_reloadPending = true;
    return true;
}

bool binFileMsgImpl::SetProbe(const std::string& p) {
    if (p == m_probe) {
        return true;
    }
    if (m_group.empty()) {
        return false;
    }
    m_probe = p;
    m_clinical.clear();
    m_reloadPending = true;
    return true;
}

bool binFileMsgImpl::SetClinical(const std::string& a) {
    if (a == m_clinical && !m_reloadPending) {
        return true;
    }
    if (a != m_clinical) {
        m_clinical = a;
    }
    return ApplySelection(m_group, m_probe, m_clinical);
}

bool binFileMsgImpl::SetUserDefined(const std::string& /*f*/, const std::string& /*p*/,
                                    const std::string& /*a*/) {
    return false;
}

// The selection calls that follow say what changes: a level whose selector is left empty keeps
// what the store holds, so a host can switch the clinical setting alone.
void binFileMsgImpl::Reload(const std::string& /*f*/, const std::string& /*p*/,
                            const std::string& /*a*/) {}

void binFileMsgImpl::Refresh() {
    // A new group or probe without a clinical setting reaches no SetClinical; it still takes
    // effect here, so the parser never answers for a level the caller has left.
    if (m_reloadPending) {
        ApplySelection(m_group, m_probe, m_clinical);
    }
    if (m_parser != nullptr) {
        m_parser->Refresh();
    }
}

namespace {

// Names that lookups take as they are, the common case: no blanks, and no empty section.
bool SectionAsGiven(const std::string& name) {
    return !name.empty() && !HasBlank(name);
}
bool SectionAsGiven(const HashedKey& /*key*/) {
    return true;
}
bool KeyAsGiven(const std::string& name) {
    return !HasBlank(name);
}
bool KeyAsGiven(const HashedKey& /*key*/) {
    return true;
}

// The value copied out, or the text where it lies.
template <class Section, class Key>
bool Ask(Fendrel& parser, const Section& section, const Key& key, std::string& value) {
    return parser.FindValue(section, key, value);
}
template <class Section, class Key>
bool Ask(Fendrel& parser, const Section& section, const Key& key, std::string_view& value) {
    return parser.FindText(section, key, value);
}

}  // namespace

template <class Section, class Key, class Value>
bool binFileMsgImpl::Find(const Section& section, const Key& key, Value& value) {
    if (m_parser == nullptr) {
        return false;
    }
    if (SectionAsGiven(section) && KeyAsGiven(key)) {
        return Ask(*m_parser, section, key, value);
    }
    std::string sectionBuffer;
    std::string keyBuffer;
    return Ask(*m_parser, SectionName(section, sectionBuffer), KeyName(key, keyBuffer), value);
}

bool binFileMsgImpl::GetRawValue(const HashedKey& section, const std::string& key,
                                 std::string& value) {
    return Find(section, key, value);
}

bool binFileMsgImpl::GetRawValue(const std::string& section, const HashedKey& key,
                                 std::string& value) {
    return Find(section, key, value);
}

bool binFileMsgImpl::GetRawValue(const HashedKey& section, const HashedKey& key,
                                 std::string& value) {
    return Find(section, key, value);
}

bool binFileMsgImpl::GetRawValue(const std::string& section, const std::string& key,
                                 std::string& value) {
    return Find(section, key, value);
}

bool binFileMsgImpl::FindText(const std::string& section, const std::string& key,
                              std::string_view& text) {
    return Find(section, key, text);
}

bool binFileMsgImpl::FindText(const HashedKey& section, const std::string& key,
                              std::string_view& text) {
    return Find(section, key, text);
}

bool binFileMsgImpl::FindText(const std::string& section, const HashedKey& key,
                              std::string_view& text) {
    return Find(section, key, text);
}

bool binFileMsgImpl::FindText(const HashedKey& section, const HashedKey& key,
                              std::string_view& text) {
    return Find(section, key, text);
}
