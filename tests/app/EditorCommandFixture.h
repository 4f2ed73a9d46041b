// A started CProApp with audio in the Audio Editor, for its commands, the
// audio clipboard and undo and redo.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "AudioLoop.h"
#include "AudioSnippetExtended.h"
#include "AudioTrack.h"
#include "EditFixture.h"
#include "editor/EditorCommon.h"
#include "requests/EditRequests.h"

namespace tessiro::test {

constexpr uint32_t kUnset = CAudioSegment::kMarkerUnset;

// Frames [first, end) of a mono staircase f % 30000.
inline std::vector<int16_t> Steps(uint32_t first, uint32_t end) {
  std::vector<int16_t> v;
  for (uint32_t f = first; f < end; ++f) v.push_back(static_cast<int16_t>(f % 30000));
  return v;
}

inline std::vector<int16_t> Join(std::initializer_list<std::vector<int16_t>> parts) {
  std::vector<int16_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

inline OperationDialogValues Scope(int32_t range) {
  OperationDialogValues v;
  v.range = range;
  return v;
}

class EditorCommandTest : public EditTest {
 protected:
  // Independent audio in the editor.
  std::shared_ptr<CAudioSegment> Show(const std::vector<int16_t>& samples, uint16_t channels) {
    std::shared_ptr<CAudioSegment> segment = MakeSegment(samples, channels);
    app->SetEditorIndependentAudio(segment);
    return segment;
  }
  // The clipboard holding samples, as a Copy leaves it.
  void Clip(const std::vector<int16_t>& samples, uint16_t channels) { app->audioClipboard = MakeSegment(samples, channels); }
  std::vector<int16_t> Shown() {
    std::shared_ptr<CAudioSegment> segment = app->GetEditorSegment();
    EXPECT_TRUE(segment);
    return segment ? ReadSamples(*segment) : std::vector<int16_t>{};
  }
};

}  // namespace tessiro::test
