' ExecQuery with a WHERE: comparisons, LIKE, AND, OR, NOT, a select list.
Set ipmi = GetObject("winmgmts:\\.\root\cimv2\ipmi")
Sub Run(query)
  WScript.Echo "# " & query
  For Each sensor In ipmi.ExecQuery(query)
    WScript.Echo sensor.ElementName & " " & sensor.CurrentReading
  Next
End Sub
Run "SELECT * FROM NumericSensor WHERE CurrentReading > 400"
Run "SELECT ElementName, CurrentReading FROM NumericSensor WHERE CurrentReading <= 340 OR ElementName LIKE '%7(%'"
Run "SELECT * FROM NumericSensor WHERE NOT (CurrentReading >= 360) AND DeviceID <> ""12.0.0"""
Run "SELECT * FROM NumericSensor WHERE elementname = 'temperature 2(11.0.0)'"
