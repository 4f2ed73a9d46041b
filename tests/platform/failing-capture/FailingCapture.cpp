// The PCM type "tessiro_failing": a capture device that gives silence, unpaced
// (a period is always waiting), until it has given "frames" frames; then it
// behaves as a card that was pulled out: its state is DISCONNECTED and every
// transfer, position query, prepare and start answers -ENODEV, which nothing
// recovers.
#include <alsa/asoundlib.h>
#include <alsa/pcm_external.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

struct FailingCapture {
  snd_pcm_ioplug_t io{};
  snd_pcm_uframes_t failAfter = 4410;
  snd_pcm_uframes_t given = 0;
  bool failed = false;
  int wake[2] = {-1, -1};
};

FailingCapture* Of(snd_pcm_ioplug_t* io) { return static_cast<FailingCapture*>(io->private_data); }

int Start(snd_pcm_ioplug_t* io) { return Of(io)->failed ? -ENODEV : 0; }
int Stop(snd_pcm_ioplug_t*) { return 0; }
int Prepare(snd_pcm_ioplug_t* io) { return Of(io)->failed ? -ENODEV : 0; }

// One period past what the application has read: capture that never waits.
snd_pcm_sframes_t Pointer(snd_pcm_ioplug_t* io) {
  if (Of(io)->failed) return -ENODEV;
  return static_cast<snd_pcm_sframes_t>((io->appl_ptr + io->period_size) % io->buffer_size);
}

snd_pcm_sframes_t Transfer(snd_pcm_ioplug_t* io, const snd_pcm_channel_area_t* areas, snd_pcm_uframes_t offset,
                           snd_pcm_uframes_t size) {
  FailingCapture* device = Of(io);
  if (device->failed) return -ENODEV;
  size = std::min(size, device->failAfter - device->given);
  snd_pcm_areas_silence(areas, offset, io->channels, size, io->format);
  device->given += size;
  // Pulled out right after its last frame, whether anyone reads again or not.
  if (device->given >= device->failAfter) {
    device->failed = true;
    snd_pcm_ioplug_set_state(io, SND_PCM_STATE_DISCONNECTED);
  }
  return static_cast<snd_pcm_sframes_t>(size);
}

int Close(snd_pcm_ioplug_t* io) {
  FailingCapture* device = Of(io);
  for (int fd : device->wake) {
    if (fd >= 0) ::close(fd);
  }
  delete device;
  return 0;
}

const snd_pcm_ioplug_callback_t kCallbacks = [] {
  snd_pcm_ioplug_callback_t callbacks{};
  callbacks.start = Start;
  callbacks.stop = Stop;
  callbacks.prepare = Prepare;
  callbacks.pointer = Pointer;
  callbacks.transfer = Transfer;
  callbacks.close = Close;
  return callbacks;
}();

int Constrain(snd_pcm_ioplug_t* io) {
  static const unsigned int access[] = {SND_PCM_ACCESS_RW_INTERLEAVED};
  static const unsigned int formats[] = {SND_PCM_FORMAT_S16_LE};
  int error = snd_pcm_ioplug_set_param_list(io, SND_PCM_IOPLUG_HW_ACCESS, 1, access);
  if (error >= 0) error = snd_pcm_ioplug_set_param_list(io, SND_PCM_IOPLUG_HW_FORMAT, 1, formats);
  if (error >= 0) error = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_CHANNELS, 2, 2);
  if (error >= 0) error = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_RATE, 44100, 44100);
  if (error >= 0) error = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_PERIOD_BYTES, 64, 1 << 16);
  if (error >= 0) error = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_PERIODS, 2, 64);
  return error;
}

}  // namespace

extern "C" SND_PCM_PLUGIN_DEFINE_FUNC(tessiro_failing) {
  (void)root;
  if (stream != SND_PCM_STREAM_CAPTURE) return -EINVAL;
  auto* device = new FailingCapture;
  snd_config_iterator_t i, next;
  snd_config_for_each(i, next, conf) {
    snd_config_t* entry = snd_config_iterator_entry(i);
    const char* id = nullptr;
    if (snd_config_get_id(entry, &id) < 0) continue;
    long frames = 0;
    if (std::strcmp(id, "frames") == 0 && snd_config_get_integer(entry, &frames) >= 0 && frames >= 0) {
      device->failAfter = static_cast<snd_pcm_uframes_t>(frames);
    }
  }
  // alsa-lib wants a descriptor to poll; one that is always readable will do.
  if (::pipe2(device->wake, O_CLOEXEC | O_NONBLOCK) < 0 || ::write(device->wake[1], "x", 1) != 1) {
    for (int fd : device->wake) {
      if (fd >= 0) ::close(fd);
    }
    delete device;
    return -errno;
  }
  device->io.version = SND_PCM_IOPLUG_VERSION;
  device->io.name = "Tessiro failing capture";
  device->io.callback = &kCallbacks;
  device->io.private_data = device;
  device->io.poll_fd = device->wake[0];
  device->io.poll_events = POLLIN;
  int error = snd_pcm_ioplug_create(&device->io, name, stream, mode);
  if (error < 0) {
    Close(&device->io);
    return error;
  }
  error = Constrain(&device->io);
  if (error < 0) {
    snd_pcm_ioplug_delete(&device->io);
    return error;
  }
  *pcmp = device->io.pcm;
  return 0;
}
SND_PCM_PLUGIN_SYMBOL(tessiro_failing);
