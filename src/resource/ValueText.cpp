#include "resource/ValueText.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <istream>
#include <iterator>
#include <locale>
#include <streambuf>
#include <string_view>

#include "resource/StringOps.h"

const char* const kIntCastWarning = "Warning! Number is casted to int";

namespace {

constexpr std::string_view kListDelimiters = ", ";

// Out of line and cold, so that the conversions that rarely call it stay small.
[[gnu::noinline, gnu::cold]] void WarnIntCast() {
    // One write of the whole line, so that lines of concurrent queries do not interleave.
    static const std::string line = std::string(kIntCastWarning) + '\n';
    std::cout.write(line.data(), static_cast<std::streamsize>(line.size()));
    std::cout.flush();
}

// IsNumber and atoi in one pass. atoi is (int)strtol(text): strtol stops at the point and
// saturates at LONG_MIN/LONG_MAX, and the cast keeps the low bits. False when IsNumber fails;
// point tells whether the text holds a point.
bool AtoiOf(std::string_view text, int& value, bool& point) {
    const size_t n = text.size();
    size_t i = 0;
    bool negative = false;
    if (n > 0 && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        i = 1;
    }
    constexpr uint64_t kMaxMagnitude = uint64_t{1} << 63;  // |LONG_MIN|
    constexpr uint64_t kSaturated = kMaxMagnitude + 1;
    constexpr uint64_t kNoOverflow = (UINT64_MAX - 9) / 10;  // below it, times 10 plus 9 fits
    uint64_t magnitude = 0;
    for (; i < n; ++i) {
        const unsigned digit = static_cast<unsigned char>(text[i]) - unsigned{'0'};
        if (digit > 9) {
            break;
        }
        magnitude =
            magnitude >= kNoOverflow ? kSaturated : std::min(magnitude * 10 + digit, kSaturated);
    }
    point = i < n && text[i] == '.';
    if (point) {
        for (++i; i < n && static_cast<unsigned char>(text[i]) - unsigned{'0'} <= 9; ++i) {
        }
    }
    // Only digits around at most one point after at most one leading sign, and not a lone sign
    // or point.
    if (i < n || (n == 1 && (negative || text[0] == '+' || point))) {
        return false;
    }
    long asLong = 0;
    if (negative) {
        asLong = magnitude >= kMaxMagnitude ? LONG_MIN : -static_cast<long>(magnitude);
    } else {
        asLong =
            magnitude > static_cast<uint64_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(magnitude);
    }
    value = static_cast<int>(asLong);
    return true;
}

// Exact powers of ten as doubles: 10^22 is the largest one a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common short decimal, tested and read together: an optional sign, digits around at most
// one point, at least one digit. With at most 15 significant digits the digits are an exact
// double, and so is 10^k up to k = 22, so one correctly rounded division gives the correctly
// rounded value that atof and a stream give (Clinger's fast path). Reads from p up to the
// first character that cannot continue the number and returns where it stopped; null when
// what it read is no such decimal (the general path then tests and reads the text).
const char* ReadShortDecimal(const char* p, const char* end, double& value) {
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    uint64_t mantissa = 0;
    int significant = 0;
    size_t fraction = 0;
    bool point = false;
    bool digit = false;
    for (; p != end; ++p) {
        const unsigned d = static_cast<unsigned char>(*p) - unsigned{'0'};
        if (d > 9) {
            if (*p != '.' || point) {
                break;
            }
            point = true;
            continue;
        }
        digit = true;
        fraction += point ? 1 : 0;
        if (mantissa == 0 && d == 0) {
            continue;  // a leading zero is not significant
        }
        if (++significant > 15) {
            return nullptr;
        }
        mantissa = mantissa * 10 + d;
    }
    if (!digit || fraction >= std::size(kExactPowersOfTen)) {
        return nullptr;
    }
    const double magnitude = static_cast<double>(mantissa) / kExactPowersOfTen[fraction];
    value = negative ? -magnitude : magnitude;
    return p;
}

// True only for a text that is one short decimal as a whole, which passes IsNumber.
bool ShortNumberOf(std::string_view text, double& value) {
    const char* const end = text.data() + text.size();
    double number = 0.0;
    if (ReadShortDecimal(text.data(), end, number) != end) {
        return false;
    }
    value = number;
    return true;
}

// A list of short decimals in one pass, split as Tokenize splits it: runs of commas, spaces
// and tabs (which Tokenize turns into spaces) between the numbers. Every token is then a number
// that IsNumber passes and atof reads, and that a stream reads whole, with the same value. False
// for any other text (a quote, a token of other characters), which the general path converts.
template <class T>
bool ShortDecimalList(const std::string& text, std::vector<T>& list) {
    list.clear();
    const char* p = text.data();
    const char* const end = p + text.size();
    const auto separator = [](char c) { return c == ',' || c == ' ' || c == '\t'; };
    for (;;) {
        while (p != end && separator(*p)) {
            ++p;
        }
        if (p == end) {
            return true;
        }
        double value = 0.0;
        p = ReadShortDecimal(p, end, value);
        if (p == nullptr || (p != end && !separator(*p))) {
            return false;
        }
        list.push_back(static_cast<T>(value));  // below 10^15: a float cast cannot overflow
    }
}

// atof of a text that passed IsNumber, as the C library computes it in the "C" locale:
// correctly rounded, a result past double's range is HUGE_VAL, one below it 0, the sign kept.
// from_chars rounds the same way without regard to the host's locale and much faster; it takes
// no "+" and reports results out of range instead of giving them.
double AtofOf(std::string_view number) {
    std::string_view digits = number;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits == ".") {
        return 0.0;  // nothing converted: atof gives +0 even after a minus sign
    }
    double value = 0.0;
    const char* end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, value, std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        // Without an exponent only a nonzero digit before the point makes a number too large.
        const std::string_view whole = digits.substr(0, digits.find('.'));
        const bool tooLarge = whole.find_first_not_of('0') != std::string_view::npos;
        value = tooLarge ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}

