// Prints the system of one seed: the report that orrery writes to
// "New.System", then the same system as one line of JSON.
//   print_system 42
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <system_error>

#include <orrery/orrery.h>

int main(int argc, char** argv) {
    std::uint32_t seed = 0;
    const char* text = argc == 2 ? argv[1] : "";
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, seed);
    if (argc != 2 || text == end || stop != end || error != std::errc{}) {
        std::fprintf(stderr, "usage: %s SEED (a whole number from 0 to 4294967295)\n", argv[0]);
        return 2;
    }
    const orrery::System system = orrery::make_system(seed);
    std::fputs(orrery::format_report(system).c_str(), stdout);
    std::printf("%s\n", orrery::to_json(system).c_str());
    return 0;
}
