// What a post-processing stage does with the library, through its public headers only: select a
// group, a transducer and a clinical setting, ask typed questions, switch the clinical setting,
// and the same through the flat C functions. The host settings come from the host services, as
// on a scanner; with the stand-in host services of this repository, which take the settings
// file's paths as they stand, from examples/:
//
//   cd examples && CORVEL_SETTINGS=host.ini ../build/bin/quendel_demo
#include <quendel/Quendel.h>
#include <quendel/quendel_c.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

template <class T>
std::string Joined(const std::vector<T>& values) {
    std::ostringstream text;
    for (size_t i = 0; i < values.size(); ++i) {
        text << (i == 0 ? "" : ", ") << values[i];
    }
    return text.str();
}

void ShowSelection(Quendel& params, const char* f, const char* p, const char* a) {
    params.Initial(f, p, a);
    std::cout << "F=" << f << " P=" << p << " A=" << a << "\n";

    int pivot = 0;
    params.GetParameter("DynamicControl", "DycDesiredPivotValue", pivot, 100);
    std::cout << "  DynamicControl DycDesiredPivotValue  " << pivot << "\n";

    std::vector<int> limits;
    params.GetParameter("Gain", "LateralGainLimits", limits, std::vector<int>{-6, 6});
    std::cout << "  Gain LateralGainLimits               " << Joined(limits) << "\n";

    const double third = params.GetParamInArray("Gain", "TgcCurve", 2, 0.0);
    std::cout << "  Gain TgcCurve, element 2             " << third << "\n";

    std::string mode;
    params.GetParameter("SpeckleReduction", "Mode", mode, std::string("Off"));
    std::cout << "  SpeckleReduction Mode                " << mode << "\n";

    int missing = 0;
    const bool found = params.GetParameter("Gain", "NoSuchKey", missing, 7);
    std::cout << "  Gain NoSuchKey (default 7)           " << missing
              << (found ? "" : "  (no entry: the default)") << "\n";
}

}  // namespace

int main() {
    Quendel params;
    params.Initial("Convex", "CX5", "Abdomen");
    std::string version;
    if (!params.GetParameter("GlobalParameters", "Version", version, std::string())) {
        std::cerr << "quendel_demo: the library found no parameters; point the host settings at "
                     "the example tree (from examples/: CORVEL_SETTINGS=host.ini)\n";
        return 1;
    }
    std::cout << "Parameter tree version " << version << "\n\n";

    ShowSelection(params, "Convex", "CX5", "Abdomen");
    // A second Initial re-selects in the store the first one built.
    ShowSelection(params, "Convex", "CX5", "Cardiac");

    std::cout << "\nThrough the flat C functions:\n";
    void* handle = QUENDEL_Create();
    QUENDEL_Initial(handle, "Linear", "LN12", "Vascular");
    int gain = 0;
    QUENDEL_GetIntParam(handle, "Gain", "MasterGain", 0, &gain);
    std::cout << "  F=Linear P=LN12 A=Vascular  Gain MasterGain  " << gain << "\n";
    QUENDEL_Delete(handle);

    std::cout << "\nA table in one value, rows split at \";\":\n";
    for (const std::vector<float>& row : StringToNestedFLoatVec("0.5, 1.25, 2; 3 4.5; 6")) {
        std::cout << "  " << Joined(row) << "\n";
    }
    return 0;
}
