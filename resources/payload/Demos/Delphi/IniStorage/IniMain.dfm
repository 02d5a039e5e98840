object MainForm: TMainForm
  Caption = 'TqzIniStorage demo'
  object Storage: TqzIniStorage
    FileName = '..\..\Settings\Ini.ini'
  end
end
