// Shortcuts, which on this system are symbolic links: test, resolve and create.
#pragma once

#include <string>

namespace tf {

// True when `path` itself is a symbolic link (whether or not its target exists).
bool IsShortcutFile(const std::string& path);
// The absolute, fully resolved path the link `shortcutPath` leads to; false (and `out`
// emptied, unless it is the input itself) when it is no link or its target is missing.
bool ResolveShortcut(const std::string& shortcutPath, std::string* out);
// Makes `shortcutPath` a symbolic link to `targetPath` (made absolute, so the link works
// wherever it is moved). An existing `shortcutPath` is never replaced: that fails. Links
// carry no description; the argument is accepted for callers and ignored.
bool CreateShortcut(const std::string& targetPath, const std::string& shortcutPath,
                    const std::string& description = {});

}  // namespace tf
