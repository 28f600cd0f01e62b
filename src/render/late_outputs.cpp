#include "render/late_outputs.h"

#include <utility>

namespace pictara {

void TLateOutputs::Add(std::unique_ptr<TRunningProcess> process, std::string output) {
  if (!process) return;
  std::lock_guard<std::mutex> guard(lock_);
  entries_.push_back({std::move(process), std::move(output)});
}

void TLateOutputs::AddUndeleted(std::string output) {
  std::lock_guard<std::mutex> guard(lock_);
  entries_.push_back({nullptr, std::move(output)});
}

void TLateOutputs::Sweep(const std::function<bool(const std::string&)>& remove, bool mayBlock) {
  std::unique_lock<std::mutex> guard(lock_, std::defer_lock);
  if (mayBlock) guard.lock();
  else if (!guard.try_lock()) return;
  std::erase_if(entries_, [&](TEntry& entry) {
    if (entry.process && !entry.process->HasExited()) return false;
    entry.process.reset();
    return remove(entry.output);
  });
}

size_t TLateOutputs::Size() const {
  std::lock_guard<std::mutex> guard(lock_);
  return entries_.size();
}

TLateOutputs& LateOutputs() {
  static TLateOutputs outputs;
  return outputs;
}

}  // namespace pictara
