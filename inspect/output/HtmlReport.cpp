#include "inspect/output/HtmlReport.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";
constexpr int kHeatSteps = 5;
constexpr size_t kValueColours = 8;

// The length of the UTF-8 sequence at text[at], or 0 when it is not one.
size_t SequenceLength(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length = 0;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    // Overlong forms, surrogates and code points past U+10FFFF.
    const unsigned char second = byte(at + 1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
        return 0;
    }
    return length;
}

const char* kStyle = R"(
body { font: 14px/1.4 sans-serif; margin: 24px; color: #222; }
h1 { font-size: 20px; } h2 { font-size: 16px; margin-top: 28px; }
table { border-collapse: collapse; }
th, td { border: 1px solid #ccc; padding: 4px 8px; text-align: left; vertical-align: top; }
th { background: #eee; }
td.cell { text-align: center; min-width: 64px; }
.h0 { background: #f6f6f6; } .h1 { background: #fde0c5; } .h2 { background: #facba6; }
.h3 { background: #f8b58b; } .h4 { background: #f59e72; } .h5 { background: #f2855d; }
.v0 { background: #dbeafe; } .v1 { background: #dcfce7; } .v2 { background: #fef9c3; }
.v3 { background: #fce7f3; } .v4 { background: #ede9fe; } .v5 { background: #ffedd5; }
.v6 { background: #ccfbf1; } .v7 { background: #e5e7eb; } .none { background: #fff; color: #999; }
code { font-family: monospace; background: #f3f3f3; padding: 0 3px; }
.layer { display: block; font-size: 11px; color: #555; }
.note { color: #555; }
)";

std::string Page(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
           "style-src 'unsafe-inline'\">\n<title>" +
           HtmlEscape(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<h1>" +
           HtmlEscape(title) + "</h1>\n" + body + "</body>\n</html>\n";
}

std::string Code(std::string_view text) {
    return "<code>" + HtmlEscape(text) + "</code>";
}

std::string ValueText(const std::string* value) {
    return value != nullptr ? Code(*value) : "<span class=\"note\">(none)</span>";
}

std::string ValueText(const std::optional<std::string>& value) {
    return ValueText(value ? &*value : nullptr);
}

std::string PlaceText(const TreeImpact& impact, const ImpactPlace& place) {
    if (place.m_file == ImpactPlace::kNone) {
        return "<span class=\"note\">nothing</span>";
    }
    return Code(impact.m_names[place.m_file] +
                (place.m_line == 0 ? "" : ":" + std::to_string(place.m_line))) +
           " (" + HtmlEscape(impact.m_names[place.m_layer]) + ")";
}

// The rows (group, transducer) and columns (clinical settings) of a list of selections, each
// in the order it first appears.
struct Grid {
    std::vector<std::pair<std::string, std::string>> m_rows;
    std::vector<std::string> m_columns;
    std::map<std::pair<size_t, size_t>, size_t> m_cells;  // (row, column) -> selection

    explicit Grid(const std::vector<SelectionName>& selections) {
        for (size_t i = 0; i < selections.size(); ++i) {
            const SelectionName& s = selections[i];
            const std::pair<std::string, std::string> row{s.m_group, s.m_probe};
            auto r = std::find(m_rows.begin(), m_rows.end(), row);
            if (r == m_rows.end()) {
                r = m_rows.insert(m_rows.end(), row);
            }
            auto c = std::find(m_columns.begin(), m_columns.end(), s.m_clinical);
            if (c == m_columns.end()) {
                c = m_columns.insert(m_columns.end(), s.m_clinical);
            }
            m_cells[{static_cast<size_t>(r - m_rows.begin()),
                     static_cast<size_t>(c - m_columns.begin())}] = i;
        }
    }

    template <class CellHtml>
    std::string Table(CellHtml cell) const {
        std::string html = "<table class=\"grid\">\n<tr><th>group</th><th>transducer</th>";
        for (const std::string& column : m_columns) {
            html += "<th>" + HtmlEscape(column) + "</th>";
        }
        html += "</tr>\n";
        for (size_t r = 0; r < m_rows.size(); ++r) {
            html += "<tr><th>" + HtmlEscape(m_rows[r].first) + "</th><th>" +
                    HtmlEscape(m_rows[r].second) + "</th>";
            for (size_t c = 0; c < m_columns.size(); ++c) {
                const auto it = m_cells.find({r, c});
                const std::string data = " data-group=\"" + HtmlEscape(m_rows[r].first) +
                                         "\" data-transducer=\"" + HtmlEscape(m_rows[r].second) +
                                         "\" data-clinical=\"" + HtmlEscape(m_columns[c]) + "\"";
                html += it == m_cells.end() ? "<td class=\"cell none\"" + data + ">-</td>"
                                            : cell(it->second, data);
            }
            html += "</tr>\n";
        }
        return html + "</table>\n";
    }
};

}  // namespace

std::string HtmlEscape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t length = SequenceLength(text, i);
        if (length == 0) {
            escaped += kReplacement;
            ++i;
            continue;
        }
        if (length > 1) {
            escaped.append(text.substr(i, length));
            i += length;
            continue;
        }
        switch (text[i]) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += text[i];
        }
        ++i;
    }
    return escaped;
}

std::string ImpactHtml(const TreeImpact& impact, const std::vector<LintFinding>& findings,
                       const std::string& findingsNote) {
    std::vector<size_t> counts(impact.m_selections.size(), 0);
    for (const ImpactChange& change : impact.m_changes) {
        for (size_t i = 0; i < counts.size(); ++i) {
            counts[i] += change.m_selections[i] ? 1 : 0;
        }
    }
    const size_t most = counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
    std::string body = "<p>From " + HtmlEscape(impact.m_from) + "<br>to " +
                       HtmlEscape(impact.m_to) + "</p>\n<p>" +
                       std::to_string(impact.m_changes.size()) + " changes, " +
                       std::to_string(impact.m_masked.size()) + " masked, " +
                       std::to_string(impact.m_changedFiles) + " files changed, " +
                       std::to_string(impact.m_selections.size()) + " selections</p>\n";
    body += "<h2>Entries that change, by selection</h2>\n";
    body += Grid(impact.m_selections).Table([&](size_t s, const std::string& data) {
        const size_t count = counts[s];
        const size_t heat = count == 0 ? 0 : (count * kHeatSteps + most - 1) / most;
        return "<td class=\"cell h" + std::to_string(heat) + "\"" + data + ">" +
               std::to_string(count) + "</td>";
    });
    body += "<h2>Changes</h2>\n";
    const SelectionSet described(impact.m_selections);
    if (impact.m_changes.empty()) {
        body += "<p class=\"note\">No selection gets another value.</p>\n";
    } else {
        body +=
            "<table class=\"changes\">\n<tr><th>entry</th><th>from</th><th>to</th>"
            "<th>selections</th><th>set in</th></tr>\n";
        for (const ImpactChange& change : impact.m_changes) {
            std::string places;
            for (const auto& [from, to] : change.m_places) {
                places +=
                    (places.empty() ? "" : "<br>") +
                    (from == to ? PlaceText(impact, to)
                                : PlaceText(impact, from) + " &rarr; " + PlaceText(impact, to));
            }
            if (change.m_morePlaces != 0) {
                places += "<br><span class=\"note\">and other files</span>";
            }
            body += "<tr class=\"change\"><td>" + Code(*change.m_section + " " + *change.m_key) +
                    "</td><td>" + ValueText(change.m_from) + "</td><td>" + ValueText(change.m_to) +
                    "</td><td>" + HtmlEscape(described.Describe(change.m_selections)) +
                    "</td><td>" + places + "</td></tr>\n";
        }
        body += "</table>\n";
    }
    if (!impact.m_masked.empty()) {
        body +=
            "<h2>Changes that no selection sees</h2>\n<table class=\"masked\">\n"
            "<tr><th>file</th><th>entry</th><th>from</th><th>to</th></tr>\n";
        for (const MaskedChange& change : impact.m_masked) {
            body += "<tr><td>" + Code(change.m_file + ":" + std::to_string(change.m_line)) +
                    "</td><td>" + Code(change.m_section + " " + change.m_key) + "</td><td>" +
                    ValueText(change.m_from) + "</td><td>" + ValueText(change.m_to) +
                    "</td></tr>\n";
        }
        body += "</table>\n";
    }
    const auto names = [&body](const char* what, const std::vector<SelectionName>& list) {
        if (list.empty()) {
            return;
        }
        body += "<h2>Selections " + std::string(what) + "</h2>\n<ul>\n";
        for (const SelectionName& name : list) {
            body += "<li>" + HtmlEscape(name.m_group + " " + name.m_probe + " " + name.m_clinical) +
                    "</li>\n";
        }
        body += "</ul>\n";
    };
    names("added", impact.m_added);
    names("removed", impact.m_removed);
    body += "<h2>Findings in the newer tree</h2>\n";
    if (!findingsNote.empty()) {
        body += "<p class=\"note\">" + HtmlEscape(findingsNote) + "</p>\n";
    } else if (findings.empty()) {
        body += "<p class=\"note\">None.</p>\n";
    } else {
        body += "<ul class=\"findings\">\n";
        for (const LintFinding& finding : findings) {
            body += "<li>" +
                    Code(finding.m_file + ":" + std::to_string(finding.m_line) + ":" +
                         std::to_string(finding.m_column)) +
                    " " + HtmlEscape(finding.m_message) + " [" + HtmlEscape(finding.m_rule) +
                    "]</li>\n";
        }
        body += "</ul>\n";
    }
    return Page("quendel impact", body);
}

std::string MatrixHtml(const TreeModel& model, const KeyMatrix& matrix) {
    std::vector<SelectionName> selections;
    std::vector<const MatrixCell*> cells;
    for (const MatrixRow& row : matrix.m_rows) {
        const std::string probe =
            row.m_probe + (row.m_product.empty() ? "" : " (product " + row.m_product + ")");
        for (size_t c = 0; c < row.m_cells.size(); ++c) {
            selections.push_back({row.m_group, probe, matrix.m_clinical[c]});
            cells.push_back(&row.m_cells[c]);
        }
    }
    std::vector<std::string> values;  // in the order they first appear, for their colours
    std::string body = "<p>" + Code(matrix.m_section + " " + matrix.m_key) +
                       " in every selection, " +
                       (model.Kind() == StoreKind::kText ? "text" : "binary") + " store " +
                       HtmlEscape(model.Source()) + "</p>\n";
    body += Grid(selections).Table([&](size_t s, const std::string& data) {
        const MatrixCell& cell = *cells[s];
        if (!cell.m_found) {
            return "<td class=\"cell none\"" + data + ">-</td>";
        }
        auto it = std::find(values.begin(), values.end(), cell.m_value);
        if (it == values.end()) {
            it = values.insert(values.end(), cell.m_value);
        }
        const size_t colour = static_cast<size_t>(it - values.begin()) % kValueColours;
        return "<td class=\"cell v" + std::to_string(colour) + "\"" + data + ">" +
               Code(cell.m_value) + "<span class=\"layer\">" + HtmlEscape(cell.m_layer) +
               "</span></td>";
    });
    return Page("quendel matrix", body);
}
