# Display mapping of the compact product line: replaces Common/ImgResDisplay.pp as a whole.
<Display>
ColorMap<Sepia>
Brightness<2>
Contrast<0>
Invert<false>

<Display:Zoom>
Level<1.0>
Pan<0, 0>
Interpolation<Nearest>
