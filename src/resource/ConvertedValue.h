// The converted forms of one stored value text, each made by the first query that asks for it
// and answered from for every later one: where the tokens of its list begin (the element
// queries), and its lists under each rule. Queries may run concurrently: each form is published
// once, whole, through an atomic pointer, so a query sees it complete or not at all.
#ifndef QUENDEL_RESOURCE_CONVERTEDVALUE_H
#define QUENDEL_RESOURCE_CONVERTEDVALUE_H

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The two families of number conversion: strict (IsNumber, then atoi/atof) for the queries by
// names and by hashed keys, stream for the queries by IdEnum.
enum class NumberRule { kStrict, kStream };

class ConvertedValue {
  public:
    // text must stay where it is, unchanged, while this object lives.
    explicit ConvertedValue(std::string_view text) : m_text(text) {}
    ~ConvertedValue();
    ConvertedValue(const ConvertedValue&) = delete;
    ConvertedValue& operator=(const ConvertedValue&) = delete;

    std::string_view Text() const { return m_text; }

    // The list that the list conversion of the type and rule makes of the text, with the
    // int-cast warnings that conversion writes; false (list then unspecified) when the text does
    // not convert. Strings and bools read alike under both rules; long lists are strict only.
    bool ReadList(NumberRule rule, std::vector<int>& list);
    bool ReadList(NumberRule rule, std::vector<long>& list);
    bool ReadList(NumberRule rule, std::vector<float>& list);
    bool ReadList(NumberRule rule, std::vector<double>& list);
    bool ReadList(NumberRule rule, std::vector<bool>& list);
    bool ReadList(NumberRule rule, std::vector<std::string>& list);
    // Token index (from 0) of the list, as the list conversions split the text; false past the
    // last one. The view lies in the text, or in a copy with its tabs as spaces.
    bool Token(uint64_t index, std::string_view& token);

  private:
    struct Tokens {
        std::string m_spaced;  // the text with its tabs as spaces, when it holds a tab
        std::vector<uint32_t> m_starts;
        bool m_scan = false;  // a text of 4 GiB or more: positions do not fit, tokens are sought
    };
    template <class T>
    struct List {
        std::vector<T> m_values;  // empty when the conversion failed
        bool m_ok = false;
        uint32_t m_warnings = 0;  // int-cast warnings the conversion writes
    };

    const Tokens& TokensOf();
    template <class T, class Convert>
    static const List<T>& Converted(std::atomic<const List<T>*>& slot, std::string_view text,
                                    Convert convert);
    template <class T, class Out>
    static bool Answer(const List<T>& form, std::vector<Out>& list);

    std::string_view m_text;
    std::atomic<const Tokens*> m_tokens{nullptr};
    // Indexed by NumberRule.
    std::atomic<const List<int>*> m_ints[2] = {};
    std::atomic<const List<float>*> m_floats[2] = {};
    std::atomic<const List<double>*> m_doubles[2] = {};
    std::atomic<const List<bool>*> m_bools{nullptr};
};

#endif
