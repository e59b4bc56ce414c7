# Common base of all clinical settings.
<Persistence>
	Frames<4>
