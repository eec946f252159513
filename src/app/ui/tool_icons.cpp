#include "app/ui/tool_icons.h"

#include <wx/dcmemory.h>
#include <wx/graphics.h>

#include <memory>

#include "app/command_rules.h"

namespace app::ui {

namespace {

using Draw = void (*)(wxGraphicsContext& g);

wxGraphicsPath Path(wxGraphicsContext& g, std::initializer_list<wxPoint2DDouble> points,
                    bool close = false) {
  wxGraphicsPath p = g.CreatePath();
  bool first = true;
  for (auto pt : points) {
    if (first) p.MoveToPoint(pt);
    else p.AddLineToPoint(pt);
    first = false;
  }
  if (close) p.CloseSubpath();
  return p;
}

void Page(wxGraphicsContext& g) {
  g.SetPen(wxPen(wxColour(60, 60, 60)));
  g.SetBrush(*wxWHITE_BRUSH);
  g.DrawPath(Path(g, {{4, 2}, {12, 2}, {16, 6}, {16, 18}, {4, 18}}, true));
}

void Folder(wxGraphicsContext& g) {
  g.SetPen(wxPen(wxColour(120, 90, 20)));
  g.SetBrush(wxBrush(wxColour(240, 200, 90)));
  g.DrawPath(Path(g, {{2, 5}, {8, 5}, {10, 7}, {18, 7}, {18, 16}, {2, 16}}, true));
}

void Disk(wxGraphicsContext& g) {
  g.SetPen(wxPen(wxColour(30, 40, 90)));
  g.SetBrush(wxBrush(wxColour(70, 90, 170)));
  g.DrawRectangle(3, 3, 14, 14);
  g.SetBrush(*wxWHITE_BRUSH);
  g.DrawRectangle(6, 3, 8, 5);
}

void Printer(wxGraphicsContext& g) {
  g.SetPen(wxPen(wxColour(60, 60, 60)));
  g.SetBrush(*wxWHITE_BRUSH);
  g.DrawRectangle(6, 2, 8, 6);
  g.SetBrush(wxBrush(wxColour(150, 150, 150)));
  g.DrawRectangle(2, 8, 16, 7);
  g.SetBrush(*wxWHITE_BRUSH);
  g.DrawRectangle(6, 13, 8, 5);
}

void Lens(wxGraphicsContext& g, int sign) {
  g.SetPen(wxPen(wxColour(40, 40, 40), 2));
  g.SetBrush(wxBrush(wxColour(210, 230, 250)));
  g.DrawEllipse(2, 2, 11, 11);
  g.StrokeLine(12, 12, 18, 18);
  g.SetPen(wxPen(wxColour(40, 40, 40), 1.5));
  g.StrokeLine(5, 7.5, 10, 7.5);
  if (sign > 0) g.StrokeLine(7.5, 5, 7.5, 10);
}

void Arrow(wxGraphicsContext& g, bool back) {
  g.SetPen(wxPen(wxColour(20, 90, 30)));
  g.SetBrush(wxBrush(wxColour(60, 170, 70)));
  if (back) g.DrawPath(Path(g, {{2, 10}, {9, 3}, {9, 7}, {18, 7}, {18, 13}, {9, 13}, {9, 17}}, true));
  else g.DrawPath(Path(g, {{18, 10}, {11, 3}, {11, 7}, {2, 7}, {2, 13}, {11, 13}, {11, 17}}, true));
}

void Letter(wxGraphicsContext& g, const wxString& text, const wxColour& back) {
  g.SetPen(wxPen(back.ChangeLightness(60)));
  g.SetBrush(wxBrush(back));
  g.DrawRoundedRectangle(1, 1, 18, 18, 3);
  g.SetFont(wxFont(wxFontInfo(8).Bold()), *wxWHITE);
  double w, h;
  g.GetTextExtent(text, &w, &h);
  g.DrawText(text, (20 - w) / 2, (20 - h) / 2);
}

}  // namespace

wxBitmap DrawIcon(const std::function<void(wxGraphicsContext&)>& draw) {
  wxBitmap bmp(20, 20, 32);
  bmp.UseAlpha();
  wxMemoryDC dc(bmp);
  dc.SetBackground(wxBrush(wxColour(0, 0, 0, 0)));
  dc.Clear();
  if (std::unique_ptr<wxGraphicsContext> g{wxGraphicsContext::Create(dc)}) {
    g->SetAntialiasMode(wxANTIALIAS_DEFAULT);
    draw(*g);
  }
  dc.SelectObject(wxNullBitmap);
  return bmp;
}

wxBitmap ToolIcon(int command) {
  return DrawIcon([command](wxGraphicsContext& gc) {
    wxGraphicsContext* g = &gc;
    switch (command) {
      case cmd::kNew: Page(*g); break;
      case cmd::kOpen: Folder(*g); break;
      case cmd::kSave: Disk(*g); break;
      case cmd::kPrint: Printer(*g); break;
      case cmd::kZoomInStep: Letter(*g, "+", wxColour(60, 110, 180)); break;
      case cmd::kZoomOutStep: Letter(*g, "-", wxColour(60, 110, 180)); break;
      case cmd::kZoomInMode: Lens(*g, 1); break;
      case cmd::kZoomOutMode: Lens(*g, -1); break;
      case cmd::kPanMode: {
        g->SetPen(wxPen(wxColour(40, 40, 40), 2));
        g->StrokeLine(10, 2, 10, 18);
        g->StrokeLine(2, 10, 18, 10);
        g->SetBrush(wxBrush(wxColour(40, 40, 40)));
        g->DrawPath(Path(*g, {{10, 1}, {7, 5}, {13, 5}}, true));
        g->DrawPath(Path(*g, {{10, 19}, {7, 15}, {13, 15}}, true));
        g->DrawPath(Path(*g, {{1, 10}, {5, 7}, {5, 13}}, true));
        g->DrawPath(Path(*g, {{19, 10}, {15, 7}, {15, 13}}, true));
        break;
      }
      case cmd::kStepBack: Arrow(*g, true); break;
      case cmd::kStepForward: Arrow(*g, false); break;
      case cmd::kIdentifyMode: Letter(*g, "i", wxColour(40, 100, 200)); break;
      case cmd::kCreatePointsMode: {
        g->SetBrush(wxBrush(wxColour(200, 40, 40)));
        g->SetPen(*wxTRANSPARENT_PEN);
        for (auto [x, y] : {std::pair{4, 5}, {12, 3}, {8, 12}, {15, 14}}) g->DrawEllipse(x, y, 4, 4);
        break;
      }
      case cmd::kCreateLinesMode:
        g->SetPen(wxPen(wxColour(200, 40, 40), 2));
        g->StrokePath(Path(*g, {{2, 16}, {7, 6}, {12, 13}, {18, 3}}));
        break;
      case cmd::kCreatePolygonsMode:
        g->SetPen(wxPen(wxColour(200, 40, 40), 1.5));
        g->SetBrush(wxBrush(wxColour(240, 170, 170)));
        g->DrawPath(Path(*g, {{3, 15}, {5, 4}, {15, 3}, {18, 12}, {10, 18}}, true));
        break;
      case cmd::kMeasureMode: {
        g->SetPen(wxPen(wxColour(110, 80, 20)));
        g->SetBrush(wxBrush(wxColour(230, 200, 120)));
        g->DrawPath(Path(*g, {{1, 14}, {14, 1}, {19, 6}, {6, 19}}, true));
        for (int i = 0; i < 4; ++i) g->StrokeLine(4 + 3 * i, 11 - 3 * i, 6 + 3 * i, 13 - 3 * i);
        break;
      }
      case cmd::kCritiqueHtml: Letter(*g, "H", wxColour(200, 110, 30)); break;
      case cmd::kCritiquePdf: Letter(*g, "P", wxColour(190, 40, 40)); break;
      case cmd::kAbout: Letter(*g, "?", wxColour(70, 70, 160)); break;
      default: Letter(*g, "", wxColour(128, 128, 128)); break;
    }
  });
}

}  // namespace app::ui
