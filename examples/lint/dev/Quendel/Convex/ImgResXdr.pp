# A transducer file saved one level too high: transducer files live in GROUP/PROBE/, so no
# selection reads this one.
<Gain>
	MasterGain<1>
