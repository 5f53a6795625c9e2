#!/bin/sh
# Installs the build into a prefix, moves the installed tree elsewhere, and
# builds on it as users do: find_package, pkg-config, a C program, Python's
# ctypes. Checks the man pages, the bash completion and the Debian package.
# Usage: check-install.sh BUILD_DIR SOURCE_DIR WORK_DIR
set -eu
build=$1 source=$2 work=$3
golden=$source/tests/golden
rm -rf "$work"
mkdir -p "$work"
fail() { echo "check-install: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/first" >/dev/null
mv "$work/first" "$work/moved"
p=$work/moved

for f in bin/orrery bin/orrery-lab include/orrery/orrery.h include/orrery/orrery_c.h lib/liborrery.a \
         lib/liborrery.so.1 lib/cmake/orrery/orreryConfig.cmake lib/cmake/orrery/orreryConfigVersion.cmake \
         lib/pkgconfig/orrery.pc share/man/man1/orrery.1 share/man/man1/orrery-lab.1 \
         share/bash-completion/completions/orrery-lab share/doc/orrery/system.schema.json; do
    [ -e "$p/$f" ] || fail "$f is not installed"
done
[ ! -e "$p/include/accretion" ] || fail "internal headers are installed"
# The archive is left out: GCC writes the build directory into the
# optimiser's (LTO) sections of its objects whatever the prefix maps say. The
# machine code beside them holds no path; a consumer's link never reads it.
if grep -rlF --exclude=liborrery.a -e "$build" -e "$source" "$p"; then
    fail "the files above hold a path of the build or source tree"
fi
[ "$(readelf -d "$p/lib/liborrery.so.1" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')" = liborrery.so.1 ] \
    || fail "liborrery.so.1 has no SONAME liborrery.so.1"
# Only the public interface is exported: no model internals such as the
# accretion steps.
if nm -DC --defined-only "$p/lib/liborrery.so.1" | grep -E "accrete_planets|grow_nucleus|seed_random"; then
    fail "the shared library exports internal functions"
fi

same_as_golden() {  # seed file what
    cmp -s "$golden/seed-$1/New.System" "$2" || fail "$3: the report of seed $1 differs from the reference"
}

# find_package, against the moved tree.
cmake -S "$source/tests/install/find_package" -B "$work/fp" -DCMAKE_PREFIX_PATH="$p" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/fp" >/dev/null
"$work/fp/report_of_seed" 42 >"$work/fp.txt"
same_as_golden 42 "$work/fp.txt" "find_package"

# pkg-config, as a Makefile would use it.
export PKG_CONFIG_PATH="$p/lib/pkgconfig"
# shellcheck disable=SC2046
g++ -std=c++20 -o "$work/pc" "$source/tests/install/report_of_seed.cpp" $(pkg-config --cflags --libs orrery)
LD_LIBRARY_PATH="$p/lib" "$work/pc" 1546 >"$work/pc.txt"
same_as_golden 1546 "$work/pc.txt" "pkg-config"

# A C program, strict C99.
# shellcheck disable=SC2046
gcc -std=c99 -Wall -Wextra -Werror -pedantic -o "$work/c" "$source/tests/install/report_of_seed.c" \
    $(pkg-config --cflags --libs orrery)
LD_LIBRARY_PATH="$p/lib" "$work/c" 21 >"$work/c.txt"
same_as_golden 21 "$work/c.txt" "C"

# Python's ctypes.
if command -v python3 >/dev/null; then
    python3 "$source/tests/install/read_planet.py" "$p/lib/liborrery.so.1" 42 "$golden/seed-42/dump.json"
fi

# The installed programs run from the moved tree.
(cd "$work" && "$p/bin/orrery" >/dev/null && [ -s New.System ]) || fail "the installed orrery did not run"
"$p/bin/orrery-lab" show --seed 2450 >"$work/lab.txt"
same_as_golden 2450 "$work/lab.txt" "installed orrery-lab"

# Man pages render without a warning, and name every option of every command.
for page in orrery orrery-lab; do
    warnings=$(MANWIDTH=80 man --warnings -l "$p/share/man/man1/$page.1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page: $warnings"
done
man_text=$(MANWIDTH=200 man -l "$p/share/man/man1/orrery-lab.1" 2>/dev/null)
completion=$p/share/bash-completion/completions/orrery-lab
commands=$("$p/bin/orrery-lab" --help | sed -n '/^Subcommands:/,$p' | awk 'NR > 1 && NF { print $1 }')
[ -n "$commands" ] || fail "no commands in orrery-lab --help"
for command in $commands; do
    printf '%s\n' "$man_text" | grep -q "^   $command\$" || fail "man orrery-lab has no section for $command"
    grep -q "$command" "$completion" || fail "the completion does not know $command"
    for option in $("$p/bin/orrery-lab" "$command" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
        printf '%s\n' "$man_text" | grep -qF -- "$option" || fail "man orrery-lab does not name $command $option"
        grep -qF -- "$option" "$completion" || fail "the completion does not offer $command $option"
    done
done

# The completion completes commands and --format values.
complete_words() {
    bash -c '. "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _orrery_lab; echo "${COMPREPLY[*]}"' \
        _ "$completion" "$@"
}
[ "$(complete_words orrery-lab ba)" = "batch" ] || fail "completion of 'ba': $(complete_words orrery-lab ba)"
[ "$(complete_words orrery-lab batch --format '')" = "jsonl csv" ] || fail "completion of batch --format"
[ "$(complete_words orrery-lab show --format '')" = "text json" ] || fail "completion of show --format"

# The Debian package holds the same tree under /usr.
(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/*.deb)
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/orrery ./usr/bin/orrery-lab ./usr/include/orrery/orrery.h ./usr/share/man/man1/orrery-lab.1; do
    printf '%s\n' "$contents" | grep -qF " $f" || fail "the package lacks $f"
done
echo "check-install: installed tree moved and used by find_package, pkg-config, C and ctypes; man pages, completion and package checked"
