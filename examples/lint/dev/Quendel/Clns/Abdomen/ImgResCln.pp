# Abdomen, for every transducer: clean.
<DynamicControl>
	DycFEDRSetting<58>
<Display>
	ColorMap<Warm>
<Gain>
	TgcCurve<0.0, 0.4, 0.8, 1.2, 1.6, 2.0, 2.4, 2.8>
