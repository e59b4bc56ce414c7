# The base of the lint example: every entry that a higher layer may override.
<DynamicControl>
	DycFEDRSetting<60>            # dB
	DycDesiredPivotValue<100>
	DycPivotOutValue<118>

<Gain>
	MasterGain<0>
	TgcCurve<0.0, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 3.5>   # dB per depth zone

<AutoContrastControl>
	Enable<true>
	ContrastDycPivotPt<0.35>

<Persistence>
	Frames<3>

<SpeckleReduction>
	Strength<2>

# Text that a terminal or an editor shows otherwise than the library reads it.
<Comment>
	Author<J[1mDoe>
	Site<München>
