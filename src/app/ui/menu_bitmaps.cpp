#include "app/ui/menu_bitmaps.h"

#include <wx/graphics.h>
#include <wx/menu.h>

#include <initializer_list>
#include <utility>

#include "app/command_rules.h"
#include "app/ui/tool_icons.h"

namespace app::ui {

namespace {

// The curved arrow over the open and load pictures.
void CurvedArrow(wxGraphicsContext& g, const wxColour& colour, double x, double y, double r,
                 double endAngle) {
  g.SetPen(wxPen(colour, 2));
  wxGraphicsPath arc = g.CreatePath();
  arc.AddArc(x, y, r, M_PI, endAngle, true);
  g.StrokePath(arc);
}

void DrawPicture(wxGraphicsContext& g, MenuPicture picture) {
  const wxColour dark(60, 60, 60), red(200, 30, 30);
  switch (picture) {
    case MenuPicture::Open:  // open folder with a curved arrow
      g.SetPen(wxPen(wxColour(120, 90, 20)));
      g.SetBrush(wxBrush(wxColour(240, 200, 90)));
      g.DrawRectangle(2, 8, 13, 9);
      CurvedArrow(g, wxColour(30, 110, 40), 13, 8, 5, 1.75 * M_PI);
      break;
    case MenuPicture::LoadOrCopy:  // flame under a curved arrow
      g.SetPen(*wxTRANSPARENT_PEN);
      g.SetBrush(wxBrush(wxColour(235, 110, 20)));
      g.DrawEllipse(6, 8, 8, 11);
      g.SetBrush(wxBrush(wxColour(255, 220, 80)));
      g.DrawEllipse(8, 12, 4, 6);
      CurvedArrow(g, wxColour(30, 90, 180), 10, 8, 6, 2 * M_PI);
      break;
    case MenuPicture::Clear:  // red diagonal cross
      g.SetPen(wxPen(red, 3));
      g.StrokeLine(4, 4, 16, 16);
      g.StrokeLine(16, 4, 4, 16);
      break;
    case MenuPicture::Edit: {  // pencil
      g.SetPen(wxPen(dark));
      g.SetBrush(wxBrush(wxColour(240, 190, 60)));
      wxGraphicsPath p = g.CreatePath();
      p.MoveToPoint(3, 17);
      p.AddLineToPoint(5, 12);
      p.AddLineToPoint(14, 3);
      p.AddLineToPoint(17, 6);
      p.AddLineToPoint(8, 15);
      p.CloseSubpath();
      g.DrawPath(p);
      break;
    }
    case MenuPicture::New:  // blank page
      g.SetPen(wxPen(dark));
      g.SetBrush(*wxWHITE_BRUSH);
      g.DrawRectangle(5, 2, 10, 16);
      break;
    case MenuPicture::AppendOrInsert:  // small red plus on yellow
      g.SetPen(*wxTRANSPARENT_PEN);
      g.SetBrush(wxBrush(wxColour(255, 235, 110)));
      g.DrawRectangle(3, 3, 14, 14);
      g.SetPen(wxPen(red, 2));
      g.StrokeLine(10, 6, 10, 14);
      g.StrokeLine(6, 10, 14, 10);
      break;
  }
}

using P = MenuPicture;

}  // namespace

wxBitmap MenuBitmap(MenuPicture picture) {
  return DrawIcon([picture](wxGraphicsContext& g) { DrawPicture(g, picture); });
}

bool SetMenuItemPicture(wxMenu* menu, int command, MenuPicture picture) {
  if (!menu) return false;
  wxMenu* owner = nullptr;
  wxMenuItem* item = menu->FindItem(MenuIdFor(command), &owner);
  if (!item || !owner) return false;
  // The toolkit takes a picture only on an item that is not in a menu yet: take the item
  // out, give it the picture and put it back where it was.
  size_t pos = 0;
  for (wxMenuItem* i : owner->GetMenuItems()) {
    if (i == item) break;
    ++pos;
  }
  owner->Remove(item);
  item->SetBitmap(MenuBitmap(picture));
  owner->Insert(pos, item);
  return true;
}

namespace {

using Table = std::initializer_list<std::pair<int, MenuPicture>>;
const Table kIgnitions{{33018, P::Open}, {33019, P::LoadOrCopy}, {33020, P::Clear}};
const Table kBarriers{{33021, P::Open}, {33022, P::Clear}};
const Table kFireList{{33028, P::Open}, {33029, P::Clear}};
const Table kFmd{{33013, P::Open}, {33014, P::Edit}};
const Table kFms{{33010, P::Open}, {33011, P::Edit}, {33012, P::New}};
const Table kIdealLandscape{{33030, P::Open}, {33031, P::Clear}};
const Table kRosAdjust{{33023, P::Open}, {33024, P::Edit}, {33025, P::Clear}};
const Table kWindDirection{{33026, P::Open}};
const Table kWindSpeed{{33027, P::Open}};
const Table kWxs{{33008, P::Open}, {33009, P::Edit}, {33032, P::New}};
const Table kAtm{{33015, P::Open}, {33016, P::Edit}, {33017, P::New}};
const Table kAddRecords{{33003, P::AppendOrInsert}, {33004, P::LoadOrCopy}, {33005, P::AppendOrInsert},
                        {33006, P::LoadOrCopy},     {33007, P::AppendOrInsert}, {33033, P::Clear}};
const Table kFuelBedIdentifier{{33044, P::Open}};
const Table kFuelBedDefinition{{33046, P::Open}, {33048, P::Clear}};
const Table kLimitingShape{{33052, P::Open}, {33051, P::Clear}};
const Table kTenHourMoisture{{33053, P::Open}, {33054, P::Clear}};
const Table kThousandHourMoisture{{33055, P::Open}, {33056, P::Clear}};
const Table kDuffMoisture{{33057, P::Open}, {33058, P::Clear}};

void SetPictures(wxMenu* menu, const Table& items) {
  for (auto [command, picture] : items) SetMenuItemPicture(menu, command, picture);
}

}  // namespace

std::optional<MenuPicture> PictureOf(int command) {
  for (const Table* t : {&kIgnitions, &kBarriers, &kFireList, &kFmd, &kFms, &kIdealLandscape, &kRosAdjust,
                         &kWindDirection, &kWindSpeed, &kWxs, &kAtm, &kAddRecords, &kFuelBedIdentifier,
                         &kFuelBedDefinition, &kLimitingShape, &kTenHourMoisture, &kThousandHourMoisture,
                         &kDuffMoisture})
    for (auto [c, picture] : *t)
      if (c == command) return picture;
  return std::nullopt;
}

void SetMenuPictures(wxMenu* menu, const std::function<int(int id)>& commandOf) {
  if (!menu) return;
  const wxMenuItemList items = menu->GetMenuItems();  // a copy: items are taken out and put back
  size_t pos = 0;
  for (wxMenuItem* item : items) {
    if (wxMenu* sub = item->GetSubMenu()) SetMenuPictures(sub, commandOf);
    else if (const auto picture = item->IsSeparator() ? std::nullopt : PictureOf(commandOf(item->GetId()))) {
      menu->Remove(item);
      item->SetBitmap(MenuBitmap(*picture));
      menu->Insert(pos, item);
    }
    ++pos;
  }
}

void SetIgnitionsMenuBitmaps(wxMenu* m) { SetPictures(m, kIgnitions); }
void SetBarriersMenuBitmaps(wxMenu* m) { SetPictures(m, kBarriers); }
void SetFireListMenuBitmaps(wxMenu* m) { SetPictures(m, kFireList); }
void SetFmdMenuBitmaps(wxMenu* m) { SetPictures(m, kFmd); }
void SetFmsMenuBitmaps(wxMenu* m) { SetPictures(m, kFms); }
void SetIdealLandscapeMenuBitmaps(wxMenu* m) { SetPictures(m, kIdealLandscape); }
void SetRosAdjustMenuBitmaps(wxMenu* m) { SetPictures(m, kRosAdjust); }
void SetWindDirectionMenuBitmaps(wxMenu* m) { SetPictures(m, kWindDirection); }
void SetWindSpeedMenuBitmaps(wxMenu* m) { SetPictures(m, kWindSpeed); }
void SetWxsMenuBitmaps(wxMenu* m) { SetPictures(m, kWxs); }
void SetAtmMenuBitmaps(wxMenu* m) { SetPictures(m, kAtm); }
void SetAddRecordsMenuBitmaps(wxMenu* m) { SetPictures(m, kAddRecords); }
void SetFuelBedIdentifierMenuBitmaps(wxMenu* m) { SetPictures(m, kFuelBedIdentifier); }
void SetFuelBedDefinitionMenuBitmaps(wxMenu* m) { SetPictures(m, kFuelBedDefinition); }
void SetLimitingShapeMenuBitmaps(wxMenu* m) { SetPictures(m, kLimitingShape); }
void SetTenHourMoistureMenuBitmaps(wxMenu* m) { SetPictures(m, kTenHourMoisture); }
void SetThousandHourMoistureMenuBitmaps(wxMenu* m) { SetPictures(m, kThousandHourMoisture); }
void SetDuffMoistureMenuBitmaps(wxMenu* m) { SetPictures(m, kDuffMoisture); }

}  // namespace app::ui
