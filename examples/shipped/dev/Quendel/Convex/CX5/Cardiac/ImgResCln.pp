# CX5 in cardiac: a lighter speckle filter keeps the valve edges.
<SpeckleReduction>
Strength<1>
