# LN18 on the compact product line (QuendelProductRule = Compact): the resource file's own
# probe file, taken before Linear/LN18/ImgResXdr.pp. Its clinical files live below this
# directory too.
<Gain>
MasterGain<-1>
<Persistence>
Alpha<0.5>
