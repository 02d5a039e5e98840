{ Orvane library 4.07 (d3) - Copyright (c) Tarnwick }

unit qzlAboutEd;

{$I qzl.inc}

interface

uses
  Windows, SysUtils;

procedure qzlShowAbout;

implementation

type
  TqzlExecute = procedure(Owner: HWND); stdcall;

procedure qzlShowAbout;
var
  Lib: HMODULE;
  Execute: TqzlExecute;
begin
  Lib := LoadLibrary('qzlabout.dll');
  if Lib = 0 then
    Exit;
  try
    @Execute := GetProcAddress(Lib, 'Execute');
    if Assigned(Execute) then
      Execute(0);
  finally
    FreeLibrary(Lib);
  end;
end;

end.
