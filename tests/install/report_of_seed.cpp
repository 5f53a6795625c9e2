// Prints the report of the seed given on the command line.
#include <orrery/orrery.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string text =
        orrery::format_report(orrery::make_system(static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10))));
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
