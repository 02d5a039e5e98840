{ Orvane library 4.07 (all versions) - Copyright (c) Tarnwick }

unit qzlFormPlacement;

{$I qzl.inc}

interface

uses
  Classes, Forms, qzlStorage;

type
  TqzFormPlacement = class(TComponent)
  private
    FStorage: TqzCustomStorage;
  public
    procedure SavePlacement(Form: TCustomForm);
    procedure RestorePlacement(Form: TCustomForm);
  published
    property Storage: TqzCustomStorage read FStorage write FStorage;
  end;

implementation

procedure TqzFormPlacement.SavePlacement(Form: TCustomForm);
begin
  FStorage.WriteInteger(Form.Name, 'Left', Form.Left);
  FStorage.WriteInteger(Form.Name, 'Top', Form.Top);
end;

procedure TqzFormPlacement.RestorePlacement(Form: TCustomForm);
begin
  Form.Left := FStorage.ReadInteger(Form.Name, 'Left', Form.Left);
  Form.Top := FStorage.ReadInteger(Form.Name, 'Top', Form.Top);
end;

end.
