#include "WaveAudio.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "AlsaWaveSystem.h"
#include "Clock.h"
#include "VirtualWaveSystem.h"

namespace platform {
namespace {

std::mutex g_systemLock;
std::shared_ptr<CWaveSystem> g_installed;
std::shared_ptr<CWaveSystem> g_fromEnvironment;

std::shared_ptr<CWaveSystem> SystemFromEnvironment() {
  const char* choice = std::getenv("TESSIRO_AUDIO");
  if (choice && std::strcmp(choice, "virtual") == 0) {
    auto system = std::make_shared<CVirtualWaveSystem>(CVirtualWaveSystem::ClockMode::RealTime);
    system->AddOutput("Virtual Output");
    const uint32_t first = system->AddInput("Virtual Input 1");
    system->AddInput("Virtual Input 2");
    if (const char* wav = std::getenv("TESSIRO_AUDIO_INPUT")) system->SetInputWaveFile(first, wav);
    if (const char* wav = std::getenv("TESSIRO_AUDIO_OUTPUT")) system->SetOutputWaveFile(0, wav);
    return system;
  }
  return std::make_shared<CAlsaWaveSystem>();
}

}  // namespace

uint32_t PrepareWaveHeader(WaveHeader& header) {
  if (!header.data && header.bufferLength > 0) return kWaveInvalidParameter;
  header.flags.fetch_or(kWavePrepared);
  return kWaveOk;
}

uint32_t UnprepareWaveHeader(WaveHeader& header) {
  if (header.Has(kWaveInQueue)) return kWaveStillPlaying;
  header.flags.fetch_and(~kWavePrepared);
  return kWaveOk;
}

uint32_t QueueWaveHeader(WaveHeader& header) {
  if (!header.Has(kWavePrepared)) return kWaveUnprepared;
  if (header.Has(kWaveInQueue)) return kWaveStillPlaying;
  header.flags.store((header.flags.load() & ~kWaveDone) | kWaveInQueue);
  return kWaveOk;
}

void CompleteWaveHeader(WaveHeader& header) {
  header.flags.store((header.flags.load() & ~kWaveInQueue) | kWaveDone);
}

uint32_t CWaveOut::Prepare(WaveHeader& header) { return PrepareWaveHeader(header); }
uint32_t CWaveOut::Unprepare(WaveHeader& header) { return UnprepareWaveHeader(header); }
uint32_t CWaveIn::Prepare(WaveHeader& header) { return PrepareWaveHeader(header); }
uint32_t CWaveIn::Unprepare(WaveHeader& header) { return UnprepareWaveHeader(header); }

uint32_t CWaveSystem::TickCount() { return GetTickCount32(); }

int CWaveSystem::WaitForEvents(std::span<CEvent* const> events, bool waitAll, uint32_t timeoutMs) {
  return platform::WaitForEvents(events, waitAll, timeoutMs);
}

std::shared_ptr<CWaveSystem> GetWaveSystem() {
  std::lock_guard<std::mutex> guard(g_systemLock);
  if (g_installed) return g_installed;
  if (!g_fromEnvironment) g_fromEnvironment = SystemFromEnvironment();
  return g_fromEnvironment;
}

void SetWaveSystem(std::shared_ptr<CWaveSystem> system) {
  std::lock_guard<std::mutex> guard(g_systemLock);
  g_installed = std::move(system);
}

}  // namespace platform
