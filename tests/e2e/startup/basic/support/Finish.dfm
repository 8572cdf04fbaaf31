object Finish: TPoolTemplate
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '$TITLE$'
  ClientHeight = 313
  ClientWidth = 497
end
