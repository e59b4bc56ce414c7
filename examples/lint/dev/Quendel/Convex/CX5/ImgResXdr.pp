# A transducer file with the mistakes people make when they edit parameters by hand.
<DynamicControl>
	DycDesiredPivotValue<100
	DycPivot OutValue<118>

<Display
	ColorMap<#FF8000>
	Brightness<>Contrast<2>
	Invert false

<>
[Probe
	Level<1.5>
