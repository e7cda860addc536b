@echo off
rem An example of calling digit-tint.exe from a batch file: runs the
rem digit-tint.exe beside this file in the current folder with the switches
rem given, says whether it failed, and ends with the tool's own exit status.
rem
rem digit-tint ends with -1 when nothing was handed back, and with 1 when the
rem selection is too long. "if errorlevel 1" means "1 or more", so it misses
rem -1: compare the status whole, as below.
setlocal
"%~dp0digit-tint.exe" %*
if %errorlevel% neq 0 goto failed
echo digit-tint ended without error.
exit /b 0
:failed
set status=%errorlevel%
>&2 echo digit-tint failed with exit status %status%.
exit /b %status%
