{ Orvane library 4.07 (CBuilder6) - Copyright (c) Tarnwick }

unit qzlPropEds;

{$I qzl.inc}

interface

uses
  Classes, DesignIntf, DesignEditors;

type
  TqzPropertiesEditor = class(TPropertyEditor)
  public
    function GetAttributes: TPropertyAttributes; override;
  end;

implementation

function TqzPropertiesEditor.GetAttributes: TPropertyAttributes;
begin
  Result := [paDialog, paReadOnly];
end;

end.
