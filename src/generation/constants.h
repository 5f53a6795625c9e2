// Constants that several of the model's formulas share, each named once and
// kept exactly as the formulas store them (EARTH_MASSES_PER_SOLAR_MASS is
// public, in <orrery/system.h>). The rounded values are part of every result:
// a more precise 4 pi or 2 pi would change every system.
#pragma once

namespace orrery {

// Grams in one solar mass.
inline constexpr double GRAMS_PER_SOLAR_MASS = 1.989e33;

// Centimetres in one kilometre: radii are kept in km, the physical formulas
// work in cm.
inline constexpr double CM_PER_KM = 100000.0;

// Earth's equatorial radius in km, the scale of the hydrosphere and the
// surface pressure.
inline constexpr double EARTH_RADIUS_KM = 6378.0;

// 4 pi, rounded to ten decimals.
inline constexpr double FOUR_PI = 12.5663706144;

// Radians in one turn of a planet, 2 pi rounded to ten decimals; the day
// length turns a spin rate into hours with it.
inline constexpr double RADIANS_PER_ROTATION = 6.2831853072;

}  // namespace orrery
