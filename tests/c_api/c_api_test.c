/* The C interface from C99: each golden seed's report equals its reference
 * New.System byte for byte, and every misuse is refused with a status. */
#include <orrery/orrery_c.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int failures = 0;

#define CHECK(cond)                                                      \
    do {                                                                 \
        if (!(cond)) {                                                   \
            fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #cond); \
            ++failures;                                                  \
        }                                                                \
    } while (0)

static char *read_file(const char *path, size_t *length) {
    FILE *f = fopen(path, "rb");
    char *text;
    long n;
    if (!f) return NULL;
    fseek(f, 0, SEEK_END);
    n = ftell(f);
    fseek(f, 0, SEEK_SET);
    text = malloc((size_t)n + 1);
    if (text && fread(text, 1, (size_t)n, f) != (size_t)n) {
        free(text);
        text = NULL;
    }
    fclose(f);
    if (text) text[n] = '\0';
    *length = (size_t)n;
    return text;
}

static void check_golden(const char *golden_dir, uint32_t seed) {
    char path[4096];
    size_t want_length = 0, length, count, i;
    char *want, *got;
    orrery_system *s = orrery_system_new(seed);
    orrery_star star;
    orrery_planet planet;

    sprintf(path, "%s/seed-%lu/New.System", golden_dir, (unsigned long)seed);
    want = read_file(path, &want_length);
    CHECK(want != NULL);
    CHECK(s != NULL);
    if (!want || !s) return;
    CHECK(orrery_system_seed(s) == seed);

    /* Asked with no room, the length; then the whole text. */
    length = orrery_system_report(s, NULL, 0);
    CHECK(length == want_length);
    got = malloc(length + 1);
    CHECK(orrery_system_report(s, got, length + 1) == length);
    CHECK(memcmp(got, want, want_length) == 0 && got[length] == '\0');
    if (seed == 42) fputs(got, stdout);

    /* A buffer too small: cut short, always terminated, length still whole. */
    memset(got, 'x', 11);
    CHECK(orrery_system_report(s, got, 10) == length);
    CHECK(strlen(got) == 9 && memcmp(got, want, 9) == 0);
    CHECK(orrery_system_report(s, got, 1) == length && got[0] == '\0');
    free(got);

    CHECK(orrery_system_star(s, &star) == 0);
    CHECK(star.mass_ratio >= 0.6 && star.mass_ratio <= 1.3);
    count = orrery_system_planet_count(s);
    CHECK(count > 0);
    for (i = 0; i < count; ++i) {
        CHECK(orrery_system_planet(s, i, &planet) == 0);
        CHECK(planet.distance > 0.0);
        CHECK(planet.is_gas_giant ? planet.surface_temp == ORRERY_HUGE_VALUE : planet.surface_temp < 1e6);
    }

    /* A bad index leaves *out as it was. */
    memset(&planet, 0x5a, sizeof planet);
    CHECK(orrery_system_planet(s, count, &planet) != 0);
    CHECK(orrery_system_planet(s, (size_t)-1, &planet) != 0);
    {
        orrery_planet untouched;
        memset(&untouched, 0x5a, sizeof untouched);
        CHECK(memcmp(&planet, &untouched, sizeof planet) == 0);
    }

    length = orrery_system_json(s, NULL, 0);
    CHECK(length > 0);
    got = malloc(length + 1);
    CHECK(orrery_system_json(s, got, length + 1) == length);
    CHECK(strncmp(got, "{\"seed\":", 8) == 0 && strchr(got, '\n') == NULL);
    free(got);

    free(want);
    orrery_system_free(s);
}

int main(int argc, char **argv) {
    int i;
    orrery_star star;
    orrery_planet planet;
    char buf[8] = "unset";
    if (argc < 3) {
        fprintf(stderr, "usage: c_api_test GOLDEN_DIR SEED...\n");
        return 2;
    }
    for (i = 2; i < argc; ++i) check_golden(argv[1], (uint32_t)strtoul(argv[i], NULL, 10));

    /* Null arguments are refused, never a crash. */
    CHECK(orrery_system_planet_count(NULL) == 0);
    CHECK(orrery_system_seed(NULL) == 0);
    CHECK(orrery_system_star(NULL, &star) != 0);
    CHECK(orrery_system_planet(NULL, 0, &planet) != 0);
    CHECK(orrery_system_report(NULL, buf, sizeof buf) == 0);
    CHECK(strcmp(buf, "unset") == 0);
    CHECK(orrery_system_json(NULL, buf, sizeof buf) == 0);
    {
        orrery_system *s = orrery_system_new(7);
        CHECK(s != NULL);
        CHECK(orrery_system_star(s, NULL) != 0);
        CHECK(orrery_system_planet(s, 0, NULL) != 0);
        orrery_system_free(s);
    }
    orrery_system_free(NULL);
    CHECK(strcmp(orrery_version(), "1.0.0") == 0);

    if (failures) fprintf(stderr, "%d check(s) failed\n", failures);
    return failures ? 1 : 0;
}
