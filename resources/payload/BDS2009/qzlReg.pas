{ Orvane library 4.07 (BDS2009) - Copyright (c) Tarnwick }

unit qzlReg;

{$I qzl.inc}

interface

uses
  Classes, qzlIniStorage, qzlRegStorage, qzlXmlStorage, qzlFormPlacement, qzlPropSaver, qzlStrHolder;

procedure Register;

implementation

procedure Register;
begin
  RegisterComponents('Orvane', [TqzIniStorage, TqzRegStorage,
    TqzXmlStorage, TqzFormPlacement, TqzPropSaver, TqzStrHolder]);
end;

end.
