#pragma once
// The next free numbered output file: folder + prefix + number + "." + extension.
#include <cstdint>
#include <functional>
#include <string>

namespace vellum {

enum class FileProbe { Free, Taken, Unknown };

// One counter per main window: starts at 0, only grows, shared by every capture road, and not
// reset by a new folder, prefix or format.
class FileNamer {
  public:
    using Probe = std::function<FileProbe(const std::string& path)>;

    // Takes the next number whose file the probe does not report as taken. A probe that cannot
    // tell (an invalid path) ends the search with that candidate.
    std::string Next(const std::string& folder, const std::string& prefix, const std::string& ext,
                     const Probe& probe);

    int32_t counter() const { return counter_; }

  private:
    int32_t counter_ = 0;
};

std::string NumberedFileName(const std::string& folder, const std::string& prefix, int32_t number,
                             const std::string& ext);

}  // namespace vellum
