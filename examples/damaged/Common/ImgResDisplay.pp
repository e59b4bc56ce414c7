# Display mapping of the damaged example.
<Display>
ColorMap<Gray>
