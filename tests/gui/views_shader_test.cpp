// The relief-shading bar with a map view: what it shows, what it stores, and the redraw.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "platform/messages.h"
#include "project/document.h"
#include "views/ui/map_view.h"
#include "views/ui/shader_bar.h"
#include "widgets/screenshot.h"

namespace views::ui {
namespace {

int DifferentPixels(const platform::Image& a, const platform::Image& b) {
  int n = 0;
  for (int y = 0; y < std::min(a.Height(), b.Height()); ++y)
    for (int x = 0; x < std::min(a.Width(), b.Width()); ++x) n += !(a.GetPixel(x, y) == b.GetPixel(x, y));
  return n;
}

TEST(ShaderBar, ShowsStoresAndRedrawsTheMap) {
  CPVN4Doc doc;
  auto* frame = new wxFrame(nullptr, wxID_ANY, "shader", wxPoint(40, 40), wxSize(600, 450));
  auto* bar = new CShaderBar(frame);
  auto* view = new CMapView(frame, doc);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(bar);
  sizer->Add(view, 1, wxEXPAND);
  frame->SetSizer(sizer);
  frame->Show();
  frame->Layout();
  widgets::FlushEvents();

  // Before any project: the bar's own values, and nothing to shade.
  EXPECT_EQ(bar->AzimuthEdit()->GetValue(), "316");
  EXPECT_EQ(bar->IntensityEdit()->GetValue(), "0.50");
  EXPECT_FALSE(bar->ShadingAvailable());

  bar->SetDocument(&doc);
  bar->UpdateData(false);
  EXPECT_EQ(bar->AzimuthEdit()->GetValue(), "315");
  EXPECT_EQ(bar->IntensityEdit()->GetValue(), "0.5");
  EXPECT_FALSE(bar->ShadingBox()->GetValue());
  EXPECT_FALSE(bar->ShadingAvailable());

  ASSERT_EQ(doc.OpenLandscape(std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp"), 1);
  widgets::FlushEvents();
  EXPECT_TRUE(bar->ShadingAvailable());
  const platform::Image flat = view->MapImage();
  ASSERT_FALSE(flat.IsEmpty());

  // Checking the box takes the edits as they are and re-renders at once.
  bar->AzimuthEdit()->ChangeValue("400");
  bar->ShadingBox()->SetValue(true);
  bar->Apply();
  EXPECT_EQ(doc.reliefShading, 1);
  EXPECT_EQ(doc.shadingAzimuth, 400);
  const platform::Image shaded = view->MapImage();
  EXPECT_GT(DifferentPixels(flat, shaded), flat.Width() * flat.Height() / 10);

  // A new intensity takes effect on Apply.
  bar->IntensityEdit()->ChangeValue("1");
  bar->Apply();
  EXPECT_FLOAT_EQ(doc.shadingStrength, 1.0f);
  EXPECT_GT(DifferentPixels(shaded, view->MapImage()), 0);

  // Not a number: refused with the framework's message, settings kept.
  {
    platform::ScopedRecordingMessages messages;
    bar->IntensityEdit()->ChangeValue("strong");
    bar->Apply();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Please enter a number."});
    EXPECT_FLOAT_EQ(doc.shadingStrength, 1.0f);
  }

  // Turning it off gives the flat map back.
  bar->IntensityEdit()->ChangeValue("1");
  bar->ShadingBox()->SetValue(false);
  bar->Apply();
  EXPECT_EQ(DifferentPixels(flat, view->MapImage()), 0);

  // Another project's settings show when it becomes the bar's project.
  CPVN4Doc other;
  other.shadingAzimuth = 90;
  bar->SetDocument(&other);
  bar->UpdateData(false);
  EXPECT_EQ(bar->AzimuthEdit()->GetValue(), "90");
  frame->Destroy();
  widgets::FlushEvents();
}

}  // namespace
}  // namespace views::ui
