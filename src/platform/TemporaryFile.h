#pragma once

#include <string>

namespace mq {

// The temporary files this program writes beside a file it is about to replace, named
// ".mailquarry-<process id>-<n>.tmp" so that they are known as its own. A file stays locked
// while it is written (on Windows: open without sharing), so that what a killed run left
// behind can be told from what another run is writing at that moment.

// A new temporary file in `folder` (UTF-8; empty: the current
// folder) with permissions `mode` (less the umask), open for writing and locked. Returns its
// descriptor and sets `path`; -1 with errno set when none can be made.
int createTemporaryFile(const std::string& folder, unsigned mode, std::string& path);

// Removes the temporary files of this program in `folder` that nobody is writing. No file
// of another name is touched.
void removeLeftoverTemporaryFiles(const std::string& folder);

}  // namespace mq
