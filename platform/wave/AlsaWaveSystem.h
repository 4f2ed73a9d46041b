// The wave-audio layer over ALSA: "default" (PipeWire or PulseAudio on a desktop)
// and every hardware playback and capture device, each opened through the plug
// layer so the fixed 16-bit stereo 44100 Hz format is always offered.
//
// Each open device runs a small thread of its own that moves audio between the
// queued buffers and ALSA in short steps (non-blocking, never blocking while it
// holds the device's lock), and posts a buffer's notice when it has been played
// out (output: frames written minus the device's delay) or filled (input).
// Positions are exact to the frame at the moment they are asked for.
// alsa-lib's own error printing is silenced: failures come back as results.
#pragma once

#include <string>
#include <vector>

#include "WaveAudio.h"

namespace platform {

class CAlsaWaveSystem final : public CWaveSystem {
 public:
  struct Endpoint {
    std::string pcm;   // ALSA device name to open
    std::string name;  // product name shown to the user, at most kWaveNameChars
  };

  // "default" first, then the hardware devices of every card.
  CAlsaWaveSystem();
  // Exactly these devices, in this order.
  CAlsaWaveSystem(std::vector<Endpoint> outputs, std::vector<Endpoint> inputs);

  static std::vector<Endpoint> ListDevices(bool capture);

  uint32_t OutputCount() override;
  uint32_t InputCount() override;
  uint32_t GetOutputName(uint32_t id, std::string& name) override;
  uint32_t GetInputName(uint32_t id, std::string& name) override;
  uint32_t QueryOutputFormat(uint32_t id, const WaveFormat& format) override;
  uint32_t OpenOutput(uint32_t id, const WaveFormat& format, CMessageQueue* notify,
                      std::unique_ptr<CWaveOut>& device) override;
  uint32_t OpenInput(uint32_t id, const WaveFormat& format, CMessageQueue* notify,
                     std::unique_ptr<CWaveIn>& device) override;

 private:
  std::vector<Endpoint> outputs_;
  std::vector<Endpoint> inputs_;
};

}  // namespace platform
