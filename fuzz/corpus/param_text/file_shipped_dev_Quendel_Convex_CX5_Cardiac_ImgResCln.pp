# CX5 in cardiac.
<Persistence>
Alpha<0.15>
