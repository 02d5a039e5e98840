{ Orvane library 4.07 (all versions) - Copyright (c) Tarnwick }

unit qzlUtils;

{$I qzl.inc}

interface

uses
  SysUtils;

function qzlQuote(const S: string): string;
function qzlSplitPath(const Path: string; var Section, Name: string): Boolean;

implementation

function qzlQuote(const S: string): string;
begin
  Result := '"' + S + '"';
end;

function qzlSplitPath(const Path: string; var Section, Name: string): Boolean;
var
  P: Integer;
begin
  P := LastDelimiter('\', Path);
  Section := Copy(Path, 1, P - 1);
  Name := Copy(Path, P + 1, MaxInt);
  Result := Name <> '';
end;

end.
