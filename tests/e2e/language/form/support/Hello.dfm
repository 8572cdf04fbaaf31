object Hello: TPoolTemplate
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'Hello'
  ClientHeight = 160
  ClientWidth = 360
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 13
  object Label1: TLabel
    Left = 16
    Top = 16
    Width = 320
    Height = 16
    Caption = 'Welcome to $TITLE$'
  end
  object ListBox1: TListBox
    Left = 16
    Top = 40
    Width = 200
    Height = 60
    ItemHeight = 13
    Items.Strings = (
      'First'
      'Second')
    TabOrder = 0
  end
  object ButtonNext: TButton
    Left = 176
    Top = 120
    Width = 75
    Height = 25
    Caption = '&Next >'
    Default = True
    TabOrder = 1
    Tag = 1
  end
  object ButtonCancel: TButton
    Left = 264
    Top = 120
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    TabOrder = 2
    Tag = 3
  end
end
