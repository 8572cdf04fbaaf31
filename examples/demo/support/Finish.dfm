object Finish: TPoolTemplate
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '$TITLE$ Setup'
  ClientHeight = 313
  ClientWidth = 497
  PixelsPerInch = 96
  TextHeight = 13
  object Image1: TImage
    Left = 0
    Top = 0
    Width = 164
    Height = 257
    Picture.Data = {
      07544269746D617046000000424D46000000000000003E000000280000000200
      0000020000000100010000000000080000000000000000000000020000000000
      000000000000FFFFFF00C000000040000000}
    Stretch = True
  end
  object Label1: TLabel
    Left = 180
    Top = 16
    Width = 300
    Height = 16
    Caption = 'Completing the $TITLE$ Setup Wizard'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object Label2: TLabel
    Left = 180
    Top = 48
    Width = 300
    Height = 40
    AutoSize = False
    Caption = '$TITLE$ has been installed on your computer.'
    WordWrap = True
  end
  object CheckBox1: TRzCheckBox
    Left = 180
    Top = 100
    Width = 300
    Height = 17
    Caption = 'Launch $TITLE$ now'
    Checked = True
    Hint = 'LAUNCH'
    State = cbChecked
    TabOrder = 0
  end
  object ButtonFinish: TButton
    Left = 400
    Top = 272
    Width = 75
    Height = 25
    Caption = '&Finish'
    Default = True
    TabOrder = 1
    Tag = 1
  end
end
