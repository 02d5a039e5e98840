{ Orvane library 4.07 (all versions) - Copyright (c) Tarnwick }

unit qzlStorage;

{$I qzl.inc}

interface

uses
  Classes, SysUtils, qzlConsts;

type
  TqzCustomStorage = class(TComponent)
  protected
    function DoReadString(const Section, Name, Default: string): string; virtual; abstract;
    procedure DoWriteString(const Section, Name, Value: string); virtual; abstract;
  public
    function ReadInteger(const Section, Name: string; Default: Integer): Integer;
    procedure WriteInteger(const Section, Name: string; Value: Integer);
  end;

implementation

function TqzCustomStorage.ReadInteger(const Section, Name: string; Default: Integer): Integer;
begin
  Result := StrToIntDef(DoReadString(Section, Name, ''), Default);
end;

procedure TqzCustomStorage.WriteInteger(const Section, Name: string; Value: Integer);
begin
  DoWriteString(Section, Name, IntToStr(Value));
end;

end.
