// Document URIs and file paths. The server keys open documents by URI, as the client names
// them; a model of the tree asks by path, so a file URI maps to one absolute, lexically normal
// path (symbolic links are not followed).
#ifndef QUENDEL_LSP_DOCUMENTURI_H
#define QUENDEL_LSP_DOCUMENTURI_H

#include <string>
#include <string_view>

// The path of a "file:" URI (empty or "localhost" authority, percent escapes decoded); empty
// for another scheme or a URI that names no path (a bad escape, an escaped NUL).
std::string FilePathOf(std::string_view uri);
// The "file:" URI of an absolute path, every byte outside the unreserved characters and "/"
// percent-escaped.
std::string FileUriOf(std::string_view path);
// path made absolute against the working directory and lexically normal; empty when it cannot
// be (no working directory).
std::string NormalPath(const std::string& path);

#endif
