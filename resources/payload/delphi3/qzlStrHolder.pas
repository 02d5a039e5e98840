{ Orvane library 4.07 (d3) - Copyright (c) Tarnwick }

unit qzlStrHolder;

{$I qzl.inc}

interface

uses
  Classes;

type
  TqzStrHolder = class(TComponent)
  private
    FStrings: TStrings;
  published
    property Strings: TStrings read FStrings write FStrings;
  end;

implementation


end.
