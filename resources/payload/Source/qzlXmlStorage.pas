{ Orvane library 4.07 (all versions) - Copyright (c) Tarnwick }

unit qzlXmlStorage;

{$I qzl.inc}

interface

uses
  Classes, SysUtils, qzlStorage, qzlUtils;

type
  TqzXmlStorage = class(TqzCustomStorage)
  private
    FFileName: string;
  protected
    function DoReadString(const Section, Name, Default: string): string; override;
    procedure DoWriteString(const Section, Name, Value: string); override;
  published
    property FileName: string read FFileName write FFileName;
  end;

implementation

function TqzXmlStorage.DoReadString(const Section, Name, Default: string): string;
begin
  Result := Default;
end;

procedure TqzXmlStorage.DoWriteString(const Section, Name, Value: string);
begin
  { written on the next Flush }
end;

end.
