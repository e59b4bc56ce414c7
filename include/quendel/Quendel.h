// Read-only access to the image post-processing parameters of the scanner.
#ifndef QUENDEL_QUENDEL_H
#define QUENDEL_QUENDEL_H

#ifndef QUENDEL_API
#define QUENDEL_API __attribute__((visibility("default")))
#endif

#include <string>
#include <vector>

// A table of numbers: rows separated by ";", numbers by commas and spaces. A text without
// ";" gives one single-number row per number. Rows that give no number are left out.
QUENDEL_API std::vector<std::vector<float>> StringToNestedFLoatVec(const std::string& text);
QUENDEL_API std::vector<std::vector<int>> StringToNestedIntVec(const std::string& text);

#endif
