#include "resource/ConvertedValue.h"

#include <memory>
#include <utility>

#include "resource/StringOps.h"
#include "resource/ValueText.h"

namespace {

constexpr std::string_view kListDelimiters = ", ";

// The form in slot, made by make() when no query has made it yet. Two queries may both make
// it; the first to publish wins and the other's copy, made from the same text, is dropped.
template <class Form, class Make>
const Form& Made(std::atomic<const Form*>& slot, Make&& make) {
    const Form* form = slot.load(std::memory_order_acquire);
    if (form != nullptr) {
        return *form;
    }
    auto made = std::make_unique<const Form>(make());
    if (slot.compare_exchange_strong(form, made.get(), std::memory_order_acq_rel,
                                     std::memory_order_acquire)) {
        return *made.release();
    }
    return *form;
}

size_t RuleIndex(NumberRule rule) {
    return rule == NumberRule::kStrict ? 0 : 1;
}

}  // namespace

ConvertedValue::~ConvertedValue() {
    delete m_tokens.load(std::memory_order_relaxed);
    for (size_t rule = 0; rule < 2; ++rule) {
        delete m_ints[rule].load(std::memory_order_relaxed);
        delete m_floats[rule].load(std::memory_order_relaxed);
        delete m_doubles[rule].load(std::memory_order_relaxed);
    }
    delete m_bools.load(std::memory_order_relaxed);
}

template <class T, class Convert>
const ConvertedValue::List<T>& ConvertedValue::Converted(std::atomic<const List<T>*>& slot,
                                                         std::string_view text, Convert convert) {
    return Made(slot, [text, &convert] {
        List<T> form;
        form.m_ok = convert(std::string(text), form.m_values, form.m_warnings);
        if (!form.m_ok) {
            form.m_values = {};  // a failed list answers the default: its values are never read
        }
        form.m_values.shrink_to_fit();
        return form;
    });
}

// Each answer writes the warnings its conversion wrote.
template <class T, class Out>
bool ConvertedValue::Answer(const List<T>& form, std::vector<Out>& list) {
    WriteIntCastWarnings(form.m_warnings);
    if (!form.m_ok) {
        return false;
    }
    list.assign(form.m_values.begin(), form.m_values.end());
    return true;
}

bool ConvertedValue::ReadList(NumberRule rule, std::vector<int>& list) {
    const auto convert = [rule](const std::string& text, std::vector<int>& values,
                                uint32_t& warnings) {
        return rule == NumberRule::kStrict ? ToIntVectorCounted(text, values, warnings)
                                           : StreamToIntVector(text, values);
    };
    return Answer(Converted(m_ints[RuleIndex(rule)], m_text, convert), list);
}

// The tokens of a long list read as ints, warnings included: the strict int list, widened.
bool ConvertedValue::ReadList(NumberRule /*rule*/, std::vector<long>& list) {
    const auto convert = [](const std::string& text, std::vector<int>& values, uint32_t& warnings) {
        return ToIntVectorCounted(text, values, warnings);
    };
    return Answer(Converted(m_ints[RuleIndex(NumberRule::kStrict)], m_text, convert), list);
}

bool ConvertedValue::ReadList(NumberRule rule, std::vector<float>& list) {
    const auto convert = [rule](const std::string& text, std::vector<float>& values, uint32_t&) {
        return rule == NumberRule::kStrict ? ToFloatVector(text, values)
                                           : StreamToFloatVector(text, values);
    };
    return Answer(Converted(m_floats[RuleIndex(rule)], m_text, convert), list);
}

bool ConvertedValue::ReadList(NumberRule rule, std::vector<double>& list) {
    const auto convert = [rule](const std::string& text, std::vector<double>& values, uint32_t&) {
        return rule == NumberRule::kStrict ? ToDoubleVector(text, values)
                                           : StreamToDoubleVector(text, values);
    };
    return Answer(Converted(m_doubles[RuleIndex(rule)], m_text, convert), list);
}

bool ConvertedValue::ReadList(NumberRule /*rule*/, std::vector<bool>& list) {
    const auto convert = [](const std::string& text, std::vector<bool>& values,
                            uint32_t& warnings) {
        return ToBoolVectorCounted(text, values, warnings);
    };
    return Answer(Converted(m_bools, m_text, convert), list);
}

// Taken from the token positions: a string list is its tokens, as they stand.
bool ConvertedValue::ReadList(NumberRule /*rule*/, std::vector<std::string>& list) {
    const Tokens& tokens = TokensOf();
    if (tokens.m_scan) {
        return ToStringVector(std::string(m_text), list);
    }
    const std::string_view text = tokens.m_spaced.empty() ? m_text : tokens.m_spaced;
    list.resize(tokens.m_starts.size());
    for (size_t i = 0; i < list.size(); ++i) {
        const size_t start = tokens.m_starts[i];
        list[i].assign(text.substr(start, TokenEnd(text, start, kListDelimiters) - start));
    }
    return true;
}

const ConvertedValue::Tokens& ConvertedValue::TokensOf() {
    return Made(m_tokens, [this] {
        Tokens tokens;
        if (m_text.find('\t') != std::string_view::npos) {
            tokens.m_spaced.assign(m_text);
            for (char& c : tokens.m_spaced) {
                c = c == '\t' ? ' ' : c;
            }
        }
        const std::string_view text = tokens.m_spaced.empty() ? m_text : tokens.m_spaced;
        if (text.size() > UINT32_MAX) {
            tokens.m_scan = true;
            return tokens;
        }
        ForEachToken(text, kListDelimiters, [&](std::string_view token) {
            tokens.m_starts.push_back(static_cast<uint32_t>(token.data() - text.data()));
            return true;
        });
        tokens.m_starts.shrink_to_fit();
        return tokens;
    });
}

bool ConvertedValue::Token(uint64_t index, std::string_view& token) {
    const Tokens& tokens = TokensOf();
    const std::string_view text = tokens.m_spaced.empty() ? m_text : tokens.m_spaced;
    if (tokens.m_scan) {
        // Linear in the index, without converting anything; text holds no tab, so the tokens
        // are views of it.
        uint64_t position = 0;
        bool found = false;
        ForEachToken(text, kListDelimiters, [&](std::string_view t) {
            found = position++ == index;
            token = found ? t : token;
            return !found;
        });
        return found;
    }
    if (index >= tokens.m_starts.size()) {
        return false;
    }
    const size_t start = tokens.m_starts[index];
    token = text.substr(start, TokenEnd(text, start, kListDelimiters) - start);
    return true;
}
