# CX5: 1-5 MHz convex.
<Gain>
MasterGain<2>

<SpeckleReduction:Filter:Kernel>
Size<7>
Weights<0.03, 0.10, 0.22, 0.30, 0.22, 0.10, 0.03>
