// Turning a path that a Qt file dialog returns back into the file system's own bytes.
#pragma once

#include <string>

#include <QString>

namespace tf {

// The bytes of the path `chosen` names. Names that are not valid UTF-8 reach Qt with
// replacement characters; each such component is matched against its folder's listing.
// False when a component matches no name, or several (the choice would be a guess);
// with `lastMayBeNew` a last component that does not exist yet is taken as written.
bool ChosenPathBytes(const QString& chosen, bool lastMayBeNew, std::string* out);

}  // namespace tf
