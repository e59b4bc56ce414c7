// The one scheme of every typed query: fetch the stored text, convert it by the rule of the value
// type, fall back to the default on a miss or a failed conversion, complete lists from the
// default's tail. The store's shared getters use the strict rules, the IdEnum queries the stream
// rules.
#ifndef QUENDEL_RESOURCE_SHAREDGETTER_H
#define QUENDEL_RESOURCE_SHAREDGETTER_H

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "resource/IStoredValues.h"
#include "resource/ValueText.h"

// Conversion rules per value type: Strict (IsNumber, then atoi/atof) and Stream (one number read
// through a stream). Strings, bools and string and bool lists read the same in both.
template <class T>
struct ValueRule;

// Scalars read the text in place, whether the store copied it or hands it out where it lies.
template <>
struct ValueRule<std::string> {
    // The raw lookup writes straight into a string value; the rule is for callers with a text.
    static bool Strict(std::string_view text, std::string& value) {
        value.assign(text);
        return true;
    }
    static bool Stream(std::string_view text, std::string& value) { return Strict(text, value); }
};

template <>
struct ValueRule<bool> {
    static bool Strict(std::string_view text, bool& value) { return ViewToBool(text, value); }
    static bool Stream(std::string_view text, bool& value) { return ViewToBool(text, value); }
};

template <>
struct ValueRule<int> {
    static bool Strict(std::string_view text, int& value) { return ViewToInt(text, value); }
    static bool Stream(std::string_view text, int& value) { return StreamViewToInt(text, value); }
};

template <>
struct ValueRule<long> {
    static bool Strict(std::string_view text, long& value) { return ViewToLong(text, value); }
    static bool Stream(std::string_view text, long& value) {
        int number = 0;
        if (!StreamViewToInt(text, number)) {
            return false;
        }
        value = number;
        return true;
    }
};

template <>
struct ValueRule<float> {
    static bool Strict(std::string_view text, float& value) { return ViewToFloat(text, value); }
    static bool Stream(std::string_view text, float& value) {
        return StreamViewToFloat(text, value);
    }
};

template <>
struct ValueRule<double> {
    static bool Strict(std::string_view text, double& value) { return ViewToDouble(text, value); }
    static bool Stream(std::string_view text, double& value) {
        return StreamViewToDouble(text, value);
    }
};

template <>
struct ValueRule<std::vector<int>> {
    static bool Strict(const std::string& text, std::vector<int>& value) {
        return ToIntVector(text, value);
    }
    static bool Stream(const std::string& text, std::vector<int>& value) {
        return StreamToIntVector(text, value);
    }
};

// No query reads a long list through a stream.
template <>
struct ValueRule<std::vector<long>> {
    static bool Strict(const std::string& text, std::vector<long>& value) {
        return ToLongVector(text, value);
    }
};

template <>
struct ValueRule<std::vector<float>> {
    // Each token read by atof and narrowed: the same floats as a double list narrowed element by
    // element, without the temporary double list.
    static bool Strict(const std::string& text, std::vector<float>& value) {
        return ToFloatVector(text, value);
    }
    static bool Stream(const std::string& text, std::vector<float>& value) {
        return StreamToFloatVector(text, value);
    }
};

template <>
struct ValueRule<std::vector<double>> {
    static bool Strict(const std::string& text, std::vector<double>& value) {
        return ToDoubleVector(text, value);
    }
    static bool Stream(const std::string& text, std::vector<double>& value) {
        return StreamToDoubleVector(text, value);
    }
};

template <>
struct ValueRule<std::vector<bool>> {
    static bool Strict(const std::string& text, std::vector<bool>& value) {
        return ToBoolVector(text, value);
    }
    static bool Stream(const std::string& text, std::vector<bool>& value) {
        return ToBoolVector(text, value);
    }
};

template <>
struct ValueRule<std::vector<std::string>> {
    static bool Strict(const std::string& text, std::vector<std::string>& value) {
        return ToStringVector(text, value);
    }
    static bool Stream(const std::string& text, std::vector<std::string>& value) {
        return ToStringVector(text, value);
    }
};

// A converted list shorter than the default takes the default's remaining elements; a longer
// one is kept whole. Scalars take nothing.
template <class T>
void PadFromDefault(T& /*value*/, const T& /*defaultValue*/) {}

template <class E, class A>
void PadFromDefault(std::vector<E, A>& value, const std::vector<E, A>& defaultValue) {
    if (value.size() < defaultValue.size()) {
        value.insert(value.end(), defaultValue.begin() + static_cast<std::ptrdiff_t>(value.size()),
                     defaultValue.end());
    }
}

namespace detail {
// A string value receives the raw text itself; other values convert it from a local text.
template <class T, class Lookup, class Convert>
bool LookUpAndConvert(Lookup& lookup, Convert& convert, T& target) {
    if constexpr (std::is_same_v<T, std::string>) {
        return lookup(target);
    } else {
        std::string text;
        return lookup(text) && convert(text, target);
    }
}
}  // namespace detail

// fetch(T& target) -> bool fills target with the converted value and says whether there is one
// (target is then unspecified when there is not). On success value holds the result, padded;
// otherwise value equals defaultValue. value and defaultValue may be the same object: the
// default is then never touched before the result is known.
template <class T, class Fetch>
bool FetchInto(Fetch&& fetch, T& value, const T& defaultValue) {
    if (&value == &defaultValue) {
        T result{};
        if (!fetch(result)) {
            return false;
        }
        PadFromDefault(result, defaultValue);
        value = std::move(result);
        return true;
    }
    // Converting in place reuses the value's storage; a failure overwrites it with the default.
    if (!fetch(value)) {
        value = defaultValue;
        return false;
    }
    PadFromDefault(value, defaultValue);
    return true;
}

// lookup(std::string& text) -> bool is the raw lookup; convert(const std::string&, T&) -> bool the
// rule.
template <class T, class Lookup, class Convert>
bool FetchConverted(Lookup&& lookup, Convert&& convert, T& value, const T& defaultValue) {
    return FetchInto([&](T& target) { return detail::LookUpAndConvert(lookup, convert, target); },
                     value, defaultValue);
}

// The lists whose converted forms a store can keep (ConvertedValue).
template <class T>
struct IsConvertedList : std::false_type {};
template <class E>
struct IsConvertedList<std::vector<E>> : std::true_type {};

// Fills target from the stored value of (section, key) by the rule: a list from its converted
// form, made by the first query, a scalar from the text where it lies. False when there is no
// such entry or its text does not convert.
template <class Section, class Key, class T>
bool ReadStored(IStoredValues& stored, const Section& section, const Key& key, NumberRule rule,
                T& target) {
    if constexpr (IsConvertedList<T>::value) {
        ConvertedValue* found = stored.FindConverted(section, key);
        return found != nullptr && found->ReadList(rule, target);
    } else {
        std::string_view text;
        if (!stored.FindText(section, key, text)) {
            return false;
        }
        return rule == NumberRule::kStrict ? ValueRule<T>::Strict(text, target)
                                           : ValueRule<T>::Stream(text, target);
    }
}

#endif
