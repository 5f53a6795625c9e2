/* Orrery for C and for every language that calls C (C#, Rust, Python's
 * ctypes, game engines). C99. No function throws or aborts: failures are
 * return values.
 *
 *   orrery_system *s = orrery_system_new(42);
 *   if (s) {
 *       char buf[65536];
 *       orrery_system_report(s, buf, sizeof buf);
 *       fputs(buf, stdout);
 *       orrery_system_free(s);
 *   }
 *
 * Units are the model's: distances in AU, masses in solar masses, radii in
 * km, velocities in cm/s, acceleration in cm/s2, gravity in Earth gravities,
 * pressure in millibars, temperatures in kelvin, year in days, day in hours,
 * the star's lifetime and age in years. A gas giant's surface values hold
 * ORRERY_HUGE_VALUE.
 *
 * Thread safety: a system is immutable once made; any number of threads may
 * read one at once. orrery_system_new may be called from any thread.
 */
#ifndef ORRERY_ORRERY_C_H
#define ORRERY_ORRERY_C_H

#include <stddef.h>
#include <stdint.h>

/* Exported from the shared library, which hides everything else. */
#if defined(__GNUC__) || defined(__clang__)
#define ORRERY_C_API __attribute__((visibility("default")))
#else
#define ORRERY_C_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Marks a gas giant's surface values as not applicable. */
#define ORRERY_HUGE_VALUE 9.9999e37

/* One generated system; opaque. */
typedef struct orrery_system orrery_system;

/* The central star. */
typedef struct orrery_star {
    double mass_ratio;         /* solar masses */
    double luminosity_ratio;   /* relative to the sun */
    double main_sequence_life; /* years */
    double age;                /* years */
    double ecosphere_radius;   /* AU */
    double greenhouse_radius;  /* AU */
} orrery_star;

/* One planet: every field of the planet record, same names and types. Flags
 * are ints holding 0 or 1. */
typedef struct orrery_planet {
    double distance;             /* AU, semi-major axis */
    double eccentricity;
    double mass;                 /* solar masses */
    int is_gas_giant;
    int orbit_zone;              /* 1, 2 or 3 */
    double radius;               /* km, equatorial */
    double density;              /* g/cm3 */
    double year_days;            /* days */
    double day_hours;            /* hours */
    int in_resonance;            /* spin locked in resonance with the orbit */
    int axial_tilt;              /* degrees */
    double escape_velocity;      /* cm/s */
    double surface_accel;        /* cm/s2 */
    double surface_gravity;      /* Earth gravities */
    double rms_velocity;         /* cm/s, molecular weight 28 */
    double min_molecular_weight; /* smallest molecular weight retained */
    double volatile_inventory;   /* Earth-relative */
    double surface_pressure;     /* millibars */
    int runaway_greenhouse;
    double boiling_point;        /* kelvin */
    double albedo;
    double surface_temp;         /* kelvin */
    double hydrosphere;          /* fraction of the surface */
    double cloud_cover;          /* fraction of the surface */
    double ice_cover;            /* fraction of the surface */
} orrery_planet;

/* The system the model grows from seed (the same seed gives the same system
 * everywhere). NULL when memory runs out. Free it with orrery_system_free. */
ORRERY_C_API orrery_system *orrery_system_new(uint32_t seed);

/* The seed the system was made from; 0 for a null s. */
ORRERY_C_API uint32_t orrery_system_seed(const orrery_system *s);

/* The number of planets; 0 for a null s. */
ORRERY_C_API size_t orrery_system_planet_count(const orrery_system *s);

/* Copies the star into *out. 0 on success; non-zero, *out untouched, for a
 * null s or out. */
ORRERY_C_API int orrery_system_star(const orrery_system *s, orrery_star *out);

/* Copies planet number index (from 0, in the report's order) into *out. 0 on
 * success; non-zero, *out untouched, for a null s or out or an index at or
 * beyond the planet count. */
ORRERY_C_API int orrery_system_planet(const orrery_system *s, size_t index, orrery_planet *out);

/* The report, exactly the text of "New.System", like snprintf: writes at
 * most size - 1 bytes and a terminating NUL into buf (nothing when size is
 * 0; buf may then be NULL) and returns the report's whole length, so that a
 * return >= size means the text was cut short. Returns 0 for a null s or
 * when memory runs out; a report is never empty. */
ORRERY_C_API size_t orrery_system_report(const orrery_system *s, char *buf, size_t size);

/* The system as one line of JSON (no newline), as orrery-lab batch writes
 * it; the same conventions as orrery_system_report. */
ORRERY_C_API size_t orrery_system_json(const orrery_system *s, char *buf, size_t size);

/* Frees a system; NULL is fine. */
ORRERY_C_API void orrery_system_free(orrery_system *s);

/* The library's version, e.g. "1.0.0". */
ORRERY_C_API const char *orrery_version(void);

#ifdef __cplusplus
}
#endif

#endif /* ORRERY_ORRERY_C_H */
