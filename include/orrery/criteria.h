// What a search looks for in a planet. The defaults describe an Earth-like
// world; orrery-lab find and every other front end share them.
//
// Thread safety: plain values and a pure function.
#pragma once

#include <orrery/export.h>

#include <orrery/system.h>

namespace orrery {

// A closed interval [lo, hi]; an open end is -HUGE_VAL or HUGE_VAL. NaN lies
// in no interval.
struct Interval {
    double lo = 0.0;
    double hi = 0.0;
    bool contains(double v) const { return v >= lo && v <= hi; }
};

struct Criteria {
    Interval temp_c{0.0, 30.0};         // surface temperature, degrees C (kelvin - 273.0)
    Interval gravity{0.8, 1.2};         // Earth gravities
    Interval pressure_atm{0.5, 2.0};    // atmospheres as the report counts them: millibars / 1000
    Interval hydrosphere_pct{30.0, 90.0};  // percent of the surface under water
    bool allow_runaway_greenhouse = false;
};

// Whether a rocky planet meets every criterion (a gas giant never does).
ORRERY_API bool meets(const Planet& planet, const Criteria& criteria);

}  // namespace orrery
