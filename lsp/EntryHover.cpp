#include "EntryHover.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "LanguageServer.h"
#include "MarkupText.h"
#include "ProtocolJson.h"
#include "TreeDocument.h"
#include "inspect/lint/ValueShape.h"
#include "resource/StringOps.h"

namespace {

// Values of many elements are shown by their start.
constexpr size_t kShownValue = 120;

std::string Shortened(const std::string& value) {
    if (value.size() <= kShownValue) {
        return value;
    }
    size_t cut = kShownValue;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return value.substr(0, cut) + " ...";
}

void Selection(MarkupText& text, const TreeWorkspace& workspace, size_t selection) {
    const ModelSelection& chosen = workspace.Tree().Model().Selections()[selection];
    text.Own("for the selection ")
        .Code(chosen.m_group)
        .Own(" / ")
        .Code(chosen.m_probe)
        .Own(" / ")
        .Code(chosen.m_clinical)
        .Own(chosen.m_store == StoreKind::kText ? " (text store" : " (binary store");
    if (!chosen.m_product.empty()) {
        text.Own(", product ").Code(chosen.m_product);
    }
    text.Own(")");
}

void Facts(MarkupText& text, const KeyFacts* facts, const std::string& section,
           const std::string& key) {
    KeyFact fact;
    if (facts == nullptr || !facts->Describe(section, key, fact)) {
        return;
    }
    text.Paragraph();
    AppendKeyFact(text, fact);
}

void KeyHover(MarkupText& text, LanguageServer& server, const TreeDocument& document,
              uint32_t index) {
    const TreeWorkspace& workspace = server.Workspace();
    const CheckedTree& tree = workspace.Tree();
    const TreeModel& model = tree.Model();
    const FileLint& lint = *document.m_lint;
    const LintEntry& entry = lint.m_entries[index];
    const std::string& section = lint.m_sections[entry.m_section];
    std::string buffer;
    const std::string& key = LookupName(entry.m_key, buffer);
    const size_t selection = workspace.SelectionFor(document.m_file);
    const std::vector<Holder>* holders = model.Holders(section, key);
    const Holder* winner = holders == nullptr || selection == TreeWorkspace::kNoSelection
                               ? nullptr
                               : model.Winner(selection, *holders);

    text.Code(section).Own(" ").Code(key);
    if (winner != nullptr) {
        text.Own(" = ").Code(Shortened(model.Entry(*winner).m_value));
    }
    text.Break();
    if (selection == TreeWorkspace::kNoSelection) {
        text.Own("the tree offers no selection");
        return;
    }
    Selection(text, workspace, selection);
    if (!entry.m_live) {
        text.Paragraph().Own("This setting is dead text: the file sets the key again below.");
    }
    if (winner == nullptr) {
        text.Paragraph().Own("No file of this selection sets it: a query gets its default.");
    } else {
        std::vector<std::pair<uint32_t, const Holder*>> read;
        for (const Holder& holder : *holders) {
            const uint32_t rank = model.RankIn(holder.m_file, selection);
            if (rank != TreeModel::kUnread) {
                read.emplace_back(rank, &holder);
            }
        }
        std::sort(read.begin(), read.end());
        text.Paragraph();
        for (const auto& [rank, holder] : read) {
            const std::string value = Shortened(model.Entry(*holder).m_value);
            text.Item();
            if (holder == winner) {
                text.Strong("wins").Own(": ").Code(value);
            } else {
                text.Own("outranked: ").StruckCode(value);
            }
            text.Own(" ")
                .Text(model.LayerName(selection, rank))
                .Own(" ")
                .Code(model.Where(*holder));
        }
    }
    const Holder* definition = tree.Layers().Definition(section, key);
    text.Paragraph();
    if (definition == nullptr) {
        text.Own("No base-level file defines it: an override of it changes nothing.");
    } else {
        const LintEntry& base = tree.Layers().Entry(*definition);
        text.Own("Base level: ")
            .Own(KindName(ShapeOf(base.m_value).m_kind))
            .Own(", defined at ")
            .Code(tree.Layers().Origin(*definition));
    }
    Facts(text, server.Facts(), section, key);
}

void SectionHover(MarkupText& text, LanguageServer& server, const TreeDocument& document,
                  uint32_t index) {
    const TreeWorkspace& workspace = server.Workspace();
    const CheckedTree& tree = workspace.Tree();
    const TreeModel& model = tree.Model();
    const std::string& section =
        document.m_lint->m_sections[document.m_lint->m_tags[index].m_section];
    text.Own("section ").Code(section).Break();
    const size_t selection = workspace.SelectionFor(document.m_file);
    if (selection != TreeWorkspace::kNoSelection) {
        Selection(text, workspace, selection);
        // The keys a lookup finds in the section: each once, whichever file sets it.
        std::set<std::string_view> keys;
        for (const uint32_t file : model.Stack(selection)) {
            const FileLint& lint = model.Files()[file].Lint();
            const auto at = std::find(lint.m_sections.begin(), lint.m_sections.end(), section);
            if (at == lint.m_sections.end()) {
                continue;
            }
            const auto sectionIndex = static_cast<uint32_t>(at - lint.m_sections.begin());
            for (const LintEntry& entry : lint.m_entries) {
                if (entry.m_section == sectionIndex && entry.m_live && ReachableName(entry.m_key)) {
                    keys.insert(entry.m_key);
                }
            }
        }
        text.Paragraph().Own(std::to_string(keys.size()) + (keys.size() == 1 ? " key" : " keys") +
                             " in this selection");
    }
    std::vector<std::string> places;
    for (const CheckedTree::File& file : tree.Files()) {
        if (file.m_lint == nullptr || file.m_layer != Layer::kBase) {
            continue;
        }
        for (const LintTag& tag : file.m_lint->m_tags) {
            if (file.m_lint->m_sections[tag.m_section] == section) {
                places.push_back(file.m_relative + ":" + std::to_string(tag.m_line));
                break;
            }
        }
    }
    text.Paragraph();
    if (places.empty()) {
        text.Own("No base-level file names it: its overrides change nothing.");
    } else {
        text.Own("Named at the base level in ");
        for (size_t i = 0; i < places.size(); ++i) {
            text.Own(i == 0 ? "" : ", ").Code(places[i]);
        }
    }
    std::string description;
    if (server.Facts() != nullptr && server.Facts()->DescribeSection(section, description)) {
        text.Paragraph().Text(description);
    }
}

}  // namespace

