# A base file with the mistakes people make when they edit parameters by hand.
# quendel lint examples/damaged shows what the parser reads here.
<DynamicControl>
	DycFEDRSetting<60>            # dB
	DycDesiredPivotValue<100
	DycPivot OutValue<118>
	DycFEDRSetting<62>

<Display
	ColorMap<#FF8000>
	Brightness<>Contrast<2>
	Invert false

<>
[Probe
	Level<1.5>
