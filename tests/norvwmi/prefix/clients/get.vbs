' Get by path: an instance, with a date-time and an array, and a class definition.
Set ipmi = GetObject("winmgmts:\\.\root\cimv2\ipmi")
Set sensor = ipmi.Get("NumericSensor.CreationClassName=""NumericSensor"",DeviceID=""10.0.0""," & _
  "SystemCreationClassName=""ComputerSystem"",SystemName=""IPMI Controller 0""")
WScript.Echo sensor.ElementName & " " & sensor.CurrentReading & " " & sensor.SensorType & " " & TypeName(sensor.SupportedThresholds)
Set recordLog = ipmi.Get("RecordLog.InstanceID=""IPMI:IPMI Controller 0 SEL Log""")
WScript.Echo recordLog.ElementName & " | " & recordLog.TimeOfLastStateChange & " | " & recordLog.MaxNumberOfRecords
WScript.Echo "NumericSensor declares " & ipmi.Get("NumericSensor").Properties_.Count & " properties"
