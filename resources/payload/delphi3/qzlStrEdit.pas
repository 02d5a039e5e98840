{ Orvane library 4.07 (d3) - Copyright (c) Tarnwick }

unit qzlStrEdit;

{$I qzl.inc}

interface

uses
  Classes, Forms, StdCtrls;

type
  TqzStrEditDlg = class(TForm)
    Memo: TMemo;
    OkButton: TButton;
  end;

implementation

{$R *.dfm}

end.
