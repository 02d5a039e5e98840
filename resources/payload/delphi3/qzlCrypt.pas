{ Orvane library 4.07 (d3) - Copyright (c) Tarnwick }

unit qzlCrypt;

{$I qzl.inc}

interface

uses
  SysUtils;

function qzlScramble(const S: string; Key: Byte): string;

implementation

function qzlScramble(const S: string; Key: Byte): string;
var
  I: Integer;
begin
  Result := S;
  for I := 1 to Length(Result) do
    Result[I] := Char(Ord(Result[I]) xor Key);
end;

end.
