// The promise made to everyone who shares a seed: the same systems, byte for
// byte, whatever the compiler, the processor or the C library's choice of
// code path. orrery-lab's bench over its default seeds is the check anyone
// can run on their own machine; here it is run as they would run it, and its
// signature compared with the one the first, plain version of the core gave.
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#if defined(__x86_64__) && __has_include(<sys/platform/x86.h>)
// glibc's header spells its result type _Bool, which G++ takes in C++ and
// Clang does not.
#if defined(__clang__)
#define _Bool bool
#include <sys/platform/x86.h>
#undef _Bool
#else
#include <sys/platform/x86.h>
#endif
#define ORRERY_GLIBC_X86_FEATURES 1
#endif

#include "support/child_process.h"
#include "support/scratch_dir.h"

namespace orrery::testing {
namespace {

#ifdef ORRERY_LAB_BINARY

constexpr const char* DEFAULT_SEEDS_SIGNATURE = "signature eb7a2db989b3f655";

std::string last_line(const std::string& text) {
    std::istringstream in(text);
    std::string line, last;
    while (std::getline(in, line)) last = line;
    return last;
}

// Run on its own by the suite a second time with GLIBC_TUNABLES telling the
// C library to take its code paths for processors without FMA and AVX2 (the
// child inherits the setting); that run checks first that the setting took.
TEST(Signature, DefaultSeedsOfTheBenchKeepTheirSignature) {
#ifdef ORRERY_GLIBC_X86_FEATURES
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if (tunables && std::string(tunables).find("-FMA") != std::string::npos) {
        ASSERT_FALSE(CPU_FEATURE_ACTIVE(FMA)) << "GLIBC_TUNABLES=" << tunables << " did not turn FMA off";
        ASSERT_FALSE(CPU_FEATURE_ACTIVE(AVX2)) << "GLIBC_TUNABLES=" << tunables << " did not turn AVX2 off";
    }
#endif
    ScratchDir dir("signature");
    // A couple of seconds natively; the limit leaves room for an emulator.
    auto child = run_child({ORRERY_LAB_BINARY, "bench"}, {.dir = dir.path()}, std::chrono::minutes(10));
    ASSERT_TRUE(child->exited()) << child->describe() << "\n" << child->err();
    ASSERT_EQ(child->exit_code(), 0) << child->err();
    EXPECT_EQ(child->err(), "");
    EXPECT_NE(child->out().find("seeds 1..40000 on "), std::string::npos) << child->out();
    EXPECT_EQ(last_line(child->out()), DEFAULT_SEEDS_SIGNATURE) << child->out();
    EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{});
}

#endif

}  // namespace
}  // namespace orrery::testing
