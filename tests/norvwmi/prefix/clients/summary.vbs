' What the prefix serves: the platform description it was made with.
Set ipmi = GetObject("winmgmts:\\.\root\cimv2\ipmi")
WScript.Echo ipmi.InstancesOf("NumericSensor").Count & " numeric sensors, " & _
  ipmi.InstancesOf("Sensor").Count & " sensors, " & ipmi.InstancesOf("LogRecord").Count & " log records"
For Each controller In ipmi.InstancesOf("ComputerSystem")
  WScript.Echo controller.Name & ": " & controller.Description
Next
