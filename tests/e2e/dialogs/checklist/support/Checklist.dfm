object Checklist: TPoolTemplate
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '$TITLE$ - Features'
  ClientHeight = 313
  ClientWidth = 497
  Font.Name = 'Tahoma'
  Font.Height = -11
  PixelsPerInch = 96
  TextHeight = 13
  object Label1: TLabel
    Left = 16
    Top = 16
    Width = 460
    Height = 13
    Caption = 'Mark the features to install:'
  end
  object CheckListBox1: TCheckListBox
    Left = 16
    Top = 40
    Width = 260
    Height = 160
    Tag = 1
    TabOrder = 0
  end
  object Label3: TLabel
    Left = 16
    Top = 212
    Width = 150
    Height = 13
    Caption = 'Space required:'
  end
  object StaticText3: TStaticText
    Left = 170
    Top = 212
    Width = 150
    Height = 17
    AutoSize = False
    Tag = 4
  end
  object ButtonNext: TButton
    Left = 312
    Top = 272
    Width = 75
    Height = 25
    Caption = '&Next >'
    Default = True
    TabOrder = 1
    Tag = 1
  end
  object ButtonCancel: TButton
    Left = 400
    Top = 272
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    TabOrder = 2
    Tag = 3
  end
end
