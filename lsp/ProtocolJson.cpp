#include "ProtocolJson.h"

#include <limits>

#include "RpcError.h"

namespace {

[[noreturn]] void Refuse(const char* name, const char* what) {
    throw RpcError(RpcCode::kInvalidParams, std::string("\"") + name + "\" " + what);
}

const Json& Member(const Json& object, const char* name) {
    if (!object.is_object()) {
        Refuse(name, "is missing: no object holds it");
    }
    const auto it = object.find(name);
    if (it == object.end()) {
        Refuse(name, "is missing");
    }
    return *it;
}

uint32_t Coordinate(const Json& position, const char* name) {
    const Json& value = Member(position, name);
    if (!value.is_number_unsigned() && !(value.is_number_integer() && value.get<int64_t>() >= 0)) {
        Refuse(name, "is no integer of 0 or more");
    }
    const uint64_t n = value.get<uint64_t>();
    return n > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                    : static_cast<uint32_t>(n);
}

}  // namespace

const Json& ObjectMember(const Json& object, const char* name) {
    const Json& value = Member(object, name);
    if (!value.is_object()) {
        Refuse(name, "is no object");
    }
    return value;
}

const Json& ArrayMember(const Json& object, const char* name) {
    const Json& value = Member(object, name);
    if (!value.is_array()) {
        Refuse(name, "is no array");
    }
    return value;
}

const std::string& StringMember(const Json& object, const char* name) {
    const Json& value = Member(object, name);
    if (!value.is_string()) {
        Refuse(name, "is no string");
    }
    return value.get_ref<const std::string&>();
}

int64_t IntegerMember(const Json& object, const char* name) {
    const Json& value = Member(object, name);
    if (!value.is_number_integer() ||
        (value.is_number_unsigned() &&
         value.get<uint64_t>() > uint64_t(std::numeric_limits<int64_t>::max()))) {
        Refuse(name, "is no integer");
    }
    return value.get<int64_t>();
}

const Json* FindPath(const Json& object, std::initializer_list<const char*> names) {
    const Json* at = &object;
    for (const char* name : names) {
        if (!at->is_object()) {
            return nullptr;
        }
        const auto it = at->find(name);
        if (it == at->end()) {
            return nullptr;
        }
        at = &*it;
    }
    return at;
}

TextPosition ReadPosition(const Json& position) {
    return {Coordinate(position, "line"), Coordinate(position, "character")};
}

TextRange ReadRange(const Json& range) {
    return {ReadPosition(ObjectMember(range, "start")), ReadPosition(ObjectMember(range, "end"))};
}

const std::string& DocumentUriOf(const Json& params) {
    return StringMember(ObjectMember(params, "textDocument"), "uri");
}

Json PositionJson(TextPosition position) {
    return {{"line", position.m_line}, {"character", position.m_character}};
}

Json RangeJson(const TextRange& range) {
    return {{"start", PositionJson(range.m_start)}, {"end", PositionJson(range.m_end)}};
}
