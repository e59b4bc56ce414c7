# Further parameter files, merged below the base file. File2 is not read: FileNumbers is 2.
FileNumbers<2>
File0<Common/ImgResDisplay.pp>
File1<Common/ImgResGone.pp>
File2<Common/ImgResDisplay.pp>
