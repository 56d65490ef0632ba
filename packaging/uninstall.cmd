@echo off
rem Removes the Norvipmiprv WMI provider. Run it from an elevated command prompt, in
rem the unpacked release archive (it compiles Uninstall.mof from beside itself):
rem
rem   1. mofcomp UninstallAlertsToEventLog.mof deletes the event log subscription of
rem      AlertsToEventLog.mof (its filters, consumers and bindings), if it is there;
rem   2. mofcomp Uninstall.mof deletes the namespace root\cimv2\ipmi with its classes
rem      and provider registrations;
rem   3. regsvr32 /u unregisters %ProgramFiles%\Norvipmiprv\Norvipmiprv.dll (System32
rem      regsvr32) and, on 64-bit Windows, %ProgramFiles(x86)%\Norvipmiprv\Norvipmiprv.dll
rem      (SysWOW64 regsvr32);
rem   4. the event source Norvipmiprv is removed from the Application event log;
rem   5. the folders are deleted.
rem
rem A step that finds nothing to remove is skipped, and a step that fails does not
rem stop the others, so the script also finishes a partly removed installation. The
rem exit code is non-zero when something that is there could not be removed.
setlocal EnableExtensions DisableDelayedExpansion

rem A 32-bit command prompt on 64-bit Windows sees the 32-bit System32 and Program
rem Files folders; run again in the native command prompt.
if not defined PROCESSOR_ARCHITEW6432 goto :native_prompt
"%SystemRoot%\Sysnative\cmd.exe" /d /c ""%~f0" %*"
exit /b %ERRORLEVEL%
:native_prompt

set "HERE=%~dp0"
net session >nul 2>&1
if errorlevel 1 goto :not_elevated

set "FAILURES=0"
set "PROVIDER_CLSID={FB384222-502F-4A15-AE24-AAA8C860753E}"
set "TARGET=%ProgramFiles%\Norvipmiprv"
set "EVENT_SOURCE_KEY=HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Norvipmiprv"
set "TARGET_X86="
set "NATIVE_VIEW="
if /i "%PROCESSOR_ARCHITECTURE%"=="AMD64" set "TARGET_X86=%ProgramFiles(x86)%\Norvipmiprv"
if /i "%PROCESSOR_ARCHITECTURE%"=="AMD64" set "NATIVE_VIEW=/reg:64"

echo Deleting the event log subscription of AlertsToEventLog.mof, if it is there
if not exist "%HERE%UninstallAlertsToEventLog.mof" goto :no_subscription_mof
"%SystemRoot%\System32\wbem\mofcomp.exe" "%HERE%UninstallAlertsToEventLog.mof"
if errorlevel 1 call :failed "delete the event log subscription (mofcomp exit code %ERRORLEVEL%)"
goto :delete_namespace
:no_subscription_mof
call :failed "delete the event log subscription: UninstallAlertsToEventLog.mof is not beside uninstall.cmd"

:delete_namespace
echo Deleting the namespace root\cimv2\ipmi
if not exist "%HERE%Uninstall.mof" goto :no_uninstall_mof
"%SystemRoot%\System32\wbem\mofcomp.exe" "%HERE%Uninstall.mof"
if errorlevel 1 call :failed "delete the namespace root\cimv2\ipmi (mofcomp exit code %ERRORLEVEL%)"
goto :unregister_modules
:no_uninstall_mof
call :failed "delete the namespace root\cimv2\ipmi: Uninstall.mof is not beside uninstall.cmd"

:unregister_modules
call :unregister "%SystemRoot%\System32\regsvr32.exe" "%TARGET%\Norvipmiprv.dll" %NATIVE_VIEW%
if defined TARGET_X86 call :unregister "%SystemRoot%\SysWOW64\regsvr32.exe" "%TARGET_X86%\Norvipmiprv.dll" /reg:32

call :remove_event_source
call :remove_folder "%TARGET%"
if defined TARGET_X86 call :remove_folder "%TARGET_X86%"

echo.
if not "%FAILURES%"=="0" goto :incomplete
echo Norvipmiprv is removed.
exit /b 0

:incomplete
>&2 echo uninstall: %FAILURES% step(s) failed; see above. Run uninstall.cmd again when
>&2 echo uninstall: the cause is gone.
exit /b 1

rem unregister REGSVR32 MODULE [REG-VIEW]: removes the module's COM classes and type
rem library. Unregistering a module that is no longer registered fails; that counts
rem as done when the class id of NorvComputerSystemProv is gone from its registry view.
:unregister
if exist "%~2" goto :unregister_module
echo %~2 is not there; nothing to unregister.
exit /b 0
:unregister_module
echo Unregistering %~2
"%~1" /u /s "%~2"
if not errorlevel 1 exit /b 0
set "CODE=%ERRORLEVEL%"
"%SystemRoot%\System32\reg.exe" query "HKLM\SOFTWARE\Classes\CLSID\%PROVIDER_CLSID%" %~3 >nul 2>&1
if not errorlevel 1 goto :still_registered
echo %~2 was not registered.
exit /b 0
:still_registered
call :failed "unregister %~2 (regsvr32 exit code %CODE%)"
exit /b 0

rem remove_event_source: the event log no longer reads texts of the source Norvipmiprv.
:remove_event_source
"%SystemRoot%\System32\reg.exe" query "%EVENT_SOURCE_KEY%" >nul 2>&1
if not errorlevel 1 goto :remove_registered_event_source
echo The event source Norvipmiprv is not registered; nothing to remove.
exit /b 0
:remove_registered_event_source
echo Removing the event source Norvipmiprv
"%SystemRoot%\System32\reg.exe" delete "%EVENT_SOURCE_KEY%" /f >nul
if not errorlevel 1 exit /b 0
call :failed "remove the event source Norvipmiprv (%EVENT_SOURCE_KEY%)"
exit /b 0

rem remove_folder FOLDER
:remove_folder
if exist "%~1\" goto :remove_existing_folder
echo %~1 is not there; nothing to delete.
exit /b 0
:remove_existing_folder
echo Deleting %~1
rmdir /s /q "%~1"
if not exist "%~1\" exit /b 0
call :failed "delete %~1: the WMI provider host may still hold the module; wait a few minutes"
exit /b 0

rem failed WHAT: reports a step that failed and counts it.
:failed
>&2 echo uninstall: could not %~1
set /a FAILURES+=1 >nul
exit /b 0

:not_elevated
>&2 echo uninstall: this needs administrator rights; run it from an elevated command prompt
>&2 echo uninstall: (right-click Command Prompt, "Run as administrator").
exit /b 1
