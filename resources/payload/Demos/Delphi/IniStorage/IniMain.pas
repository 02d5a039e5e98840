unit IniMain;

interface

uses
  Forms, qzlStorage, qzlIniStorage, qzlFormPlacement;

type
  TMainForm = class(TForm)
    Storage: TqzIniStorage;
    Placement: TqzFormPlacement;
  end;

var
  MainForm: TMainForm;

implementation

{$R *.dfm}

end.
