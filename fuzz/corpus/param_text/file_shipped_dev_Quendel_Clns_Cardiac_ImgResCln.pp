# Cardiac: high frame rate, little persistence.
<DynamicControl>
DycDesiredPivotValue<96>
DycCompressType<1>

<Persistence>
Frames<1>
Alpha<0.2>
