# A group clinical file whose findings are known and silenced, one by one.
<Gain>
	MasterGain<4>
	Boost<1>           # quendel-lint: disable=unknown-override
