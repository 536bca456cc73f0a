#include "app/startupchecks.h"

#include <memory>

#include "audio/devicechoice.h"
#include "audio/output.h"
#include "audio/threadpriority.h"

namespace {

// The process's class is every thread's nice value now; the calling (window)
// thread's own can go higher still.
constexpr int kHighClassNice = -10;
constexpr int kHighestThreadNice = -15;

}  // namespace

bool ProbeSoundDevice(const cConfig& config) {
  std::string warning;
  std::unique_ptr<cSoundDevice> device = ChooseSoundDevice(config.device, &warning);
  if (!device) return false;
  cAudioOutput probe(std::move(device));
  const bool opened = probe.OpenAudio(nullptr, config.frequency, config.latency) == 0;
  probe.CloseAudio();
  return opened;
}

std::vector<std::string> ApplyPriorities(const cConfig& config) {
  std::vector<std::string> warnings;
  if (config.priorityClass != 0 && !SetProcessNice(kHighClassNice))
    warnings.push_back("Unable to set priority class!");
  if (config.threadPriority != 0 && !SetThreadNice(0, kHighestThreadNice))
    warnings.push_back("Unable to set thread priority!");
  return warnings;
}
