' ExecMethod_ on the log; the simulated log keeps its records and ClearLog says so.
Set ipmi = GetObject("winmgmts:\\.\root\cimv2\ipmi")
Set recordLog = ipmi.Get("RecordLog.InstanceID=""IPMI:IPMI Controller 0 SEL Log""")
WScript.Echo "records before: " & ipmi.InstancesOf("LogRecord").Count
Set result = recordLog.ExecMethod_("ClearLog")
WScript.Echo "ClearLog ReturnValue: " & result.ReturnValue
WScript.Echo "records after: " & ipmi.InstancesOf("LogRecord").Count
