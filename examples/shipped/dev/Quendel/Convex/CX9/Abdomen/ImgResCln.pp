# CX9 in abdomen (paediatric).
<DynamicControl>
DycPivotOutValue<114>