void AppendKeyFact(MarkupText& text, const KeyFact& fact) {
    if (!fact.m_type.empty()) {
        text.Own("schema: ").Text(fact.m_type);
    }
    if (!fact.m_unit.empty()) {
        text.Own(", unit ").Code(fact.m_unit);
    }
    if (!fact.m_range.empty()) {
        text.Own(", ").Text(fact.m_range);
    }
    if (!fact.m_description.empty()) {
        text.Paragraph().Text(fact.m_description);
    }
}

Json HoverOf(LanguageServer& server, const Json& params) {
    const TreeDocument document = OpenTreeDocument(server, params);
    if (!document.InTree()) {
        return nullptr;
    }
    const TextDocument& buffer = document.m_text->Document();
    const size_t offset =
        buffer.OffsetOf(ReadPosition(ObjectMember(params, "position")), server.Encoding());
    const PieceAt piece = FindPiece(*document.m_lint, *document.m_text, offset);
    if (piece.m_kind == PieceAt::Kind::kNone) {
        return nullptr;
    }
    MarkupText text(TakesMarkdown(
        FindPath(server.ClientCapabilities(), {"textDocument", "hover", "contentFormat"})));
    if (piece.m_kind == PieceAt::Kind::kEntry) {
        KeyHover(text, server, document, piece.m_index);
    } else {
        SectionHover(text, server, document, piece.m_index);
    }
    return {{"contents", text.Content()},
            {"range", RangeJson({buffer.PositionOf(piece.m_extent.m_nameBegin, server.Encoding()),
                                 buffer.PositionOf(piece.m_extent.m_nameEnd, server.Encoding())})}};
}

void EntryHover::Install(LanguageServer& server) {
    server.AddCapability("hoverProvider", true);
    server.OnRequest("textDocument/hover",
                     [&server](const Json& params) { return HoverOf(server, params); });
}
