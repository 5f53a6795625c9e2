#include <orrery/criteria.h>

namespace orrery {

bool meets(const Planet& p, const Criteria& c) {
    // A NaN fails every interval, so a value the model could not compute
    // never counts as a match.
    return !p.is_gas_giant && c.temp_c.contains(p.surface_temp - 273.0) && c.gravity.contains(p.surface_gravity) &&
           c.pressure_atm.contains(p.surface_pressure / 1000.0) &&
           c.hydrosphere_pct.contains(p.hydrosphere * 100.0) &&
           (c.allow_runaway_greenhouse || !p.runaway_greenhouse);
}

}  // namespace orrery