// Where the int-cast warnings of a conversion go: written as they arise, or, for a list
// converted once and answered many times, counted into *count for each answer to write again.
struct Warnings {
    uint32_t* count = nullptr;
    void Add() const {
        if (count != nullptr) {
            ++*count;
        } else {
            WarnIntCast();
        }
    }
};

bool IntOf(std::string_view text, int& value, Warnings warnings = {}) {
    bool point = false;
    if (!AtoiOf(text, value, point)) {
        return false;
    }
    if (point) {
        warnings.Add();
    }
    return true;
}

bool LongOf(std::string_view text, long& value) {
    int number = 0;
    bool point = false;
    if (!AtoiOf(text, number, point)) {
        return false;
    }
    value = number;
    return true;
}

bool DoubleOf(std::string_view text, double& value) {
    if (ShortNumberOf(text, value)) {
        return true;
    }
    if (!IsNumber(text)) {
        return false;
    }
    value = AtofOf(text);
    return true;
}

bool FloatOf(std::string_view text, float& value) {
    double number = 0.0;
    if (!DoubleOf(text, number)) {
        return false;
    }
    value = NarrowToFloat(number);
    return true;
}

// TrimChars with a single character, on a view.
std::string_view TrimmedView(std::string_view text, char c) {
    const size_t first = text.find_first_not_of(c);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(c) - first + 1);
}

// Compares with an upper-case word, upper-casing ASCII letters of text only.
bool EqualsUpperCased(std::string_view text, std::string_view upperWord) {
    if (text.size() != upperWord.size()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper != upperWord[i]) {
            return false;
        }
    }
    return true;
}

bool BoolOf(std::string_view text, bool& value, Warnings warnings = {}) {
    // Spaces are trimmed before quotes; tabs are kept, so "\ttrue" is no word.
    const std::string_view word = TrimmedView(TrimmedView(text, ' '), '"');
    if (EqualsUpperCased(word, "TRUE")) {
        value = true;
        return true;
    }
    if (EqualsUpperCased(word, "FALSE")) {
        value = false;
        return true;
    }
    int number = 0;
    if (IntOf(text, number, warnings)) {  // the text as given, quotes and spaces included
        value = number != 0;
        return true;
    }
    value = false;
    return false;
}

