object ControlsForm: TControlsForm
  Left = 30
  Top = 24
  Width = 1040
  Height = 720
  Caption = 'Quarn standard controls'
  Color = 16250871
  object QuarnForm1: TQuarnForm
  end
  object TitleIcon: TQuarnNCImage
    Image = 'QuarnCalendar_18_N'
  end
  object TitleText: TQuarnNCLabel
    Caption = 'Quarn standard controls'
    Font.Color = clWhite
    Font.Height = -13
    Font.Name = 'DejaVu Sans'
    Font.Style = [fsBold]
    Light.Active = True
    Light.Color = 7224340
    Light.BlurRadius = 5
  end
  object TitleClose: TQuarnSystemButton
  end
  object TitleMax: TQuarnSystemButton
    Kind = sbkMaximize
  end
  object TitleMin: TQuarnSystemButton
    Kind = sbkMinimize
  end
  object SaveMenu: TPopupMenu
    object MiSaveAs: TMenuItem
      Caption = 'Save as'#8230
    end
    object MiSaveCopy: TMenuItem
      Caption = 'Save a copy'
    end
    object MiExport: TMenuItem
      Caption = 'Export as PDF'
    end
  end
  object GrpActions: TQuarnGroupBox
    Left = 12
    Top = 8
    Width = 300
    Height = 196
    Caption = 'Actions'
    CheckBox.Visible = True
    CheckBox.Checked = True
    object BtnSave: TQuarnButton
      Left = 14
      Top = 34
      Width = 128
      Height = 30
      Caption = 'Save'
      DropdownMenu = SaveMenu
    end
    object BtnCancel: TQuarnButton
      Left = 156
      Top = 34
      Width = 128
      Height = 30
      Caption = 'Cancel'
      OnClick = BtnCancelClick
    end
    object BtnTools: TQuarnToolButton
      Left = 14
      Top = 78
      Width = 110
      Height = 28
      Caption = 'Calendar'
      Image = 'QuarnCalendar_18_N'
      ImageOffset.X = 6
      ImageOffset.Y = 5
      CaptionVisible = True
      CaptionOffset.X = 30
      CaptionOffset.Y = 7
    end
    object BtnBack: TQuarnImageButton
      Left = 140
      Top = 78
      Width = 30
      Height = 29
      Pictures.Image = 'QuarnBrower_back'
      Pictures.Count = 4
      Pictures.Disable = 3
      Pictures.Active = True
    end
    object BtnForward: TQuarnImageButton
      Left = 174
      Top = 78
      Width = 30
      Height = 29
      Pictures.Image = 'QuarnBrower_front'
      Pictures.Count = 4
      Pictures.Disable = 3
      Pictures.Active = True
    end
    object BtnAnimate: TQuarnAnimateButton
      Left = 240
      Top = 72
      Width = 42
      Height = 42
      Animate.Picture = 'GallerySpinner'
      Animate.Count = 8
    end
    object LnkSite: TQnURLButton
      Left = 14
      Top = 128
      Caption = 'Open the project'#39's web site'
    end
    object LblActions: TQuarnLabel
      Left = 14
      Top = 162
      Width = 270
      Height = 20
      Caption = 'Untick the box to disable the group.'
    end
  end
  object GrpOptions: TQuarnGroupBox
    Left = 12
    Top = 214
    Width = 300
    Height = 124
    Caption = 'Options'
    object ChkWrap: TQuarnCheckBox
      Left = 14
      Top = 32
      Width = 130
      Height = 22
      Caption = 'Wrap lines'
      Checked = True
    end
    object ChkSpell: TQuarnCheckBox
      Left = 156
      Top = 32
      Width = 130
      Height = 22
      Caption = 'Check spelling'
    end
    object RadSmall: TQuarnRadioBox
      Left = 14
      Top = 64
      Width = 86
      Height = 22
      Caption = 'Small'
      GroupIndex = 1
    end
    object RadMedium: TQuarnRadioBox
      Left = 104
      Top = 64
      Width = 86
      Height = 22
      Caption = 'Medium'
      Checked = True
      GroupIndex = 1
    end
    object RadLarge: TQuarnRadioBox
      Left = 196
      Top = 64
      Width = 86
      Height = 22
      Caption = 'Large'
      GroupIndex = 1
    end
    object LblSize: TQuarnLabel
      Left = 14
      Top = 94
      Width = 270
      Height = 20
      Caption = 'Text size for the preview.'
    end
  end
  object ExpDetails: TQuarnExpandBox
    Left = 12
    Top = 348
    Width = 300
    Height = 132
    Transparent = False
    Title = 'Details'
    object LblDetails: TQuarnLabel
      Left = 12
      Top = 36
      Width = 276
      Height = 84
      Caption = 'The box folds up to its title bar when the arrow is pressed, and opens again to its full height.'
      AutoSize = False
      WordWap = True
    end
  end
  object HtmlInfo: TQuarnHtmlLabel
    Left = 12
    Top = 490
    Width = 300
    Height = 80
    Caption = '<b>Help</b>: read the <a href="guide">user guide</a><br>or ask in the <a href="forum">forum</a>.<br>Every control on this form is skinned.'
    Alpha = 0
    AutoSize = False
    OnHyperLinkClick = HtmlInfoHyperLinkClick
  end
  object EdName: TQuarnEdit
    Left = 326
    Top = 10
    Width = 300
    Height = 28
    Hint = 'Your full name'
    ShowHint = True
    TextHint = 'Full name'
    EdItems = <
      item
        Kind = ikText
        Text = 'required'
        Pos.Align = agRight
        Pos.X = 60
        Pos.Y = 6
      end>
  end
  object SpnCopies: TQuarnSpinEdit
    Left = 326
    Top = 46
    Width = 140
    Height = 28
    MinValue = 1
    MaxValue = 99
    Text = '2'
  end
  object EdPassword: TQuarnPasswordEdit
    Left = 476
    Top = 46
    Width = 150
    Height = 28
    Text = 'secret'
  end
  object EdSearch: TQuarnSearchEdit
    Left = 326
    Top = 82
    Width = 300
    Height = 28
  end
  object CmbCity: TQuarnComboBox
    Left = 326
    Top = 118
    Width = 145
    Height = 26
    Items.Strings = (
      'Amsterdam'
      'Athens'
      'Barcelona'
      'Berlin'
      'Bordeaux'
      'Bruges'
      'Budapest'
      'Cork'
      'Dresden'
      'Dublin'
      'Edinburgh'
      'Florence'
      'Geneva'
      'Ghent'
      'Granada'
      'Hamburg'
      'Helsinki'
      'Krakow'
      'Lisbon'
      'Ljubljana')
  end
  object CmbSort: TQuarnComboBox
    Left = 481
    Top = 118
    Width = 145
    Height = 26
    Items.Strings = (
      'By name'
      'By country'
      'By population'
      'By area'
      'By altitude'
      'By founding year'
      'By rainfall'
      'By sunshine'
      'By distance'
      'By visits')
    ItemIndex = 0
    Style = csDropDownList
  end
  object CmbColour: TQuarnColorComboBox
    Left = 640
    Top = 10
    Width = 180
    Height = 26
    Selected = 8421376
  end
  object LstCities: TQuarnListBox
    Left = 326
    Top = 154
    Width = 300
    Height = 186
    Items.Strings = (
      'Amsterdam'
      'Athens'
      'Barcelona'
      'Berlin'
      'Bordeaux'
      'Bruges'
      'Budapest'
      'Cork'
      'Dresden'
      'Dublin'
      'Edinburgh'
      'Florence'
      'Geneva'
      'Ghent'
      'Granada'
      'Hamburg'
      'Helsinki'
      'Krakow'
      'Lisbon'
      'Ljubljana'
      'Lyon'
      'Madrid'
      'Marseille'
      'Milan'
      'Munich'
      'Naples'
      'Oslo'
      'Porto'
      'Prague'
      'Riga')
  end
  object MemNotes: TQuarnMemoEx
    Left = 326
    Top = 350
    Width = 300
    Height = 183
    Memo.Lines.Strings = (
      'Notes'
      ''
      'The memo keeps skinned bars of its own;'
      'the border panel around it turns hot'
      'with the focus.'
      ''
      'A week in Ljubljana:'
      '- the morning train from Vienna'
      '- the funicular up to the castle'
      '- the central market on Saturday'
      '- the Triple Bridge at night'
      '- a day at Lake Bled'
      '- the caves at Postojna'
      '- the botanical garden'
      '- a concert in the old town'
      '- the night train home'
      ''
      'Budget: 480 euros'
      'Book the rooms before May.'
      'Ask Anna about the museum pass.')
  end
  object PgSettings: TQuarnPageControl
    Left = 640
    Top = 126
    Width = 370
    Height = 122
    ActivePage = TabGeneral
    object TabGeneral: TQuarnTabSheet
      Caption = 'General'
      object ChkAutoSave: TQuarnCheckBox
        Left = 12
        Top = 12
        Width = 220
        Height = 22
        Caption = 'Save every ten minutes'
        Checked = True
      end
      object LblGeneral: TQuarnLabel
        Left = 12
        Top = 44
        Width = 330
        Height = 20
        Caption = 'The sheets are translucent over the form.'
      end
    end
    object TabDisplay: TQuarnTabSheet
      Caption = 'Display'
      object ChkGrid: TQuarnCheckBox
        Left = 12
        Top = 12
        Width = 220
        Height = 22
        Caption = 'Show the grid'
      end
      object ChkRulers: TQuarnCheckBox
        Left = 12
        Top = 40
        Width = 220
        Height = 22
        Caption = 'Show the rulers'
        Checked = True
      end
    end
    object TabNetwork: TQuarnTabSheet
      Caption = 'Network'
      object LblProxy: TQuarnLabel
        Left = 12
        Top = 14
        Width = 330
        Height = 20
        Caption = 'No proxy is set.'
      end
    end
  end
  object LvCities: TQuarnListView
    Left = 640
    Top = 254
    Width = 360
    Height = 114
    BorderStyle = bsNone
    Columns = <
      item
        Caption = 'City'
        Width = 110
      end
      item
        Caption = 'Country'
        Width = 95
      end
      item
        Alignment = taRightJustify
        Caption = 'People'
        Width = 85
      end
      item
        Alignment = taRightJustify
        Caption = 'Area'
        Width = 70
      end>
    HideSelection = False
    RowSelect = True
    ViewStyle = vsReport
    VScrollBar = SbListV
    HScrollBar = SbListH
  end
  object SbListV: TQuarnScrollBar
    Left = 1000
    Top = 254
    Width = 10
    Height = 114
    Kind = sbVertical
  end
  object SbListH: TQuarnScrollBar
    Left = 640
    Top = 368
    Width = 360
    Height = 10
  end
  object PrgUpload: TQuarnProgressBar
    Left = 640
    Top = 382
    Width = 370
    Height = 17
    MaxValue = 100
    Value = 40
    TrackButton.Hot = 'QuarnBar_thumb_hot'
    TrackButton.Normal = 'QuarnBar_thumb'
    TrackButton.Visible = True
  end
  object TrkHue: TQnHLSTrackBar
    Left = 640
    Top = 406
    Width = 370
    Height = 24
    Max = 360
    Value = 200
  end
  object BoxScroll: TQuarnScrollBox
    Left = 640
    Top = 438
    Width = 350
    Height = 93
    VScrollBar = SbVert
    HScrollBar = SbHorz
    BorderSides = [sdLeft, sdTop, sdRight, sdBottom]
    object LblScroll: TQuarnLabel
      Left = 8
      Top = 8
      Width = 330
      Height = 20
      Caption = 'More inside than it shows: its two bars move it.'
    end
    object ChkScrollStep: TQuarnCheckBox
      Left = 8
      Top = 40
      Width = 200
      Height = 22
      Caption = 'Keep the bars in step'
      Checked = True
    end
    object ChkScrollFar: TQuarnCheckBox
      Left = 400
      Top = 40
      Width = 160
      Height = 22
      Caption = 'Found to the right'
    end
    object ChkScroll: TQuarnCheckBox
      Left = 8
      Top = 110
      Width = 200
      Height = 22
      Caption = 'Found at the bottom'
    end
  end
  object SbVert: TQuarnScrollBar
    Left = 990
    Top = 438
    Width = 17
    Height = 93
    Kind = sbVertical
  end
  object SbHorz: TQuarnScrollBar
    Left = 640
    Top = 531
    Width = 350
    Height = 17
  end
  object PnlStatus: TQuarnPanel
    Left = 0
    Top = 660
    Width = 1024
    Height = 24
    Align = alBottom
    Caption = 'Ready'
    CaptionVisible = True
    object GrpSize: TQuarnSizeGrip
      Left = 1004
      Top = 4
      Width = 16
      Height = 16
      Align = alRight
    end
  end
  object PnlNotes: TQuarnBorderPanel
    Left = 0
    Top = 594
    Width = 1024
    Height = 66
    Align = alBottom
    object LblNotes: TQuarnLabel
      Left = 12
      Top = 8
      Width = 600
      Height = 20
      Caption = 'Drag the bar above this panel to give it more room.'
    end
    object LblNotesHow: TQuarnLabel
      Left = 12
      Top = 32
      Width = 900
      Height = 20
      Caption = 'A border panel aligned to the bottom: the splitter above it sets its height, down to 40 pixels, and its frame turns hot under the mouse.'
    end
  end
  object SplNotes: TQuarnSplitter
    Left = 0
    Top = 588
    Width = 1024
    Height = 6
    Align = alBottom
    MinSize = 40
  end
end
