// Orrery: grows a random planetary system out of a dust disc around a star.
//
//   #include <orrery/orrery.h>
//
//   orrery::System s = orrery::make_system(42);   // same seed, same system
//   std::string text = orrery::format_report(s);  // "New.System", exactly
//   std::string line = orrery::to_json(s);        // one JSON line
//
// This header brings in the whole public interface; each part can also be
// included on its own.
#pragma once

#include <orrery/criteria.h>
#include <orrery/formats.h>
#include <orrery/generator.h>
#include <orrery/pictures.h>
#include <orrery/progress.h>
#include <orrery/report.h>
#include <orrery/seed.h>
#include <orrery/stats.h>
#include <orrery/system.h>
#include <orrery/version.h>
