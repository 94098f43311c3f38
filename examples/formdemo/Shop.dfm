object Shop: TDataModule
  OnCreate = ShopCreate
  object Till: TCounter
    Caption = 'Front till'
    Count = 3
    Kind = ckTill
    Shelves = [skFruit, skBread]
    Price = 25000c
  end
  object Store: TCounter
    Caption = 'Back store '#8212' cold room'
    Kind = ckStore
    Linked = Till
    Items = <
      item
        Title = 'Apples'
        Amount = 40
      end
      item
        Title = 'Rye bread'
        Amount = 12
      end>
  end
end
