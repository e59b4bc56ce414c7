# CX9 in abdomen (paediatric).
<DynamicControl>
DycFEDRSetting<58>
