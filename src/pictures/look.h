// How the pictures show a planet: its colour, water and locked spin, shared
// by the diagram, the page and the plots.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <orrery/system.h>

namespace orrery {

// Okabe and Ito's palette, chosen because its colours stay apart for readers
// with any of the common colour-vision deficiencies.
namespace palette {
inline constexpr char BLACK[] = "#000000";
inline constexpr char ORANGE[] = "#E69F00";
inline constexpr char SKY_BLUE[] = "#56B4E9";
inline constexpr char BLUISH_GREEN[] = "#009E73";
inline constexpr char YELLOW[] = "#F0E442";
inline constexpr char BLUE[] = "#0072B2";
inline constexpr char VERMILLION[] = "#D55E00";
inline constexpr char REDDISH_PURPLE[] = "#CC79A7";
}  // namespace palette

// What a planet looks like in the diagram.
enum class PlanetLook { gas_giant, rocky_hot, rocky_temperate, rocky_cold, rocky_unknown };

// Rocky planets are cold below 0 degrees C, temperate up to 50 degrees C,
// hot above (degrees C as the report gives them: kelvin - 273.0).
PlanetLook planet_look(const Planet& p);

// Water is drawn where it covers at least half of a rocky planet's surface.
bool shows_water(const Planet& p);

// Whether the spin is locked to the orbit: resonant on an eccentric orbit,
// or one day per year on a near-circular one.
bool spin_locked(const Planet& p);

}  // namespace orrery
