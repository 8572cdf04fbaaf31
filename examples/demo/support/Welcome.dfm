object Welcome: TPoolTemplate
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '$TITLE$'
  ClientHeight = 313
  ClientWidth = 497
  object Label1: TLabel
    Left = 24
    Top = 24
    Width = 449
    Height = 40
    AutoSize = False
    Caption = '$GREETING$'
    WordWrap = True
  end
  object Button1: TButton
    Left = 312
    Top = 272
    Width = 75
    Height = 25
    Caption = '&Next >'
    Default = True
    Tag = 6
  end
  object Button2: TButton
    Left = 400
    Top = 272
    Width = 75
    Height = 25
    Caption = 'Cancel'
    Tag = 2
  end
end
