{ Orvane library 4.07 (d3) - Copyright (c) Tarnwick }

unit qzlStorageEd;

{$I qzl.inc}

interface

uses
  Classes, Forms, StdCtrls;

type
  TqzStorageEditDlg = class(TForm)
    SectionList: TListBox;
  end;

implementation

{$R *.dfm}

end.
