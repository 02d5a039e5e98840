{ Orvane library 4.07 (d3) - Copyright (c) Tarnwick }

unit qzlContnrs;

{$I qzl.inc}

interface

uses
  Classes;

type
  TObjectList = class(TList)
  public
    destructor Destroy; override;
  end;

implementation

destructor TObjectList.Destroy;
var
  I: Integer;
begin
  for I := 0 to Count - 1 do
    TObject(Items[I]).Free;
  inherited Destroy;
end;

end.
