// Systems as data for other programs: JSON and CSV. Every number is written
// as the shortest text that reads back as the same double; a value that does
// not apply (a gas giant's surface) or is not a finite number is JSON null or
// an empty CSV cell. Fields carry the record's names, in record order.
//
// These are the formats of orrery-lab batch, show --format json and find
// --format jsonl, and every front end writes them through these functions.
//
// Thread safety: pure functions of their arguments.
#pragma once

#include <orrery/export.h>

#include <cstdint>
#include <string>

#include <orrery/system.h>

namespace orrery {

// The system as one line of compact JSON, without a newline:
// {"seed":S,"star":{...},"planets":[{"number":1,"kind":"rocky",...},...]}.
ORRERY_API std::string to_json(const System& system);

// The same object indented by two spaces, newline-terminated: a document for
// people to read.
ORRERY_API std::string to_json_document(const System& system);

// One planet as the object it is in the system's "planets" list; number is
// its place in the list, from 1.
ORRERY_API std::string planet_to_json(const Planet& planet, int number);

// {"seed":S,"planet":{...}} without a newline: one planet named by its
// system's seed.
ORRERY_API std::string found_planet_json(std::uint32_t seed, int number, const Planet& planet);

// The CSV header row, newline included: seed, number, kind, then every
// planet field.
ORRERY_API std::string csv_header();

// One CSV row per planet, each newline-terminated, appended to out.
ORRERY_API void append_csv_rows(std::string& out, const System& system);

}  // namespace orrery
