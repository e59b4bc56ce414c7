# Further parameter files, merged below the base file (File0 before File1).
# Paths are relative to the resource root.
FileNumbers<2>
File0<Common/ImgResDisplay.pp>
File1<Common/ImgResFactory.pp>
