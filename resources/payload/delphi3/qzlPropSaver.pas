{ Orvane library 4.07 (d3) - Copyright (c) Tarnwick }

unit qzlPropSaver;

{$I qzl.inc}

interface

uses
  Classes, TypInfo, qzlStorage;

type
  TqzPropSaver = class(TComponent)
  private
    FProperties: TStrings;
    FStorage: TqzCustomStorage;
  public
    procedure Save;
  published
    property Properties: TStrings read FProperties write FProperties;
    property Storage: TqzCustomStorage read FStorage write FStorage;
  end;

implementation

procedure TqzPropSaver.Save;
var
  I: Integer;
begin
  for I := 0 to FProperties.Count - 1 do
    FStorage.WriteInteger(Name, FProperties[I], I);
end;

end.
