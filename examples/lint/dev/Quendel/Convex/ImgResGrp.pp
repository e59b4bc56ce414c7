# Overrides that silently do nothing, or not what they seem to.
<DynamicControl>
	DycFEDRSeting<62>
	DycDesiredPivotValue<1O>

<Gian>
	MasterGain<2>

<Gain>
	TgcCurve<0.0, 0.8, 1.6, 2.4, 3.0, 3.6, 4.2>

<AutoContrastControl>
	Enable<ture>
	ContrastDycPivotPt<0.40>
	ContrastDycPivotPt<0.42>

# Set in vain: the clinical base file outranks the group in every selection.
<Persistence>
	Frames<2>

# Set to what the base file says already.
<SpeckleReduction>
	Strength<2>
