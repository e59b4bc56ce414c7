# LN18: 6-18 MHz linear.
<Gain>
MasterGain<-2>
<Display:Zoom>
Level<1.5>
