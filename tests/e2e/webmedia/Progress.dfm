object Progress: TPoolTemplate
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'Web Media Test - Downloading'
  ClientHeight = 313
  ClientWidth = 497
  PixelsPerInch = 96
  TextHeight = 13
  object Label1: TLabel
    Left = 16
    Top = 16
    Width = 460
    Height = 13
    Caption = 'Please wait while the data is downloaded.'
  end
  object ProgressBar1: TProgressBar
    Left = 16
    Top = 48
    Width = 465
    Height = 17
    Smooth = True
    Step = 1
    TabOrder = 0
    Tag = 1
  end
  object StaticText1: TStaticText
    Left = 16
    Top = 72
    Width = 465
    Height = 17
    AutoSize = False
    Caption = '$PROGRESSTEXT$'
    TabOrder = 1
    Tag = 1
  end
  object Animate1: TAnimate
    Left = 16
    Top = 100
    Width = 272
    Height = 60
    CommonAVI = aviCopyFiles
    StopFrame = 34
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
