@echo off
rem Registers the Orvane library help with Help 2
cscript //nologo h2reg.vbs -r h2reg_cmd.ini
