object Options: TPoolTemplate
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '$TITLE$ Setup - Options'
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
    Caption = 'Choose how $TITLE$ is set up:'
  end
  object GroupBox1: TGroupBox
    Left = 16
    Top = 40
    Width = 465
    Height = 81
    Caption = 'Setup type'
    TabOrder = 0
    object RadioButton1: TRzRadioButton
      Left = 16
      Top = 24
      Width = 200
      Height = 17
      Caption = '&Typical'
      Hint = 'TYPICAL'
      TabOrder = 0
    end
    object RadioButton2: TRzRadioButton
      Left = 16
      Top = 48
      Width = 200
      Height = 17
      Caption = '&Complete'
      Hint = 'COMPLETE'
      TabOrder = 1
    end
  end
  object CheckBox1: TRzCheckBox
    Left = 16
    Top = 136
    Width = 300
    Height = 17
    Caption = 'Create a &desktop shortcut'
    Hint = 'DESKTOPSHORTCUT'
    TabOrder = 1
  end
  object Label2: TLabel
    Left = 16
    Top = 168
    Width = 100
    Height = 13
    Caption = '&Program group:'
  end
  object ComboBox1: TComboBox
    Left = 128
    Top = 164
    Width = 200
    Height = 21
    Hint = 'GROUP'
    Style = csDropDownList
    Items.Strings = (
      '$TITLE$'
      'Tools'
      'Utilities')
    TabOrder = 2
  end
  object ButtonBack: TButton
    Left = 232
    Top = 272
    Width = 75
    Height = 25
    Caption = '< &Back'
    TabOrder = 3
    Tag = 2
  end
  object ButtonNext: TButton
    Left = 312
    Top = 272
    Width = 75
    Height = 25
    Caption = '&Next >'
    Default = True
    TabOrder = 4
    Tag = 1
  end
  object ButtonCancel: TButton
    Left = 400
    Top = 272
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    TabOrder = 5
    Tag = 3
  end
end
