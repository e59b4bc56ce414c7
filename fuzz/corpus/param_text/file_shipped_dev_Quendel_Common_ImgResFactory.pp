# Factory fallbacks. Everything here is overridden by the files above it.
<Display>
ColorMap<Sepia>           # superseded by the display file
Gamma<2.2>

<DynamicControl>
DycFEDRSetting<55>        # superseded by the base file
DycFELogCompressType<0>
