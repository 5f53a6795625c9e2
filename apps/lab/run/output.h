// Output files that are either complete or absent.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace orrery::lab {

// An output destination. "" or "-" is standard output. A named file is
// written to a temporary file beside it and renamed into place by commit();
// if commit() is never reached (an error, an exception, SIGINT or SIGTERM)
// the target is left untouched and the temporary file removed.
// Errors throw OutputError naming the file and the system's error.
class Output {
public:
    explicit Output(const std::string& path);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    void write(std::string_view text);
    void commit();
    const std::string& path() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Checks before any work starts that an output path's directory exists
// (a usage error otherwise).
void check_output_path(const std::string& path);

}  // namespace orrery::lab
