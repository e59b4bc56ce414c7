# Convex transducers.
<DynamicControl>
DycDesiredPivotValue<106>
DycFELogExpValue2D<0.50>

<Gain>
TgcCurve<0.0, 0.8, 1.6, 2.4, 3.0, 3.6, 4.2, 4.8>
