#pragma once
// Which output names the platform would take as they are meant, and the name a file is written
// under until it is complete.
#include <optional>
#include <string>

namespace vellum {

enum class NameFault {
    ForbiddenCharacter,  // \ / : * ? " < > | or a control character
    ReservedDeviceName,  // CON, PRN, AUX, NUL, COM1..9, LPT1..9, with any extension
};

// Why the platform would misread a file name (the last part of a path, no folder): a ':' makes
// a hidden stream of another file, a '\' a subfolder, a device name the device. Nothing when the
// name is taken as it stands.
std::optional<NameFault> CheckFileName(const std::string& name);

// The status-line text for a name that was refused: what is wrong, in the user's words.
std::string DescribeNameFault(NameFault fault);

// The name a capture is written under, in its own folder, until it is complete and renamed to
// `finalPath`: no viewer, sync tool or numbering takes it for a picture.
std::string TemporarySavePath(const std::string& finalPath);

}  // namespace vellum
