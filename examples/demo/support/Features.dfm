object Features: TPoolTemplate
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '$TITLE$ Setup - Features'
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
    Caption = 'Click a feature'#39's icon to choose whether it is installed:'
  end
  object TreeView1: TTreeView
    Left = 16
    Top = 40
    Width = 260
    Height = 160
    Hint = 'FEATURE'
    Tag = 1
    TabOrder = 0
  end
  object GroupBox1: TGroupBox
    Left = 288
    Top = 34
    Width = 193
    Height = 166
    Caption = 'Feature description'
    TabOrder = 1
    object StaticText1: TStaticText
      Left = 8
      Top = 20
      Width = 177
      Height = 100
      AutoSize = False
      Tag = 2
    end
    object Label2: TLabel
      Left = 8
      Top = 132
      Width = 90
      Height = 13
      Caption = 'Feature size:'
    end
    object StaticText2: TStaticText
      Left = 100
      Top = 132
      Width = 85
      Height = 17
      AutoSize = False
      Tag = 3
    end
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
  object Label4: TLabel
    Left = 16
    Top = 232
    Width = 150
    Height = 13
    Caption = 'Space available:'
  end
  object StaticText4: TStaticText
    Left = 170
    Top = 232
    Width = 150
    Height = 17
    AutoSize = False
    Tag = 5
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
