# CX9: 3-9 MHz micro-convex.
<Gain>
MasterGain<1>
<Compression:Curves:Gamma>
Value<0.9>
