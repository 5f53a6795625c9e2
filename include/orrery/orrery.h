// Orrery: grows a random planetary system out of a dust disc around a star.
//
//   orrery::Generation g;              // one generation's whole state
//   orrery::start_generation(g, seed);
//   orrery::generate_system(g);        // g.star, g.planets
//   std::string text;
//   orrery::append_system_report(text, g.star, g.planets);
#pragma once

#include "driver/generation.h"
#include "driver/planet.h"
#include "driver/progress.h"
#include "report/report.h"
