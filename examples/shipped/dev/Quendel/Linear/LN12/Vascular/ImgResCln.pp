# LN12 in vascular.
<AutoContrastControl>
HistogramBins<192>
<Persistence>
Alpha<0.5>
