{ Orvane library 4.07 (all versions) - Copyright (c) Tarnwick }

unit QqzlPropSaver;

{$I qzl.inc}

interface

uses
  Classes, QForms, qzlStorage;

type
  TqzClxPropSaver = class(TComponent)
  end;

implementation


end.