bool StringOf(std::string_view text, std::string& value) {
    value.assign(text.data(), text.size());
    return true;
}

// A get area over someone else's characters: reading a number needs no copy of the text.
// The stream never writes into its get area (putback of a different character fails).
class ViewBuffer : public std::streambuf {
  public:
    void Reset(std::string_view text) {
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }
};

// Reading through one stream per thread equals reading through a fresh one: its flags stay the
// defaults and its state is cleared before each read. Parameter texts write numbers with a
// point whatever the host's locale is, so the stream reads by the classic locale.
// A stream swallows exceptions thrown while it reads (exhausted memory) and only sets its bad
// bit; the bad bit rethrows them, so that they are not taken for a text that does not convert.
struct NumberReader {
    ViewBuffer buffer;
    std::istream stream{&buffer};
    NumberReader() {
        stream.imbue(std::locale::classic());
        stream.exceptions(std::ios::badbit);
    }
};

bool StreamDoubleOf(std::string_view text, double& value) {
    if (ShortNumberOf(text, value)) {
        return true;  // read as the stream reads it, without the stream
    }
    thread_local NumberReader reader;
    reader.buffer.Reset(text);
    reader.stream.clear();
    double number = 0.0;
    reader.stream >> number;
    if (reader.stream.fail()) {
        return false;
    }
    value = number;
    return true;
}

// Truncates toward zero; numbers past int's range are held at its ends, where a plain cast would
// be undefined. The stream never reads a NaN, but one would fail rather than give a number.
// A plain decimal with at most 9 digits before the point and 6 after it: a stream reads it
// whole, and with at most 15 significant digits the double it reads lies closer to the text's
// value than to the next integer, so truncating it gives the text's integer part.
bool ShortIntOf(std::string_view text, int& value) {
    const size_t n = text.size();
    size_t i = 0;
    const bool negative = n > 0 && text[0] == '-';
    i = n > 0 && (negative || text[0] == '+') ? 1 : 0;
    uint64_t whole = 0;  // unsigned: a long text wraps harmlessly before it is refused
    size_t digits = 0;
    for (unsigned d = 0; i < n && (d = static_cast<unsigned char>(text[i]) - unsigned{'0'}) <= 9;
         ++i, ++digits) {
        whole = whole * 10 + d;
    }
    size_t fraction = 0;
    if (i < n && text[i] == '.') {
        for (++i; i < n && static_cast<unsigned char>(text[i]) - unsigned{'0'} <= 9; ++i) {
            ++fraction;
        }
    }
    if (i != n || digits > 9 || fraction > 6 || digits + fraction == 0) {
        return false;
    }
    value = negative ? -static_cast<int>(whole) : static_cast<int>(whole);
    return true;
}

bool StreamIntOf(std::string_view text, int& value) {
    if (ShortIntOf(text, value)) {
        return true;
    }
    double number = 0.0;
    if (!StreamDoubleOf(text, number) || std::isnan(number)) {
        return false;
    }
    if (number >= static_cast<double>(INT_MAX)) {
        value = INT_MAX;
    } else if (number <= static_cast<double>(INT_MIN)) {
        value = INT_MIN;
    } else {
        value = static_cast<int>(number);
    }
    return true;
}

bool StreamFloatOf(std::string_view text, float& value) {
    double number = 0.0;
    if (!StreamDoubleOf(text, number)) {
        return false;
    }
    value = NarrowToFloat(number);
    return true;
}

// Empties list, then appends the tokens converted in order; stops and fails at the first token
// that does not convert, keeping the values before it.
template <class T, class Convert>
bool ConvertTokens(std::string_view text, std::vector<T>& list, Convert convert) {
    list.clear();
    return ForEachToken(text, kListDelimiters, [&list, &convert](std::string_view token) {
        T value{};
        if (!convert(token, value)) {
            return false;
        }
        list.push_back(std::move(value));
        return true;
    });
}

