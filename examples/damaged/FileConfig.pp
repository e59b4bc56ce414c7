# Further files, relative to this directory.
FileNumbers<2>
File0<Common/ImgResDisplay.pp>
File1<Common/ImgResFactory.pp>
File2<Common/ImgResExtra.pp>
