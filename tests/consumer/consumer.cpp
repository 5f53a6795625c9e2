// For each seed on the command line: its report into DIR/seed-S.report and
// its JSON line into DIR/seed-S.json, so that the test can compare them with
// the reference reports and with orrery-lab batch.
#include <orrery/orrery.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: consumer DIR SEED...\n");
        return 2;
    }
    const std::string dir = argv[1];
    orrery::Generator generator;
    for (int i = 2; i < argc; ++i) {
        const auto seed = static_cast<std::uint32_t>(std::strtoul(argv[i], nullptr, 10));
        const std::string stem = dir + "/seed-" + std::to_string(seed);
        // The one-call form and the reusable generator must agree.
        const orrery::System once = orrery::make_system(seed);
        const orrery::System again = generator.generate(seed);
        if (orrery::format_report(once) != orrery::format_report(again)) {
            std::fprintf(stderr, "seed %u: make_system and Generator differ\n", seed);
            return 1;
        }
        if (!orrery::write_text_file((stem + ".report").c_str(), orrery::format_report(once)) ||
            !orrery::write_text_file((stem + ".json").c_str(), orrery::to_json(once) + "\n")) {
            std::perror(stem.c_str());
            return 1;
        }
    }
    return 0;
}
