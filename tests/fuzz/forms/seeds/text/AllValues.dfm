inherited Main: TPoolTemplate [1]
  Int8 = -5
  Int16 = 1000
  Int32 = -100000
  Int64 = $7FFFFFFFFFFF
  Extended = 1.25E-3
  Single = 0.5s
  Double = 2.5f
  Currency = 12.3456c
  Date = 45000.25d
  Caption = 'It''s'#13#10'caf'#233' '#8364 +
    ' and more'
  Style = bsDialog
  Ref = Form1.Button1
  Flags = [fsBold, fsItalic]
  Empty = []
  Nothing = nil
  Yes = True
  No = False
  Unset = Null
  Lines.Strings = (
    'one'
    2
    (nested))
  Data = {
    00FF10ab}
  Columns = <
    item
      Width = 10
    end
    item [3]
      Caption = 'x'
    end>
  inline Frame1: TFrame
  end
  object TBevel
  end
end
