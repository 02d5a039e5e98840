' Registers or removes the namespaces listed in an installation description
Option Explicit
Dim mode, ini
mode = WScript.Arguments(0)
ini = WScript.Arguments(1)
WScript.Echo "Help 2 " & mode & " " & ini
