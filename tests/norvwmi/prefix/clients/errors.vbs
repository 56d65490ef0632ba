' WMI's errors as a client sees them: each call's Err.Number.
On Error Resume Next
Set ipmi = GetObject("winmgmts:\\.\root\cimv2\ipmi")
Sub Show(what)
  WScript.Echo what & ": 0x" & Hex(Err.Number)
  Err.Clear
End Sub
Set found = ipmi.Get("NoSuchClass")
Show "Get of an unknown class"
Set found = ipmi.Get("NoSuchClass.Name=""x""")
Show "Get of an instance of an unknown class"
Set found = ipmi.Get("NumericSensor.DeviceID=")
Show "Get of a malformed path"
Set found = ipmi.Get("NumericSensor.DeviceID=""10.0.0""")
Show "Get with a key missing"
Set found = ipmi.Get("RecordLog.InstanceID=""no such log""")
Show "Get of an instance that is not there"
Set found = ipmi.ExecQuery("SELECT * FROM NoSuchClass", "WQL", 32)
Show "ExecQuery of an unknown class"
Set found = ipmi.ExecQuery("SELECT * FROM NumericSensor WHERE Colour = 1", "WQL", 32)
Show "ExecQuery with an unknown property"
Set found = ipmi.ExecQuery("SELECT * FROM NumericSensor WHERE CurrentReading >", "WQL", 32)
Show "ExecQuery with a malformed WHERE"
Set sensor = ipmi.Get("NumericSensor.CreationClassName=""NumericSensor"",DeviceID=""10.0.0""," & _
  "SystemCreationClassName=""ComputerSystem"",SystemName=""IPMI Controller 0""")
value = sensor.Colour
Show "a property that is not there"
Set wine = GetObject("winmgmts:\\.\root\nosuchnamespace")
Show "a namespace that is nobody's"
