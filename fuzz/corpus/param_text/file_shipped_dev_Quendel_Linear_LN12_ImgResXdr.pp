# LN12: 4-12 MHz linear.
<Gain>
MasterGain<-1>
LateralGainLimits<-4, 4>
