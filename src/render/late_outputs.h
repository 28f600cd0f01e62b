// Converters that outlived their time limit. They are never ended (the user's TimeOutSec only says
// how long to wait), so one may still write its output file after the conversion has returned;
// nobody owns that file any more. Each such program is remembered with its output name, and the
// file is deleted once the program has exited: checked before each conversion and when the
// plug-in unloads. Outputs that could not be deleted when their owner was done with them (a
// process the converter started still holds the file open) wait here too, until a sweep can
// delete them.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/process.h"

namespace pictara {

class TLateOutputs {
 public:
  void Add(std::unique_ptr<TRunningProcess> process, std::string output);
  // A file that could not be deleted now; the next sweeps try again.
  void AddUndeleted(std::string output);

  // For every remembered program that has exited, and every undeleted file: `remove` the file
  // (the callback checks whether it exists and answers whether it is gone now) and forget it once
  // it is gone. Programs still running stay, their files untouched. With `mayBlock` false a sweep
  // already running elsewhere is not waited for (library unload).
  void Sweep(const std::function<bool(const std::string&)>& remove, bool mayBlock = true);

  size_t Size() const;

 private:
  struct TEntry {
    std::unique_ptr<TRunningProcess> process;
    std::string output;
  };
  mutable std::mutex lock_;
  std::vector<TEntry> entries_;
};

// The process-wide list the converter uses.
TLateOutputs& LateOutputs();

}  // namespace pictara
