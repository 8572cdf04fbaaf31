object Licence: TPoolTemplate
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '$TITLE$ Setup - Licence Agreement'
  ClientHeight = 313
  ClientWidth = 497
  Font.Name = 'Tahoma'
  Font.Height = -11
  PixelsPerInch = 96
  TextHeight = 13
  object Label1: TLabel
    Left = 16
    Top = 12
    Width = 460
    Height = 13
    Caption = 'Please read the following licence agreement carefully.'
  end
  object Memo1: TMemo
    Left = 16
    Top = 36
    Width = 465
    Height = 180
    Lines.Strings = (
      'LICENCE AGREEMENT'
      ''
      'You may use this software on any number of computers.'
      'It comes without warranty of any kind; the authors'#8217' liability is excluded.')
    ReadOnly = True
    ScrollBars = ssVertical
    TabOrder = 0
    Tag = 2
  end
  object CheckBox1: TRzCheckBox
    Left = 16
    Top = 228
    Width = 300
    Height = 17
    Caption = 'I &accept the terms of the licence agreement'
    Hint = 'ACCEPTLICENCE'
    State = cbUnchecked
    TabOrder = 1
  end
  object ButtonBack: TButton
    Left = 232
    Top = 272
    Width = 75
    Height = 25
    Caption = '< &Back'
    TabOrder = 2
    Tag = 2
  end
  object ButtonNext: TButton
    Left = 312
    Top = 272
    Width = 75
    Height = 25
    Caption = '&Next >'
    Default = True
    Enabled = False
    TabOrder = 3
    Tag = 1
  end
  object ButtonCancel: TButton
    Left = 400
    Top = 272
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    TabOrder = 4
    Tag = 3
  end
end
