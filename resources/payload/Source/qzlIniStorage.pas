{ Orvane library 4.07 (all versions) - Copyright (c) Tarnwick }

unit qzlIniStorage;

{$I qzl.inc}

interface

uses
  Classes, IniFiles, qzlStorage;

type
  TqzIniStorage = class(TqzCustomStorage)
  private
    FFileName: string;
  protected
    function DoReadString(const Section, Name, Default: string): string; override;
    procedure DoWriteString(const Section, Name, Value: string); override;
  published
    property FileName: string read FFileName write FFileName;
  end;

implementation

function TqzIniStorage.DoReadString(const Section, Name, Default: string): string;
begin
  with TIniFile.Create(FFileName) do
  try
    Result := ReadString(Section, Name, Default);
  finally
    Free;
  end;
end;

procedure TqzIniStorage.DoWriteString(const Section, Name, Value: string);
begin
  with TIniFile.Create(FFileName) do
  try
    WriteString(Section, Name, Value);
  finally
    Free;
  end;
end;

end.
