// JScript: Wine's engine has no GetObject, its Enumerator cannot walk a result and no property
// of an object it gets can be read (docs/wmi-prefix.md): the locator, counts and errors.
var ipmi = new ActiveXObject("WbemScripting.SWbemLocator").ConnectServer(".", "root\\cimv2\\ipmi");
WScript.Echo("NumericSensor: " + ipmi.InstancesOf("NumericSensor").Count);
WScript.Echo("above 40 degrees: " + ipmi.ExecQuery("SELECT * FROM NumericSensor WHERE CurrentReading > 400").Count);
WScript.Echo("log records: " + ipmi.ExecQuery("SELECT * FROM LogRecord").Count);
try {
  ipmi.Get("NoSuchClass.Name=\"x\"");
} catch (error) {
  WScript.Echo("Get of an unknown class: 0x" + (error.number >>> 0).toString(16));
}
