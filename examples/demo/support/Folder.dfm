object Folder: TPoolTemplate
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '$TITLE$ Setup - Destination Folder'
  ClientHeight = 313
  ClientWidth = 497
  PixelsPerInch = 96
  TextHeight = 13
  object Label1: TLabel
    Left = 16
    Top = 16
    Width = 460
    Height = 13
    Caption = 'Setup will install $TITLE$ into the following folder:'
  end
  object Edit1: TEdit
    Left = 16
    Top = 40
    Width = 369
    Height = 21
    Hint = 'TARGETDIR'
    MaxLength = 259
    TabOrder = 0
    Tag = 2
  end
  object ButtonBrowse: TButton
    Left = 400
    Top = 38
    Width = 75
    Height = 25
    Caption = 'B&rowse...'
    TabOrder = 1
    Tag = 4
  end
  object Label2: TLabel
    Left = 16
    Top = 80
    Width = 150
    Height = 13
    Caption = 'Space required:'
  end
  object StaticText1: TStaticText
    Left = 170
    Top = 80
    Width = 150
    Height = 17
    AutoSize = False
    TabOrder = 2
    Tag = 4
  end
  object Label3: TLabel
    Left = 16
    Top = 100
    Width = 150
    Height = 13
    Caption = 'Space available:'
  end
  object StaticText2: TStaticText
    Left = 170
    Top = 100
    Width = 150
    Height = 17
    AutoSize = False
    TabOrder = 3
    Tag = 5
  end
  object ButtonBack: TButton
    Left = 232
    Top = 272
    Width = 75
    Height = 25
    Caption = '< &Back'
    TabOrder = 4
    Tag = 2
  end
  object ButtonNext: TButton
    Left = 312
    Top = 272
    Width = 75
    Height = 25
    Caption = '&Next >'
    Default = True
    TabOrder = 5
    Tag = 1
  end
  object ButtonCancel: TButton
    Left = 400
    Top = 272
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    TabOrder = 6
    Tag = 3
  end
end
