@echo off
rem Removes the Orvane library help from Help 2
cscript //nologo h2reg.vbs -u h2reg_cmd.ini
