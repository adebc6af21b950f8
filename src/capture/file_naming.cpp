#include "capture/file_naming.h"

#include <limits>

namespace vellum {

std::string NumberedFileName(const std::string& folder, const std::string& prefix, int32_t number,
                             const std::string& ext) {
    return folder + prefix + std::to_string(number) + "." + ext;
}

std::string FileNamer::Next(const std::string& folder, const std::string& prefix,
                            const std::string& ext, const Probe& probe) {
    for (;;) {
        // The counter stops at its maximum rather than wrapping to numbers already used.
        if (counter_ < std::numeric_limits<int32_t>::max())
            ++counter_;
        std::string candidate = NumberedFileName(folder, prefix, counter_, ext);
        if (probe(candidate) != FileProbe::Taken || counter_ == std::numeric_limits<int32_t>::max())
            return candidate;
    }
}

}  // namespace vellum
