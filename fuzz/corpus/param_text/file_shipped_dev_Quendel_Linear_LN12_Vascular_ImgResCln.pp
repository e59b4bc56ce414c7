# LN12 in vascular.
<AutoContrastControl>
ContrastDycPivotPt<0.30>
<Persistence>
Frames<2>
