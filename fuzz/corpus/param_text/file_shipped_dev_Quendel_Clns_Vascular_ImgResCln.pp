# Vascular: crisp vessel walls.
<AutoContrastControl>
ContrastDycPivotPtOut<0.62>

<Compression:Curves>
Default<0.0, 0.08, 0.20, 0.37, 0.55, 0.72, 0.86, 0.95, 1.0>
