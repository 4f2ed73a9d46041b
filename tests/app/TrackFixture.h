// A started CProApp with helpers that lay snippets and loops out on its
// tracks, describe the whole arrangement as text for before/after checks, and
// render a track as it sounds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AudioLoop.h"
#include "AudioSnippet.h"
#include "EditFixture.h"

namespace tessiro::test {

// A command that must be refused: what to set up, the command, the box it shows.
struct RefusalCase {
  const char* name;
  std::function<void()> setUp;
  std::function<int(CProApp&)> command;
  const char* text;
};

class TrackTest : public EditTest {
 protected:
  // An extended snippet on track at start over a new segment of samples,
  // timed for the project tempo (one frame of audio per project frame).
  std::shared_ptr<CAudioSnippet> Place(int track, uint32_t start, const std::vector<int16_t>& samples,
                                       uint16_t channels = 2);
  // A loop appended to the Loop Bank, its audio the constant value, at the project tempo.
  std::shared_ptr<CAudioLoop> BankLoop(uint32_t frames, int16_t value = 2000);
  // The snippets of a track, in start order.
  std::vector<std::shared_ptr<CAudioSnippet>> SnippetsOf(int track);
  void SelectOnly(int track, const std::vector<std::shared_ptr<CAudioSnippet>>& snippets);
  // Tracks (type and every snippet's place, layer and audio file), loops (number,
  // uses, audio in memory), the clipboard's snippets and the project end, one line each.
  std::vector<std::string> Arrangement();
  // The track alone, without gains or effects, frames from first.
  std::vector<int16_t> RenderTrack(int track, uint32_t first, uint32_t frames);
  // Each case from an empty project, bank, history, clipboard and editor: the
  // command shows its box and changes neither the arrangement, the history,
  // the editor nor the modified flag.
  void ExpectRefusals(const std::vector<RefusalCase>& cases);
  // Undo gives back before, redo what there is now.
  void ExpectUndoAndRedo(const std::vector<std::string>& before);
  // Undo or redo through the history, with the loops' memory brought up to date.
  void Undo();
  void Redo();
};

}  // namespace tessiro::test
