#include "PositionEncoding.h"

#include <algorithm>
#include <string>

namespace {

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// A character beyond the Basic Multilingual Plane (a four-byte sequence) takes a surrogate pair.
size_t UnitsOfCharacter(char lead, PositionEncoding encoding) {
    return encoding == PositionEncoding::kUtf16 && static_cast<unsigned char>(lead) >= 0xF0 ? 2 : 1;
}

}  // namespace

const char* EncodingName(PositionEncoding encoding) {
    switch (encoding) {
        case PositionEncoding::kUtf8:
            return "utf-8";
        case PositionEncoding::kUtf32:
            return "utf-32";
        case PositionEncoding::kUtf16:
            break;
    }
    return "utf-16";
}

PositionEncoding ChooseEncoding(const Json& clientEncodings) {
    if (!clientEncodings.is_array()) {
        return PositionEncoding::kUtf16;
    }
    for (const Json& name : clientEncodings) {
        for (const PositionEncoding known :
             {PositionEncoding::kUtf8, PositionEncoding::kUtf16, PositionEncoding::kUtf32}) {
            if (name.is_string() && name.get_ref<const std::string&>() == EncodingName(known)) {
                return known;
            }
        }
    }
    return PositionEncoding::kUtf16;
}

size_t CountUnits(std::string_view text, PositionEncoding encoding) {
    if (encoding == PositionEncoding::kUtf8) {
        return text.size();
    }
    size_t units = 0;
    for (const char c : text) {
        if (!IsContinuation(c)) {
            units += UnitsOfCharacter(c, encoding);
        }
    }
    return units;
}

size_t OffsetOfUnits(std::string_view line, size_t units, PositionEncoding encoding) {
    if (encoding == PositionEncoding::kUtf8) {
        size_t offset = std::min(units, line.size());
        while (offset > 0 && offset < line.size() && IsContinuation(line[offset])) {
            --offset;
        }
        return offset;
    }
    size_t counted = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        if (IsContinuation(line[i])) {
            continue;
        }
        counted += UnitsOfCharacter(line[i], encoding);
        if (counted > units) {
            return i;
        }
    }
    return line.size();
}
