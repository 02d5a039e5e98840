{ Orvane library 4.07 (d3) - Copyright (c) Tarnwick }

unit qzlRegStorage;

{$I qzl.inc}

interface

uses
  Classes, Registry, qzlStorage;

type
  TqzRegStorage = class(TqzCustomStorage)
  private
    FRootKey: string;
  protected
    function DoReadString(const Section, Name, Default: string): string; override;
    procedure DoWriteString(const Section, Name, Value: string); override;
  published
    property RootKey: string read FRootKey write FRootKey;
  end;

implementation

function TqzRegStorage.DoReadString(const Section, Name, Default: string): string;
begin
  with TRegistry.Create do
  try
    Result := Default;
    if OpenKeyReadOnly(FRootKey + '\' + Section) and ValueExists(Name) then
      Result := ReadString(Name);
  finally
    Free;
  end;
end;

procedure TqzRegStorage.DoWriteString(const Section, Name, Value: string);
begin
  with TRegistry.Create do
  try
    if OpenKey(FRootKey + '\' + Section, True) then
      WriteString(Name, Value);
  finally
    Free;
  end;
end;

end.
