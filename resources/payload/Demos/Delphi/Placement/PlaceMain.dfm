object MainForm: TMainForm
  Caption = 'TqzFormPlacement demo'
  object Storage: TqzIniStorage
    FileName = '..\..\Settings\Place.ini'
  end
end
