#include "Navigation.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "LanguageServer.h"
#include "ProtocolJson.h"
#include "TreeDocument.h"
#include "resource/StringOps.h"

namespace {

// The Location of a piece of a file of the tree, its name as the range; null when the file
// cannot be read.
Json LocationOf(LanguageServer& server, const std::string& path, ParamPosition at, bool tag) {
    std::shared_ptr<FileText> text = server.Texts().Of(path);
    if (text == nullptr) {
        return nullptr;
    }
    const PieceExtent extent = tag ? TagExtent(text->Positions(), text->Text(), at)
                                   : EntryExtent(text->Positions(), text->Text(), at);
    const TextDocument& document = text->Document();
    return {{"uri", server.Documents().UriOfPath(path)},
            {"range", RangeJson({document.PositionOf(extent.m_nameBegin, server.Encoding()),
                                 document.PositionOf(extent.m_nameEnd, server.Encoding())})}};
}

struct Target {
    const TreeDocument* m_document = nullptr;
    PieceAt m_piece;
    std::string m_section;
    std::string m_key;  // as a lookup names it; empty for a tag
};

bool TargetOf(LanguageServer& server, const Json& params, const TreeDocument& document,
              Target& target) {
    if (!document.InTree()) {
        return false;
    }
    const size_t offset = document.m_text->Document().OffsetOf(
        ReadPosition(ObjectMember(params, "position")), server.Encoding());
    target.m_document = &document;
    target.m_piece = FindPiece(*document.m_lint, *document.m_text, offset);
    const FileLint& lint = *document.m_lint;
    if (target.m_piece.m_kind == PieceAt::Kind::kEntry) {
        const LintEntry& entry = lint.m_entries[target.m_piece.m_index];
        target.m_section = lint.m_sections[entry.m_section];
        std::string buffer;
        target.m_key = LookupName(entry.m_key, buffer);
        return true;
    }
    if (target.m_piece.m_kind == PieceAt::Kind::kTag) {
        target.m_section = lint.m_sections[lint.m_tags[target.m_piece.m_index].m_section];
        return true;
    }
    return false;
}

// The tags that name section: with baseOnly, the first in each base-level file, highest
// precedence first; else every one, file by file.
Json SectionPlaces(LanguageServer& server, const std::string& section, bool baseOnly) {
    const CheckedTree& tree = server.Workspace().Tree();
    std::vector<std::pair<uint32_t, Json>> ranked;
    for (uint32_t file = 0; file < tree.Files().size(); ++file) {
        const CheckedTree::File& checked = tree.Files()[file];
        if (checked.m_lint == nullptr || (baseOnly && checked.m_layer != Layer::kBase)) {
            continue;
        }
        for (const LintTag& tag : checked.m_lint->m_tags) {
            if (checked.m_lint->m_sections[tag.m_section] != section) {
                continue;
            }
            Json location = LocationOf(server, checked.m_path, {tag.m_line, tag.m_column}, true);
            if (!location.is_null()) {
                ranked.emplace_back(baseOnly ? tree.Layers().BaseRank(file) : file,
                                    std::move(location));
            }
            if (baseOnly) {
                break;
            }
        }
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    Json places = Json::array();
    for (auto& [rank, location] : ranked) {
        places.push_back(std::move(location));
    }
    return places;
}

}  // namespace

Json DefinitionOf(LanguageServer& server, const Json& params) {
    const TreeDocument document = OpenTreeDocument(server, params);
    Target target;
    if (!TargetOf(server, params, document, target)) {
        return nullptr;
    }
    TreeWorkspace& workspace = server.Workspace();
    const CheckedTree& tree = workspace.Tree();
    if (target.m_key.empty()) {
        Json places = SectionPlaces(server, target.m_section, true);
        return places.empty() ? Json() : places.front();
    }
    const TreeModel& model = tree.Model();
    const std::vector<Holder>* holders = model.Holders(target.m_section, target.m_key);
    const size_t selection = workspace.SelectionFor(document.m_file);
    const Holder* winner = holders == nullptr || selection == TreeWorkspace::kNoSelection
                               ? nullptr
                               : model.Winner(selection, *holders);
    if (winner == nullptr) {
        return nullptr;
    }
    const LintEntry& entry = model.Entry(*winner);
    return LocationOf(server, model.Files()[winner->m_file].m_path, {entry.m_line, entry.m_column},
                      false);
}

Json ReferencesOf(LanguageServer& server, const Json& params) {
    const TreeDocument document = OpenTreeDocument(server, params);
    Target target;
    if (!TargetOf(server, params, document, target)) {
        return Json::array();
    }
    if (target.m_key.empty()) {
        return SectionPlaces(server, target.m_section, false);
    }
    const CheckedTree& tree = server.Workspace().Tree();
    Json places = Json::array();
    const std::vector<Holder>* settings = tree.Layers().Settings(target.m_section, target.m_key);
    if (settings == nullptr) {
        return places;
    }
    for (const Holder& holder : *settings) {
        const LintEntry& entry = tree.Layers().Entry(holder);
        Json location = LocationOf(server, tree.Files()[holder.m_file].m_path,
                                   {entry.m_line, entry.m_column}, false);
        if (!location.is_null()) {
            places.push_back(std::move(location));
        }
    }
    return places;
}

void Navigation::Install(LanguageServer& server) {
    server.AddCapability("definitionProvider", true);
    server.AddCapability("referencesProvider", true);
    server.OnRequest("textDocument/definition",
                     [&server](const Json& params) { return DefinitionOf(server, params); });
    server.OnRequest("textDocument/references",
                     [&server](const Json& params) { return ReferencesOf(server, params); });
}
