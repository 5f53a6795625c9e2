// Where a generation's progress lines go: ".. Injecting protoplanet.",
// "Collision between two planetesimals!" and the rest, each a whole line. The
// program orrery sends them to standard output; batch work sends them
// nowhere, or into a buffer.
//
// Thread safety: a sink is called only from the thread running the
// generation it was given to; one sink per concurrent generation.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace orrery {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // One whole line, its newline included.
    virtual void write(std::string_view text) = 0;
};

// Writes each line to a C stream.
class StreamProgress final : public ProgressSink {
public:
    explicit StreamProgress(std::FILE* stream) : stream_(stream) {}
    void write(std::string_view text) override {
        std::fwrite(text.data(), 1, text.size(), stream_);
    }

private:
    std::FILE* stream_;
};

// Appends each line to a string the caller owns.
class StringProgress final : public ProgressSink {
public:
    explicit StringProgress(std::string& out) : out_(out) {}
    void write(std::string_view text) override { out_.append(text); }

private:
    std::string& out_;
};

}  // namespace orrery
