@echo off
rem Installs the Norvipmiprv WMI provider from the folder this script is in (the
rem unpacked release archive). Run it from an elevated command prompt.
rem
rem   64-bit Windows: x64\Norvipmiprv.dll to %ProgramFiles%\Norvipmiprv, registered
rem                   with %SystemRoot%\System32\regsvr32.exe, and x86\Norvipmiprv.dll
rem                   to %ProgramFiles(x86)%\Norvipmiprv, registered with
rem                   %SystemRoot%\SysWOW64\regsvr32.exe
rem   32-bit Windows: x86\Norvipmiprv.dll to %ProgramFiles%\Norvipmiprv, registered
rem                   with %SystemRoot%\System32\regsvr32.exe
rem
rem then the event source Norvipmiprv of the Application event log is registered for
rem %ProgramFiles%\Norvipmiprv\Norvipmiprv.dll (its message table holds the alert texts)
rem and Norvipmiprv.mof is compiled with mofcomp. The script stops at the first step
rem that fails, names it and exits with a non-zero code.
setlocal EnableExtensions DisableDelayedExpansion

rem A 32-bit command prompt on 64-bit Windows sees the 32-bit System32 and Program
rem Files folders; run again in the native command prompt.
if not defined PROCESSOR_ARCHITEW6432 goto :native_prompt
"%SystemRoot%\Sysnative\cmd.exe" /d /c ""%~f0" %*"
exit /b %ERRORLEVEL%
:native_prompt

set "HERE=%~dp0"
set "HINT="
net session >nul 2>&1
if errorlevel 1 goto :not_elevated

set "TARGET=%ProgramFiles%\Norvipmiprv"
set "EVENT_SOURCE_KEY=HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Norvipmiprv"
if /i "%PROCESSOR_ARCHITECTURE%"=="AMD64" goto :windows64
if /i "%PROCESSOR_ARCHITECTURE%"=="x86" goto :windows32
>&2 echo install: the provider is built for x86 and x64 Windows only,
>&2 echo install: not for %PROCESSOR_ARCHITECTURE%.
exit /b 1

:windows64
set "TARGET_X86=%ProgramFiles(x86)%\Norvipmiprv"
call :copy_file "x64\Norvipmiprv.dll" "%TARGET%"
if errorlevel 1 goto :failed
call :copy_file "Norvipmiprv.mof" "%TARGET%"
if errorlevel 1 goto :failed
call :copy_file "x86\Norvipmiprv.dll" "%TARGET_X86%"
if errorlevel 1 goto :failed
call :register "%SystemRoot%\System32\regsvr32.exe" "%TARGET%\Norvipmiprv.dll"
if errorlevel 1 goto :failed
call :register "%SystemRoot%\SysWOW64\regsvr32.exe" "%TARGET_X86%\Norvipmiprv.dll"
if errorlevel 1 goto :failed
goto :event_source

:windows32
call :copy_file "x86\Norvipmiprv.dll" "%TARGET%"
if errorlevel 1 goto :failed
call :copy_file "Norvipmiprv.mof" "%TARGET%"
if errorlevel 1 goto :failed
call :register "%SystemRoot%\System32\regsvr32.exe" "%TARGET%\Norvipmiprv.dll"
if errorlevel 1 goto :failed

:event_source
call :register_event_source "%TARGET%\Norvipmiprv.dll"
if errorlevel 1 goto :failed

:compile_mof
set "STEP=compile %TARGET%\Norvipmiprv.mof with mofcomp"
echo Compiling %TARGET%\Norvipmiprv.mof
"%SystemRoot%\System32\wbem\mofcomp.exe" "%TARGET%\Norvipmiprv.mof"
if errorlevel 1 goto :failed
echo.
echo Norvipmiprv is installed: the classes are in the namespace root\cimv2\ipmi.
exit /b 0

rem copy_file FILE FOLDER: copies FILE of the archive into FOLDER, creating it.
:copy_file
set "STEP=copy %~1 to %~2"
if not exist "%HERE%%~1" (
    >&2 echo install: %~1 is missing beside install.cmd; unpack the whole archive.
    exit /b 1
)
if not exist "%~2\" mkdir "%~2"
if not exist "%~2\" exit /b 1
echo Copying %~1 to %~2
copy /y /b "%HERE%%~1" "%~2\" >nul
if not errorlevel 1 exit /b 0
set "HINT=is an earlier version loaded? Run uninstall.cmd, wait a few minutes, retry."
exit /b 1

rem register REGSVR32 MODULE: registers the module's COM classes and type library.
:register
set "STEP=register %~2 with %~1"
echo Registering %~2
"%~1" /s "%~2"
exit /b %ERRORLEVEL%

rem register_event_source MODULE: the event log reads the texts of the source
rem Norvipmiprv from MODULE; its entries are errors, warnings or information (7).
:register_event_source
set "STEP=register the event source Norvipmiprv for %~1"
echo Registering the event source Norvipmiprv for %~1
"%SystemRoot%\System32\reg.exe" add "%EVENT_SOURCE_KEY%" /v EventMessageFile /t REG_EXPAND_SZ /d "%~1" /f >nul
if errorlevel 1 exit /b 1
"%SystemRoot%\System32\reg.exe" add "%EVENT_SOURCE_KEY%" /v TypesSupported /t REG_DWORD /d 7 /f >nul
exit /b %ERRORLEVEL%

:failed
set "CODE=%ERRORLEVEL%"
if "%CODE%"=="0" set "CODE=1"
>&2 echo.
>&2 echo install: could not %STEP% (exit code %CODE%).
if defined HINT >&2 echo install: %HINT%
exit /b %CODE%

:not_elevated
>&2 echo install: this needs administrator rights; run it from an elevated command prompt
>&2 echo install: (right-click Command Prompt, "Run as administrator").
exit /b 1
