{ Orvane library 4.07 (d3) - Copyright (c) Tarnwick }

unit qzlMemIni;

{$I qzl.inc}

interface

uses
  Classes, IniFiles;

type
  TMemIniFile = class(TIniFile)
  end;

implementation


end.
