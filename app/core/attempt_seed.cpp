#include "app/core/attempt_seed.h"

#include "app/base/clock.h"

namespace {

std::function<uint32_t()>& Source() {
  static std::function<uint32_t()> source;
  return source;
}

}  // namespace

uint32_t NewAttemptSeed() { return Source() ? Source()() : GetTimeMs(); }

void SetAttemptSeedSource(std::function<uint32_t()> source) { Source() = std::move(source); }
