"""Loads the installed shared library with ctypes and reads a planet."""
import ctypes
import json
import sys

lib = ctypes.CDLL(sys.argv[1])
seed = int(sys.argv[2])
with open(sys.argv[3]) as f:
    dump = json.load(f)

DOUBLE, INT = ctypes.c_double, ctypes.c_int
FIELDS = [("distance", DOUBLE), ("eccentricity", DOUBLE), ("mass", DOUBLE), ("is_gas_giant", INT),
          ("orbit_zone", INT), ("radius", DOUBLE), ("density", DOUBLE), ("year_days", DOUBLE),
          ("day_hours", DOUBLE), ("in_resonance", INT), ("axial_tilt", INT), ("escape_velocity", DOUBLE),
          ("surface_accel", DOUBLE), ("surface_gravity", DOUBLE), ("rms_velocity", DOUBLE),
          ("min_molecular_weight", DOUBLE), ("volatile_inventory", DOUBLE), ("surface_pressure", DOUBLE),
          ("runaway_greenhouse", INT), ("boiling_point", DOUBLE), ("albedo", DOUBLE), ("surface_temp", DOUBLE),
          ("hydrosphere", DOUBLE), ("cloud_cover", DOUBLE), ("ice_cover", DOUBLE)]


class Planet(ctypes.Structure):
    _fields_ = FIELDS


lib.orrery_system_new.restype = ctypes.c_void_p
lib.orrery_system_new.argtypes = [ctypes.c_uint32]
lib.orrery_system_planet_count.restype = ctypes.c_size_t
lib.orrery_system_planet_count.argtypes = [ctypes.c_void_p]
lib.orrery_system_planet.restype = ctypes.c_int
lib.orrery_system_planet.argtypes = [ctypes.c_void_p, ctypes.c_size_t, ctypes.POINTER(Planet)]
lib.orrery_system_free.argtypes = [ctypes.c_void_p]

s = lib.orrery_system_new(seed)
assert s, "orrery_system_new failed"
count = lib.orrery_system_planet_count(s)
assert count == len(dump["planets"]), (count, len(dump["planets"]))
for i, expected in enumerate(dump["planets"]):
    p = Planet()
    assert lib.orrery_system_planet(s, i, ctypes.byref(p)) == 0
    for name, kind in FIELDS:
        want = expected[name]
        if want is None:  # a value the record leaves unset (a gas giant's cover)
            continue
        if isinstance(want, str):  # a value JSON cannot hold, as text
            want = float(want)
        got = getattr(p, name)
        assert got == want or (got != got and want != want), (i, name, got, want)
p = Planet()
assert lib.orrery_system_planet(s, count, ctypes.byref(p)) != 0
lib.orrery_system_free(s)
print(f"seed {seed}: {count} planets read through ctypes, every field as the reference dump")
