# Abdomen: deep penetration, smooth texture.
<DynamicControl>
DycDesiredPivotValue<104>
DycFEDRSetting<66>

<SpeckleReduction> Mode<Medium> Strength<3>
