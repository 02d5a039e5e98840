object qzStorageEdDlg: TqzStorageEdDlg
  Left = 200
  Top = 120
  Caption = 'Orvane library'
  ClientHeight = 240
  ClientWidth = 360
end
