# Display mapping, listed by the file configuration.
<Display>
	ColorMap<Gray>
	Brightness<0>
	Contrast<0>
	Invert<false>
	Level<1.5>
