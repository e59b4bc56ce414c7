# CX5 in abdomen.
<DynamicControl>
DycPivotOutValue<122>
<Compression:Curves>
Default<0.0, 0.14, 0.28, 0.43, 0.59, 0.74, 0.86, 0.95, 1.0>
