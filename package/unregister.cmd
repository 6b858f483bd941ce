@echo off
rem Removes the registration of the Vexa instruments (QX7350.dll in this
rem folder), with the 32-bit regsvr32 that registered them; Torvane then no
rem longer shows them. Needs administrator rights, as registering does.
rem   unregister.cmd [/nopause]   /nopause: for scripted removals
setlocal
set "PLUGIN=%~dp0QX7350.dll"
set "REGSVR32=%SystemRoot%\System32\regsvr32.exe"
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set "REGSVR32=%SystemRoot%\SysWOW64\regsvr32.exe"

if not exist "%PLUGIN%" goto missing

echo Removing the registration of the Vexa instruments:
echo   %PLUGIN%
"%REGSVR32%" /u /s "%PLUGIN%"
if errorlevel 1 goto failed
echo.
echo Done. Torvane no longer shows the Vexa instruments. This folder can now
echo be deleted.
set STATUS=0
goto end

:missing
echo QX7350.dll must be in the same folder as unregister.cmd:
echo   %~dp0
set STATUS=2
goto end

:failed
set STATUS=%ERRORLEVEL%
echo.
echo Removing the registration FAILED: regsvr32 reported error %STATUS%.
rem regsvr32 says 3 when Windows cannot load the library at all.
if "%STATUS%"=="3" goto notloaded
echo It needs administrator rights: right-click unregister.cmd and choose
echo "Run as administrator".
goto end

:notloaded
echo Windows could not load QX7350.dll. The file may be damaged or blocked
echo (by a virus scanner, for example): unpack the package again.
goto end

:end
if /i not "%~1"=="/nopause" pause
exit /b %STATUS%
