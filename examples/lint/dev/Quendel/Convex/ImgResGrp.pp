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

<DynamicControl>
	DycPivotOutValue<99999999999>
<Persistence>
	Frames<2.5>

# Set in vain: the clinical file of the only clinical setting outranks the group.
<Display>
	ColorMap<Sepia>

# Set to what the base file says already.
<SpeckleReduction>
	Strength<2>
