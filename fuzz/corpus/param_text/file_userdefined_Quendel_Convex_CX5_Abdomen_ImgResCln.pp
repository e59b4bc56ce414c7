# Saved by the user for CX5 / Abdomen.
<Gain>
MasterGain<3>
<AutoContrastControl>
ContrastDycPivotPtOut<0.60>
