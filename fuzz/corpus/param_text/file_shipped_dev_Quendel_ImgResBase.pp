# Base image post-processing parameters for every group, transducer and clinical setting.
Version<3.2.0>
ProductLine<General Imaging>

<DynamicControl>
	DycFELogCompressType<1>       # 0 linear, 1 logarithmic, 2 adaptive
	DycFELogExpValue1D<0.42>
	DycFELogExpValue2D<0.48>
	DycFEPivotOutValue<128>
	DycFEDRSetting<60>            # dB
	DycDesiredPivotValue<100>
	DycPivotOutValue<118>
	DycCompressType<2>

<AutoContrastControl>
	Enable<true>
	ContrastDycPivotPt<0.35>
	ContrastDycPivotPtOut<0.55>
	HistogramBins<256>

<Gain>
	MasterGain<0>
	TgcCurve<0.0, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 3.5>   # dB per depth zone
	LateralGainLimits<-6, 6>

<Compression:Curves>
	Default<0.0, 0.12, 0.25, 0.41, 0.58, 0.73, 0.86, 0.95, 1.0>
	Soft<0.0, 0.18, 0.34, 0.50, 0.64, 0.77, 0.88, 0.96, 1.0>
<Compression:Curves:Gamma>
	Value<1.0>

<SpeckleReduction>
	Mode<Off>
	Strength<2>
<SpeckleReduction:Filter:Kernel>
	Size<5>
	Weights<0.05, 0.25, 0.40, 0.25, 0.05>

<Persistence>
	Frames<3>
	Alpha<0.6>
