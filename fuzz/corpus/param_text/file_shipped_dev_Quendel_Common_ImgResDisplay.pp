# Display mapping shared by all products.
<Display>
ColorMap<Gray>
Brightness<0>
Contrast<0>
Invert<false>

<Display:Zoom>
Level<1.0>
Pan<0, 0>
Interpolation<Bilinear>
