// The central star: drawn before the disc forms, completed after accretion
// (its age is the run's draw after the last accretion pass).
#pragma once

namespace orrery {

struct Generation;

// Main-sequence luminosity, relative to the sun, of a star of `mass` solar
// masses.
double luminosity_from_mass(double mass);

// Draws the star's mass and sets its luminosity.
void form_star(Generation& g);

// The star's main-sequence lifetime, its age (a draw), and the ecosphere and
// greenhouse radii.
void complete_star(Generation& g);

}  // namespace orrery
