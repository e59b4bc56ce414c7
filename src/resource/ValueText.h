// The rules by which stored value text becomes typed values.
// Strict conversions test IsNumber, then use atoi/atof; stream conversions read one number
// through a string stream. None throws for bad text; a failed conversion returns false.
#ifndef QUENDEL_RESOURCE_VALUETEXT_H
#define QUENDEL_RESOURCE_VALUETEXT_H

#include <cfloat>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

extern const char* const kIntCastWarning;  // "Warning! Number is casted to int"

bool ToInt(const std::string& text, int& value);
bool ToLong(const std::string& text, long& value);
bool ToFloat(const std::string& text, float& value);
bool ToDouble(const std::string& text, double& value);
bool ToBool(const std::string& text, bool& value);

bool ToIntVector(const std::string& text, std::vector<int>& list);
bool ToLongVector(const std::string& text, std::vector<long>& list);
bool ToFloatVector(const std::string& text, std::vector<float>& list);
bool ToDoubleVector(const std::string& text, std::vector<double>& list);
bool ToBoolVector(const std::string& text, std::vector<bool>& list);
bool ToStringVector(const std::string& text, std::vector<std::string>& list);

// ToIntVector and ToBoolVector with the int-cast warnings added to warnings instead of written:
// a list converted once and answered many times writes them again at each answer.
bool ToIntVectorCounted(const std::string& text, std::vector<int>& list, uint32_t& warnings);
bool ToBoolVectorCounted(const std::string& text, std::vector<bool>& list, uint32_t& warnings);
void WriteIntCastWarnings(uint32_t count);

// The scalar rules on a text in place (a stored value, one token of a list): the same answers,
// and warnings, as the functions above on a copy of it.
bool ViewToInt(std::string_view text, int& value);
bool ViewToLong(std::string_view text, long& value);
bool ViewToFloat(std::string_view text, float& value);
bool ViewToDouble(std::string_view text, double& value);
bool ViewToBool(std::string_view text, bool& value);
bool StreamViewToInt(std::string_view text, int& value);
bool StreamViewToFloat(std::string_view text, float& value);
bool StreamViewToDouble(std::string_view text, double& value);

// A number read past int's range is held at INT_MIN or INT_MAX.
bool StreamToInt(const std::string& text, int& value);
bool StreamToFloat(const std::string& text, float& value);
bool StreamToDouble(const std::string& text, double& value);
bool StreamToIntVector(const std::string& text, std::vector<int>& list);
bool StreamToFloatVector(const std::string& text, std::vector<float>& list);
bool StreamToDoubleVector(const std::string& text, std::vector<double>& list);

// double to float as IEEE rounding gives it, also past float's range, where a plain cast is
// undefined: from halfway beyond FLT_MAX on the result is infinity, below that FLT_MAX.
inline float NarrowToFloat(double number) {
    constexpr double kRoundsToInfinity = 0x1.ffffffp+127;  // FLT_MAX plus half its last step
    if (number >= kRoundsToInfinity) {
        return std::numeric_limits<float>::infinity();
    }
    if (number <= -kRoundsToInfinity) {
        return -std::numeric_limits<float>::infinity();
    }
    if (number > FLT_MAX) {
        return FLT_MAX;
    }
    if (number < -FLT_MAX) {
        return -FLT_MAX;
    }
    return static_cast<float>(number);
}

#endif
