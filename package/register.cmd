@echo off
rem Registers the Vexa instruments (QX7350.dll in this folder) for Torvane.
rem Torvane is a 32-bit program and finds the plug-in in the 32-bit view of
rem the registry, so on 64-bit Windows the 32-bit regsvr32 in SysWOW64 must
rem register it. Registration needs administrator rights.
rem   register.cmd [/nopause]   /nopause: for scripted installations
setlocal
set "PLUGIN=%~dp0QX7350.dll"
set "REGSVR32=%SystemRoot%\System32\regsvr32.exe"
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set "REGSVR32=%SystemRoot%\SysWOW64\regsvr32.exe"

if not exist "%PLUGIN%" goto missing
if not exist "%~dp0VexaRes.dll" goto missing

echo Registering the Vexa instruments:
echo   %PLUGIN%
"%REGSVR32%" /s "%PLUGIN%"
if errorlevel 1 goto failed
echo.
echo Done. Torvane now shows the Vexa instruments in its menus.
echo Keep this folder where it is: the registration points to it. After moving
echo it, run unregister.cmd before and register.cmd after the move.
set STATUS=0
goto end

:missing
echo QX7350.dll and VexaRes.dll must be in the same folder as register.cmd:
echo   %~dp0
echo Unpack the whole package and run register.cmd from there.
set STATUS=2
goto end

:failed
set STATUS=%ERRORLEVEL%
echo.
echo Registration FAILED: regsvr32 reported error %STATUS%.
rem regsvr32 says 3 when Windows cannot load the library at all.
if "%STATUS%"=="3" goto notloaded
echo Registering needs administrator rights: right-click register.cmd and
echo choose "Run as administrator".
goto end

:notloaded
echo Windows could not load QX7350.dll. The file may be damaged or blocked
echo (by a virus scanner, for example): unpack the package again.
goto end

:end
if /i not "%~1"=="/nopause" pause
exit /b %STATUS%
