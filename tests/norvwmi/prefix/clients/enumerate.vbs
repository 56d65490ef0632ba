' InstancesOf through the stand-in, and a Win32_ class of Wine's own WMI beside it.
Set ipmi = GetObject("winmgmts:\\.\root\cimv2\ipmi")
For Each sensor In ipmi.InstancesOf("NumericSensor")
  WScript.Echo sensor.ElementName & " | " & sensor.DeviceID & " | " & sensor.CurrentReading & _
    " x10^" & sensor.UnitModifier & " | " & sensor.CurrentState & " | " & TypeName(sensor.PossibleStates)
Next
WScript.Echo ipmi.InstancesOf("Sensor").Count & " sensors, " & ipmi.InstancesOf("LogRecord").Count & " log records"
For Each bios In GetObject("winmgmts:\\.\root\cimv2").InstancesOf("Win32_BIOS")
  WScript.Echo "Win32_BIOS: " & bios.Manufacturer
Next
