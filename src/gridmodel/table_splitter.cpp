#include "gridmodel/table_splitter.h"

#include <algorithm>

namespace gridmodel {

SplitterLayout::SplitterLayout(int paneCount, bool horizontal, int minPaneSize, int barWidth)
    : horizontal_(horizontal), minimum_(std::max(0, minPaneSize)), bar_(std::max(0, barWidth)) {
  const int n = std::max(1, paneCount);
  fractions_.assign(static_cast<std::size_t>(n), (n / 2 + kWhole) / n);
  int sum = 0;
  for (int i = 0; i + 1 < n; ++i) sum += fractions_[static_cast<std::size_t>(i)];
  fractions_.back() = kWhole - sum;
  positions_.assign(static_cast<std::size_t>(n) + 1, 0);
}

int SplitterLayout::Available() const { return std::max(0, length_ - (PaneCount() - 1) * bar_); }

int SplitterLayout::PixelSize(int fraction) const { return (Available() * fraction + kWhole / 2) / kWhole; }

void SplitterLayout::SetLength(int length) {
  length_ = std::max(0, length);
  RecalcLayout();
}

bool SplitterLayout::SetPaneSizes(const std::vector<int>& sizes) {
  if (static_cast<int>(sizes.size()) != PaneCount()) return false;
  long long s = 0;
  for (int v : sizes) s += v;
  if (s <= 0) return false;
  long long sum = 0;
  for (std::size_t i = 0; i + 1 < sizes.size(); ++i) {
    fractions_[i] = static_cast<int>((s / 2 + static_cast<long long>(sizes[i]) * kWhole) / s);
    sum += fractions_[i];
  }
  fractions_.back() = static_cast<int>(kWhole - sum);
  RecalcLayout();
  return true;
}

void SplitterLayout::RecalcLayout() {
  const int n = PaneCount();
  const int available = Available();
  if (available <= 0) {
    // Nothing to share (a window not sized yet): the shares are kept for later.
    std::fill(positions_.begin(), positions_.end(), 0);
    return;
  }
  // The minimum's share of the length; a window with no length has none to share.
  const int minimumShare = minimum_ > available ? kWhole : (minimum_ * kWhole + available / 2) / available;
  for (int guard = 0; guard < 4 * n + 4; ++guard) {
    bool changed = false;
    int free = kWhole, freeOld = kWhole;
    std::vector<int> old = fractions_;
    for (int i = 0; i < n; ++i) {
      int& f = fractions_[static_cast<std::size_t>(i)];
      int p = PixelSize(f);
      if (p <= minimum_) {
        freeOld -= f;
        if (p < minimum_) {
          f = minimumShare;
          changed = true;
        }
        free -= f;
      }
    }
    if (free <= 0) {
      // The minimums do not fit: the first panes get theirs, the last what is left.
      int remaining = kWhole;
      for (int i = 0; i < n; ++i) {
        int f = std::min(remaining, minimumShare);
        fractions_[static_cast<std::size_t>(i)] = f;
        remaining -= f;
      }
      break;
    }
    if (free != kWhole && freeOld > 0) {  // freeOld is 0 only when every pane is at the minimum
      for (int i = 0; i < n; ++i)
        if (PixelSize(fractions_[static_cast<std::size_t>(i)]) != minimum_)
          fractions_[static_cast<std::size_t>(i)] =
              static_cast<int>((static_cast<long long>(old[static_cast<std::size_t>(i)]) * free + freeOld / 2) / freeOld);
    }
    if (!changed) break;
  }
  positions_[0] = 0;
  for (int i = 0; i + 1 < n; ++i)
    positions_[static_cast<std::size_t>(i) + 1] = positions_[static_cast<std::size_t>(i)] +
                                                  PixelSize(fractions_[static_cast<std::size_t>(i)]) + bar_;
  positions_[static_cast<std::size_t>(n)] = available + n * bar_;
}

int SplitterLayout::BeginDrag(int m) {
  const int n = PaneCount();
  int i = 1;
  while (i < n && positions_[static_cast<std::size_t>(i)] < m) ++i;
  dragBar_ = i;
  dragOffset_ = m - positions_[static_cast<std::size_t>(i)];
  return positions_[static_cast<std::size_t>(i)];
}

int SplitterLayout::DragTo(int m) const {
  const std::size_t i = static_cast<std::size_t>(dragBar_);
  if (dragBar_ < 1 || dragBar_ >= PaneCount()) return positions_[i];
  int p = m - dragOffset_;
  const int high = positions_[i + 1] - minimum_ - bar_;
  const int low = positions_[i - 1] + minimum_ + bar_;
  if (p > high) p = high;
  if (p < low) p = low;
  return p;
}

void SplitterLayout::EndDrag(int m) {
  if (dragBar_ < 1 || dragBar_ >= PaneCount()) return;
  const std::size_t i = static_cast<std::size_t>(dragBar_);
  positions_[i] = DragTo(m);
  const int available = Available();
  if (available <= 0) return;
  fractions_[i - 1] = ((positions_[i] - positions_[i - 1] - bar_) * kWhole + available / 2) / available;
  fractions_[i] = ((positions_[i + 1] - positions_[i] - bar_) * kWhole + available / 2) / available;
}

}  // namespace gridmodel
