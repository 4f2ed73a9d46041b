// Which loops the Loop Bank shows: the number of rows, the first and last
// loop shown, as the row buttons, the scroll bar and changes of the loop list
// move them.
#include <algorithm>

#include "AudioLoopList.h"
#include "Generic.h"
#include "loopbank/LoopBankGUI.h"
#include "view/ProView.h"

namespace {

constexpr const char* kSource = "LoopBankGUI";
constexpr int kLineScrollNoView = 1094;

}  // namespace

void CLoopBankGUI::KeepRowsInList() {
  const int loops = loopList ? loopList->GetCount() : 0;
  if (loops == 0) {
    visibleRows = firstRow = lastRow = 0;
    return;
  }
  const int visible = std::clamp<int>(visibleRows, 1, std::min(loops, kRows));
  const int first = std::clamp<int>(firstRow, 0, loops - visible);
  visibleRows = static_cast<int16_t>(visible);
  firstRow = static_cast<int16_t>(first);
  lastRow = static_cast<int16_t>(first + visible - 1);
}

void CLoopBankGUI::FewerRows() {
  if (visibleRows <= 1) return;
  --visibleRows;
  --lastRow;
  KeepRowsInList();
  UpdateScrollBar();
  SetArea(areaX, areaY, areaWidth, areaHeight);
  RefreshView(0);
}

void CLoopBankGUI::MoreRows() {
  const int loops = loopList ? loopList->GetCount() : 0;
  if (visibleRows >= kRows || visibleRows >= loops) return;
  ++visibleRows;
  // With the last loop already shown the rows grow upwards.
  if (lastRow >= loops - 1) {
    --firstRow;
  } else {
    ++lastRow;
  }
  KeepRowsInList();
  UpdateScrollBar();
  SetArea(areaX, areaY, areaWidth, areaHeight);
  RefreshView(0);
}

void CLoopBankGUI::Scroll(int code, int position) {
  const int loops = loopList ? loopList->GetCount() : 0;
  const int last = loops - 1;
  switch (code) {
    case view::kScrollLineUp:
      if (firstRow > 0) {
        --firstRow;
        --lastRow;
      }
      break;
    case view::kScrollLineDown:
      if (lastRow < last) {
        ++firstRow;
        ++lastRow;
      }
      break;
    case view::kScrollPageUp:
      if (firstRow == 0) break;
      if (firstRow > visibleRows) {
        firstRow = static_cast<int16_t>(firstRow - visibleRows);
        lastRow = static_cast<int16_t>(lastRow - visibleRows);
      } else {
        firstRow = 0;
        lastRow = static_cast<int16_t>(visibleRows - 1);
      }
      break;
    case view::kScrollPageDown:
      if (lastRow >= last) break;
      if (lastRow + visibleRows < last) {
        firstRow = static_cast<int16_t>(firstRow + visibleRows);
        lastRow = static_cast<int16_t>(lastRow + visibleRows);
      } else {
        lastRow = static_cast<int16_t>(last);
        firstRow = static_cast<int16_t>(loops - visibleRows);
      }
      break;
    case view::kScrollThumbTrack:
      firstRow = static_cast<int16_t>(std::clamp(position, 0, 32767));
      lastRow = static_cast<int16_t>(firstRow + visibleRows - 1);
      break;
    default:
      break;
  }
  KeepRowsInList();
  UpdateScrollBar();
  RefreshView(0);
  if (!ownerView) {
    ReportError(kSource, kLineScrollNoView, "");
    return;
  }
  ownerView->Invalidate(true);
}

void CLoopBankGUI::RebuildRows() {
  const int loops = loopList ? loopList->GetCount() : 0;
  if (visibleRows > 1 || loops == 0) {
    // The newest loops come into sight at the bottom.
    lastRow = static_cast<int16_t>(loops - 1);
    firstRow = static_cast<int16_t>(loops - visibleRows);
  } else {
    if (loops == 1) {
      visibleRows = 1;
      if (loopList) loopList->SelectLoop(0);
    } else {
      visibleRows = 2;
    }
    firstRow = 0;
    lastRow = static_cast<int16_t>(loops - 1);
  }
  KeepRowsInList();
  SetArea(areaX, areaY, areaWidth, areaHeight);
}

void CLoopBankGUI::UpdateRowsAfterRemoval(int loopNumber) {
  const int loops = loopList ? loopList->GetCount() : 0;
  if (loops <= 2) {
    visibleRows = static_cast<int16_t>(loops);
    firstRow = 0;
    lastRow = static_cast<int16_t>(std::max(loops - 1, 0));
  } else if (loopNumber <= lastRow) {
    if (loopNumber >= firstRow) {
      --visibleRows;
      --lastRow;
      if (loops < lastRow) --firstRow;
    } else if (firstRow > 0) {
      --firstRow;
      --lastRow;
    }
  }
  KeepRowsInList();
  SetArea(areaX, areaY, areaWidth, areaHeight);
}
