{ Orvane library 4.07 (d3) - Copyright (c) Tarnwick }

unit qzlCompat;

{$I qzl.inc}

interface

uses
  SysUtils;

function IncludeTrailingBackslash(const S: string): string;

implementation

function IncludeTrailingBackslash(const S: string): string;
begin
  Result := S;
  if (Result = '') or (Result[Length(Result)] <> '\') then
    Result := Result + '\';
end;

end.
