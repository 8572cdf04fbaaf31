object Features: TPoolTemplate
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '$TITLE$ Setup - Features'
  ClientHeight = 313
  ClientWidth = 497
  PixelsPerInch = 96
  TextHeight = 13
  object TreeView1: TTreeView
    Left = 16
    Top = 16
    Width = 250
    Height = 200
    Indent = 19
    ReadOnly = True
    TabOrder = 0
    Tag = 1
  end
  object StaticText1: TStaticText
    Left = 280
    Top = 16
    Width = 200
    Height = 120
    AutoSize = False
    Caption = ''
    TabOrder = 1
    Tag = 2
  end
  object StaticText2: TStaticText
    Left = 280
    Top = 150
    Width = 200
    Height = 17
    Caption = ''
    TabOrder = 2
    Tag = 3
  end
  object StaticText3: TStaticText
    Left = 280
    Top = 170
    Width = 200
    Height = 17
    Caption = ''
    TabOrder = 3
    Tag = 6
  end
  object CheckListBox1: TCheckListBox
    Left = 16
    Top = 224
    Width = 250
    Height = 40
    ItemHeight = 13
    Items.Strings = (
      'Create a desktop shortcut'
      'Start the program after setup')
    TabOrder = 4
    Hint = 'OPTIONS'
  end
  object PageControl1: TPageControl
    Left = 280
    Top = 190
    Width = 200
    Height = 70
    ActivePage = TabSheet1
    TabOrder = 5
    object TabSheet1: TTabSheet
      Caption = 'Notes'
    end
    object TabSheet2: TTabSheet
      Caption = 'Sizes'
      ImageIndex = 1
    end
  end
  object ButtonBack: TButton
    Left = 232
    Top = 272
    Width = 75
    Height = 25
    Caption = '< &Back'
    TabOrder = 6
    Tag = 2
  end
  object ButtonNext: TButton
    Left = 312
    Top = 272
    Width = 75
    Height = 25
    Caption = '&Next >'
    Default = True
    TabOrder = 7
    Tag = 1
  end
end
