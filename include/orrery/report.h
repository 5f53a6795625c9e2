// The system report: the text the program orrery writes to "New.System",
// byte for byte: the star's header, then one block per planet in list order,
// every number in its fixed printf format in the C locale (whatever the
// process's locale).
//
// Thread safety: pure functions of their arguments.
#pragma once

#include <orrery/export.h>

#include <string>
#include <string_view>

#include <orrery/system.h>

namespace orrery {

// The whole report of a system.
ORRERY_API std::string format_report(const System& system);

// Appends the report to out, for loops that reuse one buffer.
ORRERY_API void append_report(std::string& out, const System& system);

// Writes text to the file at path, created or truncated. Returns false, with
// errno describing the failure, when the file cannot be opened, written,
// flushed or closed; a failed write may leave the file cut short.
ORRERY_API bool write_text_file(const char* path, std::string_view text);

}  // namespace orrery
