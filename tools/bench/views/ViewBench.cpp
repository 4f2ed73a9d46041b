// How long the view takes to compose its back buffer for one invalidation:
// the ground, the tab strip, the frame and the shown editor's back buffer
// copied in, as every mouse message and refresh does. The budget is a share
// of a frame at 60 per second (16.7 ms) that leaves the editors their own
// drawing: 2 ms.
//
// Each case reports the median and the worst composition; a composition that
// is not the editor's buffer, every pixel of it in the editor's area, and the
// frame beside it fails the case.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "Folders.h"
#include "QuietServices.h"
#include "ViewBenchMain.h"
#include "pro.h"

namespace {

constexpr draw::COLORREF kEditorPixels = 0x00C0F0;
constexpr draw::COLORREF kFrame = 0xB4A791;

// An editor whose back buffer is as large as its area, copied in as the real ones do.
class CBufferEditor final : public view::ILoopBankEditor {
 public:
  void AttachView(CProView&) override {}
  void Layout(const view::EditorArea& area) override {
    area_ = area;
    buffer_ = draw::CBitmap(area.width, area.height, 1.0, kEditorPixels);
  }
  void CreateBackBuffer() override {}
  void Redraw() override {}
  void Draw(draw::CCanvas& dc) override { dc.Blit(area_.x, area_.y, buffer_); }
  const view::EditorArea& Area() const { return area_; }
  void HideControls() override {}
  void SetInputLocked(int) override {}
  void OnLButtonDown(unsigned, int, int) override {}
  void Scroll(int, int) override {}
  void OnPlayheadTimer() override {}
  void StartPlayhead() override {}
  void StopPlayhead() override {}
  void ResetPlayButton() override {}
  bool IsRowVisible(int) const override { return false; }
  void PressPlayButton(int) override {}
  void FewerRows() override {}
  void MoreRows() override {}
  void RebuildRows() override {}
  void UpdateRowsAfterRemoval(int) override {}
  void OnLoopNameChanged(int) override {}
  void OnPlayButton(int) override {}
  void OnEditClicked(int) override {}
  void OnLoopPropertiesClicked(int) override {}

 private:
  view::EditorArea area_;
  draw::CBitmap buffer_;
};

void BM_ComposeView(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  tools::QuietServices seams;
  CProApp app(seams.Services());
  CProView view(&app);
  auto made = std::make_unique<CBufferEditor>();
  const CBufferEditor& editor = *made;
  view.InstallLoopBank(std::move(made));
  view.viewMode = ViewModeLoopBank;
  view.resize(width, height);
  view.show();
  std::vector<double> ms;
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    view.OnDraw();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    benchmark::ClobberMemory();
  }
  const draw::CBitmap& buffer = view.BackBuffer();
  const view::EditorArea& area = editor.Area();
  bool whole = area.width > 0 && area.height > 0;
  for (int y = area.y; whole && y < area.y + area.height; ++y) {
    for (int x = area.x; whole && x < area.x + area.width; ++x) whole = buffer.Pixel(x, y) == kEditorPixels;
  }
  if (!whole || buffer.Pixel(6, height / 2) != kFrame) {
    state.SkipWithError("the composition is wrong");
    return;
  }
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["worst_ms"] = ms.back();
  state.counters["budget_ms"] = 2.0;
}

// The view of a main window of 835 x 550, of a full HD window, of a 2560 x 1440 one.
BENCHMARK(BM_ComposeView)->Args({835, 440})->Args({1900, 940})->Args({2540, 1340})->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  return tools::RunViewBenchmarks(argc, argv, platform::TemporaryFolder() + "/tessiro-view-bench");
}
