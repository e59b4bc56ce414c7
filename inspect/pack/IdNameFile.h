// The names that carry IdEnum keys in a resource file, read from a text file of lines
// "<IdEnum number> <name>"; "#" starts a comment, blank lines are skipped.
#ifndef QUENDEL_INSPECT_PACK_IDNAMEFILE_H
#define QUENDEL_INSPECT_PACK_IDNAMEFILE_H

#include <fendrel/ResourceWriter.h>

#include <functional>
#include <map>
#include <string>

using IdNameKeys = std::map<std::string, fendrel::KeyWords, std::less<>>;

// Each listed name with the hashed key of its IdEnum value. False with a message naming the
// line for a number that is not a number or lies outside 0 to 115, a missing name, text after
// the name, or an id or a name listed twice; where names the text in messages.
bool ParseIdNames(const std::string& text, const std::string& where, IdNameKeys& keys,
                  std::string& error);
bool ReadIdNames(const std::string& path, IdNameKeys& keys, std::string& error);

#endif
