# Common base of all clinical settings.
<AutoContrastControl>
ContrastDycPivotPt<0.38>

<Persistence>
Frames<4>
