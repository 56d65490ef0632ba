' ASSOCIATORS OF and REFERENCES OF through ExecQuery, walking from the controller.
Set ipmi = GetObject("winmgmts:\\.\root\cimv2\ipmi")
controller = "{ComputerSystem.CreationClassName=""ComputerSystem"",Name=""IPMI Controller 0""}"
For Each sensor In ipmi.ExecQuery("ASSOCIATORS OF " & controller & " WHERE ResultClass = NumericSensor")
  WScript.Echo "sensor: " & sensor.ElementName
Next
For Each owner In ipmi.ExecQuery("ASSOCIATORS OF {RecordLog.InstanceID=""IPMI:IPMI Controller 0 SEL Log""} WHERE AssocClass = UseOfLog")
  WScript.Echo "log of: " & owner.ElementName
Next
WScript.Echo "references of the controller: " & ipmi.ExecQuery("REFERENCES OF " & controller).Count
WScript.Echo "hosted collection links: " & ipmi.ExecQuery("REFERENCES OF " & controller & " WHERE ResultClass = HostedCollection").Count
