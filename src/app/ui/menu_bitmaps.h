#pragma once
// The six 20 x 20 pictures of the button menus of run pages and editors, and the setters that
// put them on a menu's items by command number.
#include <wx/bitmap.h>

#include <functional>
#include <optional>

class wxMenu;

namespace app::ui {

enum class MenuPicture { Open, LoadOrCopy, Clear, Edit, New, AppendOrInsert };

wxBitmap MenuBitmap(MenuPicture picture);
// Puts the picture on the item of that command (its toolkit id from MenuIdFor), if the menu
// has it; false when it has not.
bool SetMenuItemPicture(wxMenu* menu, int command, MenuPicture picture);
// The picture of a button menu's command, if it has one.
std::optional<MenuPicture> PictureOf(int command);
// Every item of the menu and its submenus whose command (`commandOf` its id) has a picture
// gets it, in place.
void SetMenuPictures(wxMenu* menu, const std::function<int(int id)>& commandOf);

void SetIgnitionsMenuBitmaps(wxMenu* menu);
void SetBarriersMenuBitmaps(wxMenu* menu);
void SetFireListMenuBitmaps(wxMenu* menu);
void SetFmdMenuBitmaps(wxMenu* menu);
void SetFmsMenuBitmaps(wxMenu* menu);
void SetIdealLandscapeMenuBitmaps(wxMenu* menu);
void SetRosAdjustMenuBitmaps(wxMenu* menu);
void SetWindDirectionMenuBitmaps(wxMenu* menu);
void SetWindSpeedMenuBitmaps(wxMenu* menu);
void SetWxsMenuBitmaps(wxMenu* menu);
void SetAtmMenuBitmaps(wxMenu* menu);
void SetAddRecordsMenuBitmaps(wxMenu* menu);
void SetFuelBedIdentifierMenuBitmaps(wxMenu* menu);
void SetFuelBedDefinitionMenuBitmaps(wxMenu* menu);
void SetLimitingShapeMenuBitmaps(wxMenu* menu);
void SetTenHourMoistureMenuBitmaps(wxMenu* menu);
void SetThousandHourMoistureMenuBitmaps(wxMenu* menu);
void SetDuffMoistureMenuBitmaps(wxMenu* menu);

}  // namespace app::ui
