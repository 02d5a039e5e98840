program PlaceDemo;

uses
  Forms,
  PlaceMain in 'PlaceMain.pas' {MainForm};

{$R *.res}

begin
  Application.Initialize;
  Application.CreateForm(TMainForm, MainForm);
  Application.Run;
end.
