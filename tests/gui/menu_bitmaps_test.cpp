#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/frame.h>
#include <wx/menu.h>

#include "app/command_rules.h"
#include "app/ui/menu_bitmaps.h"
#include "runs/run.h"
#include "runs/ui/page_menus.h"

using namespace app::ui;

TEST(MenuBitmaps, SettersPutPicturesOnTheirItemsInPlace) {
  wxMenu menu;
  menu.Append(app::MenuIdFor(33003), "Append Record");  // a submenu in the real menu
  auto* sub = new wxMenu;
  sub->Append(app::MenuIdFor(33004), "Copy Last");
  menu.AppendSubMenu(sub, "Append");
  menu.Append(app::MenuIdFor(33007), "Insert Record");
  menu.Append(app::MenuIdFor(33033), "Delete Record");
  SetAddRecordsMenuBitmaps(&menu);  // 33005 and 33006 are missing: skipped
  for (int command : {33003, 33004, 33007, 33033}) {
    wxMenuItem* item = menu.FindItem(app::MenuIdFor(command));
    ASSERT_TRUE(item) << command;
    wxBitmap bmp = item->GetBitmap();
    ASSERT_TRUE(bmp.IsOk()) << command;
    EXPECT_EQ(bmp.GetWidth(), 20);
    EXPECT_EQ(bmp.GetHeight(), 20);
  }
  // Items keep their places.
  EXPECT_EQ(menu.FindItemByPosition(0)->GetId(), app::MenuIdFor(33003));
  EXPECT_EQ(menu.FindItemByPosition(2)->GetId(), app::MenuIdFor(33007));
  EXPECT_EQ(menu.FindItemByPosition(3)->GetId(), app::MenuIdFor(33033));
  EXPECT_FALSE(SetMenuItemPicture(&menu, 33099, MenuPicture::Open));
  EXPECT_FALSE(SetMenuItemPicture(nullptr, 33003, MenuPicture::Open));
}

TEST(MenuBitmaps, PicturesDiffer) {
  // Each picture is drawn, and no two are the same.
  std::vector<wxImage> images;
  for (MenuPicture p : {MenuPicture::Open, MenuPicture::LoadOrCopy, MenuPicture::Clear,
                        MenuPicture::Edit, MenuPicture::New, MenuPicture::AppendOrInsert})
    images.push_back(MenuBitmap(p).ConvertToImage());
  for (size_t a = 0; a < images.size(); ++a) {
    ASSERT_TRUE(images[a].IsOk());
    for (size_t b = a + 1; b < images.size(); ++b) {
      bool same = images[a].HasAlpha() == images[b].HasAlpha() &&
                  memcmp(images[a].GetData(), images[b].GetData(), 20 * 20 * 3) == 0 &&
                  (!images[a].HasAlpha() || memcmp(images[a].GetAlpha(), images[b].GetAlpha(), 400) == 0);
      EXPECT_FALSE(same) << a << " " << b;
    }
  }
}

// A run page's button menu as it drops: its items carry their pictures, in their places.
TEST(MenuBitmaps, RunPageMenusDropWithTheirPictures) {
  wxFrame frame(nullptr, wxID_ANY, "pages");
  auto* button = new wxButton(&frame, wxID_ANY, "Ignitions");
  CRun run;
  wxMenu menu;
  runs::ui::AppendIgnitionItems(menu, run, true);
  menu.AppendSeparator();
  runs::ui::AppendBarrierItems(menu, true);
  EXPECT_EQ(runs::ui::ChooseMenuCommand(button, menu, [](int) { return 0; }), 0);
  const std::vector<int> commands = {runs::ui::kOpenIgnitionsCommand, runs::ui::kLoadCurrentShapeCommand,
                                     runs::ui::kClearIgnitionsCommand, -1, runs::ui::kOpenBarriersCommand,
                                     runs::ui::kClearBarriersCommand};
  ASSERT_EQ(menu.GetMenuItemCount(), commands.size());
  for (size_t i = 0; i < commands.size(); ++i) {
    wxMenuItem* item = menu.FindItemByPosition(i);
    if (commands[i] < 0) {
      EXPECT_TRUE(item->IsSeparator());
      continue;
    }
    EXPECT_EQ(item->GetId(), runs::ui::MenuId(commands[i]));
    EXPECT_TRUE(item->GetBitmap().IsOk()) << commands[i];
  }
}
