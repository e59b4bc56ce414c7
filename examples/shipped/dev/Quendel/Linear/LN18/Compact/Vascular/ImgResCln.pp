# LN18 in vascular on the compact product line.
<AutoContrastControl>
HistogramBins<128>
