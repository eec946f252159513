#include <gtest/gtest.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/panel.h>

#include <memory>
#include <optional>

#include "platform/dialogs.h"
#include "widgets/color_lists.h"
#include "widgets/color_static.h"
#include "widgets/screenshot.h"

using namespace widgets;

namespace {

constexpr COLORREF kRed = MakeColorRef(255, 0, 0);
constexpr COLORREF kGreen = MakeColorRef(0, 255, 0);
constexpr COLORREF kBlue = MakeColorRef(0, 0, 255);
constexpr COLORREF kGrey = MakeColorRef(150, 150, 150);
constexpr COLORREF kWhite = MakeColorRef(255, 255, 255);
constexpr COLORREF kBlack = 0;

// Paints one item into a white 100 x 16 image and returns it for pixel checks.
template <typename Paint>
wxImage PaintItem(Paint paint) {
  wxBitmap bitmap(100, 16, 24);
  {
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    paint(dc, wxRect(0, 0, 100, 16));
  }
  return bitmap.ConvertToImage();
}

COLORREF Pixel(const wxImage& image, int x, int y) {
  return MakeColorRef(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

// Counts its own destruction, to see who deletes ramps.
struct CountedRamp : CColorRamp {
  CountedRamp(std::vector<COLORREF> colors, int& deleted) : CColorRamp(std::move(colors)), deleted_(deleted) {}
  ~CountedRamp() override { ++deleted_; }
  int& deleted_;
};

struct Host {
  Host() {
    frame = new wxFrame(nullptr, wxID_ANY, "colours", wxPoint(40, 40), wxSize(320, 240));
    panel = new wxPanel(frame);
  }
  ~Host() {
    frame->Destroy();
    FlushEvents(2);
  }
  wxFrame* frame;
  wxPanel* panel;
};

}  // namespace

TEST(ColorLists, RampStripsSplitTheItemWithOnePixelOverlap) {
  struct Case {
    wxRect item;
    int n, i;
    wxRect strip;
  };
  const Case cases[] = {
      {{0, 0, 100, 16}, 3, 0, {0, 1, 34, 15}},
      {{0, 0, 100, 16}, 3, 1, {33, 1, 34, 15}},
      {{0, 0, 100, 16}, 3, 2, {66, 1, 34, 15}},
      {{10, 20, 7, 16}, 10, 9, {16, 21, 1, 15}},  // more colours than pixels
      {{0, 0, 100, 16}, 1, 0, {0, 1, 101, 15}},
  };
  for (const Case& c : cases) EXPECT_EQ(RampStripRect(c.item, c.n, c.i), c.strip) << c.n << " " << c.i;
}

TEST(ColorLists, ItemsPaintStripsAndTheirFrames) {
  CColorRamp rgb({kRed, kGreen, kBlue});
  CColorRamp random;

  wxImage list = PaintItem([&](wxDC& dc, wxRect r) { DrawRampListItem(dc, r, &rgb, false); });
  EXPECT_EQ(Pixel(list, 15, 8), kRed);
  EXPECT_EQ(Pixel(list, 50, 8), kGreen);
  EXPECT_EQ(Pixel(list, 85, 8), kBlue);
  EXPECT_EQ(Pixel(list, 50, 0), kGrey);
  EXPECT_EQ(Pixel(list, 99, 8), kGrey);

  wxImage selected = PaintItem([&](wxDC& dc, wxRect r) { DrawRampListItem(dc, r, &rgb, true); });
  EXPECT_EQ(Pixel(selected, 50, 0), kRed);
  EXPECT_EQ(Pixel(selected, 50, 1), kRed);
  EXPECT_EQ(Pixel(selected, 50, 2), kGreen);

  // No colours: only the frame in the list, the word "Random" in the combo.
  wxImage empty = PaintItem([&](wxDC& dc, wxRect r) { DrawRampListItem(dc, r, &random, false); });
  wxImage word = PaintItem([&](wxDC& dc, wxRect r) { DrawRampComboItem(dc, r, &random, false); });
  int emptyInk = 0, wordInk = 0;
  for (int x = 2; x < 98; ++x)
    for (int y = 2; y < 14; ++y) {
      emptyInk += Pixel(empty, x, y) != kWhite;
      wordInk += Pixel(word, x, y) != kWhite;
    }
  EXPECT_EQ(emptyInk, 0);
  EXPECT_GT(wordInk, 20);

  wxImage combo = PaintItem([&](wxDC& dc, wxRect r) { DrawRampComboItem(dc, r, &rgb, true); });
  EXPECT_EQ(Pixel(combo, 50, 0), kBlack);
  EXPECT_EQ(Pixel(combo, 50, 1), kWhite);
  EXPECT_EQ(Pixel(combo, 50, 8), kGreen);

  wxImage swatch = PaintItem([&](wxDC& dc, wxRect r) { DrawColorItem(dc, r, kBlue, false); });
  EXPECT_EQ(Pixel(swatch, 50, 8), kBlue);
  EXPECT_EQ(Pixel(swatch, 0, 8), kGrey);
}

TEST(ColorLists, OnlyTheRampListDeletesItsRamps) {
  Host host;
  int deleted = 0;
  auto* list = new CColorRampListBox(host.panel, wxID_ANY, wxPoint(0, 0), wxSize(120, 100));
  for (int i = 0; i < 4; ++i) list->AddRamp(std::make_unique<CountedRamp>(std::vector<COLORREF>{kRed}, deleted));
  list->DeleteItem(1);
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(list->GetCount(), 3);
  list->DeleteItem(7);  // no such item
  EXPECT_EQ(deleted, 1);

  CountedRamp kept({kRed, kBlue}, deleted);
  auto* combo = new CColorRampCombo(host.panel, wxID_ANY, wxPoint(0, 120), wxSize(120, -1));
  combo->AddRamp(&kept);
  combo->AddRamp(&kept);
  EXPECT_EQ(combo->GetRamp(1), &kept);
  EXPECT_EQ(combo->GetRamp(2), nullptr);
  combo->Delete(0);
  combo->Destroy();

  list->Destroy();  // the remaining three go with the window
  FlushEvents(2);
  EXPECT_EQ(deleted, 4);
}

TEST(ColorStatic, ChosenColourIsSetShownAndReported) {
  struct Case {
    std::optional<std::uint32_t> answer;
    COLORREF expected;
    int changes;
  };
  const Case cases[] = {{kGreen, kGreen, 1}, {std::nullopt, kBlue, 0}};
  for (const Case& c : cases) {
    platform::ScopedScriptedDialogs dialogs;
    dialogs.AnswerColour(c.answer);
    Host host;
    auto* swatch = new CColorStatic(host.panel, wxID_ANY, kBlue, wxPoint(10, 10), wxSize(40, 20));
    int changes = 0;
    swatch->EnableChooser([&] { ++changes; });
    wxMouseEvent click(wxEVT_LEFT_DCLICK);
    click.SetEventObject(swatch);
    swatch->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(swatch->GetColor(), c.expected);
    EXPECT_EQ(changes, c.changes);

  }
}
