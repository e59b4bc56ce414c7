#include "DocumentUri.h"

#include <filesystem>
#include <system_error>

namespace {

constexpr std::string_view kFileScheme = "file://";

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Decodes "%XX"; false for a bad escape or one that yields NUL, which no path holds.
bool PercentDecoded(std::string_view text, std::string& decoded) {
    decoded.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = high < 0 ? -1 : HexValue(text[i + 2]);
        if (low < 0 || (high == 0 && low == 0)) {
            return false;
        }
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

}  // namespace

std::string FilePathOf(std::string_view uri) {
    if (uri.size() < kFileScheme.size() || uri.substr(0, kFileScheme.size()) != kFileScheme) {
        return {};
    }
    std::string_view rest = uri.substr(kFileScheme.size());
    const size_t slash = rest.find('/');
    if (slash == std::string_view::npos) {
        return {};
    }
    const std::string_view authority = rest.substr(0, slash);
    if (!authority.empty() && authority != "localhost") {
        return {};
    }
    rest = rest.substr(slash);
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string path;
    if (!PercentDecoded(rest, path)) {
        return {};
    }
    return NormalPath(path);
}

std::string FileUriOf(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri(kFileScheme);
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
            (byte >= '0' && byte <= '9') ||
            std::string_view("-._~/").find(c) != std::string_view::npos) {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 0x0f];
        }
    }
    return uri;
}

std::string NormalPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) {
        return {};
    }
    return absolute.lexically_normal().string();
}
