{ Orvane library 4.07 (all versions) - Copyright (c) Tarnwick }

unit QqzlFormPlacement;

{$I qzl.inc}

interface

uses
  Classes, QForms, qzlStorage;

type
  TqzClxFormPlacement = class(TComponent)
  public
    procedure SavePlacement(Form: TCustomForm);
  end;

implementation

procedure TqzClxFormPlacement.SavePlacement(Form: TCustomForm);
begin
end;

end.