// The int and long lists convert each token as ToInt does, the warning included.
template <class T>
bool IntTokens(const std::string& text, std::vector<T>& list, Warnings warnings) {
    return ConvertTokens(text, list, [warnings](std::string_view token, T& value) {
        int number = 0;
        if (!IntOf(token, number, warnings)) {
            return false;
        }
        value = number;
        return true;
    });
}

bool BoolTokens(const std::string& text, std::vector<bool>& list, Warnings warnings) {
    return ConvertTokens(text, list, [warnings](std::string_view token, bool& value) {
        return BoolOf(token, value, warnings);
    });
}

}  // namespace

void WriteIntCastWarnings(uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        WarnIntCast();
    }
}

bool ToInt(const std::string& text, int& value) {
    return IntOf(text, value);
}
bool ToLong(const std::string& text, long& value) {
    return LongOf(text, value);
}
bool ToFloat(const std::string& text, float& value) {
    return FloatOf(text, value);
}
bool ToDouble(const std::string& text, double& value) {
    return DoubleOf(text, value);
}
bool ToBool(const std::string& text, bool& value) {
    return BoolOf(text, value);
}

bool ToIntVector(const std::string& text, std::vector<int>& list) {
    return IntTokens(text, list, Warnings{});
}
bool ToLongVector(const std::string& text, std::vector<long>& list) {
    return IntTokens(text, list, Warnings{});
}
bool ToFloatVector(const std::string& text, std::vector<float>& list) {
    return ShortDecimalList(text, list) || ConvertTokens(text, list, FloatOf);
}
bool ToDoubleVector(const std::string& text, std::vector<double>& list) {
    return ShortDecimalList(text, list) || ConvertTokens(text, list, DoubleOf);
}
bool ToBoolVector(const std::string& text, std::vector<bool>& list) {
    return BoolTokens(text, list, Warnings{});
}
bool ToStringVector(const std::string& text, std::vector<std::string>& list) {
    return ConvertTokens(text, list, StringOf);
}

bool ToIntVectorCounted(const std::string& text, std::vector<int>& list, uint32_t& warnings) {
    return IntTokens(text, list, Warnings{&warnings});
}
bool ToBoolVectorCounted(const std::string& text, std::vector<bool>& list, uint32_t& warnings) {
    return BoolTokens(text, list, Warnings{&warnings});
}

bool ViewToInt(std::string_view text, int& value) {
    return IntOf(text, value);
}
bool ViewToLong(std::string_view text, long& value) {
    return LongOf(text, value);
}
bool ViewToFloat(std::string_view text, float& value) {
    return FloatOf(text, value);
}
bool ViewToDouble(std::string_view text, double& value) {
    return DoubleOf(text, value);
}
bool ViewToBool(std::string_view text, bool& value) {
    return BoolOf(text, value);
}
bool StreamViewToInt(std::string_view text, int& value) {
    return StreamIntOf(text, value);
}
bool StreamViewToFloat(std::string_view text, float& value) {
    return StreamFloatOf(text, value);
}
bool StreamViewToDouble(std::string_view text, double& value) {
    return StreamDoubleOf(text, value);
}

bool StreamToInt(const std::string& text, int& value) {
    return StreamIntOf(text, value);
}
bool StreamToFloat(const std::string& text, float& value) {
    return StreamFloatOf(text, value);
}
bool StreamToDouble(const std::string& text, double& value) {
    return StreamDoubleOf(text, value);
}

bool StreamToIntVector(const std::string& text, std::vector<int>& list) {
    return ConvertTokens(text, list, StreamIntOf);
}
bool StreamToFloatVector(const std::string& text, std::vector<float>& list) {
    return ShortDecimalList(text, list) || ConvertTokens(text, list, StreamFloatOf);
}
bool StreamToDoubleVector(const std::string& text, std::vector<double>& list) {
    return ShortDecimalList(text, list) || ConvertTokens(text, list, StreamDoubleOf);
}
