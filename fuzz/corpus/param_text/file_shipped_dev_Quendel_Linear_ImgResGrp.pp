# Linear transducers.
<DynamicControl>
DycDesiredPivotValue<112>
DycFELogExpValue1D<0.40>

<SpeckleReduction>
Mode<Low>
