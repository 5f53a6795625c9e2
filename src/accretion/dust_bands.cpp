// The disc as bands of distance that still hold dust and gas, or have been
// swept clear by a body.
#include <stdexcept>
#include <string>

#include "accretion/accretion.h"
#include "generation/generation.h"

namespace orrery {

void reset_disc(Generation& g, double inner, double outer) {
    AccretionState& acc = g.accretion;
    acc.dust_bands.clear();
    acc.dust_bands.push_back(DustBand{inner, outer, 1, 1});
    ++acc.band_changes;
    g.planets.clear();
    acc.dust_left = 1;
    acc.cloud_eccentricity = 0.2;
}

int dust_in_range(const Generation& g, double lo, double hi) {
    const std::vector<DustBand>& bands = g.accretion.dust_bands;
    std::size_t n = bands.size();
    std::size_t i = 0;
    while (i < n && !(bands[i].outer_edge >= lo)) ++i;
    if (i == n) return 0;
    // The first band reaching lo counts even when it starts beyond hi.
    if (bands[i].has_dust) return 1;
    for (++i; i < n && bands[i].inner_edge < hi; ++i)
        if (bands[i].has_dust) return 1;
    return 0;
}

void collect_dust_spans(AccretionState& acc) {
    acc.dust_spans.clear();
    bool extends = false;
    for (std::size_t i = 0; i < acc.dust_bands.size(); ++i) {
        const DustBand& b = acc.dust_bands[i];
        if (!b.has_dust) {
            extends = false;
        } else if (extends) {
            acc.dust_spans.back().outer_edge = b.outer_edge;
        } else {
            acc.dust_spans.push_back(DustSpan{b.inner_edge, b.outer_edge, i == 0});
            extends = true;
        }
    }
    acc.spans_of_change = acc.band_changes;
}

void update_dust_bands(Generation& g, double lo, double hi, double mass, double crit,
                       double inj_lo, double inj_hi) {
    AccretionState& acc = g.accretion;
    ++acc.band_changes;
    // A body above the critical mass takes the gas of the range it sweeps.
    int gas_remains = mass <= crit ? 1 : 0;
    acc.dust_left = 0;

    // Split and mark: each band is cut where the swept range begins and ends
    // inside it, and the swept pieces lose their dust (and their gas to a
    // body heavy enough). New pieces are not revisited.
    std::vector<DustBand>& out = acc.scratch;
    out.clear();
    for (const DustBand& band : acc.dust_bands) {
        double in = band.inner_edge;
        double ou = band.outer_edge;
        DustBand swept{0.0, 0.0, 0, band.has_gas ? gas_remains : 0};
        if (lo > in && hi < ou) {
            out.push_back(DustBand{in, lo, band.has_dust, band.has_gas});
            out.push_back(DustBand{lo, hi, swept.has_dust, swept.has_gas});
            out.push_back(DustBand{hi, ou, band.has_dust, band.has_gas});
        } else if (hi > in && hi < ou) {
            out.push_back(DustBand{in, hi, swept.has_dust, swept.has_gas});
            out.push_back(DustBand{hi, ou, band.has_dust, band.has_gas});
        } else if (lo > in && lo < ou) {
            out.push_back(DustBand{in, lo, band.has_dust, band.has_gas});
            out.push_back(DustBand{lo, ou, swept.has_dust, swept.has_gas});
        } else if (lo <= in && hi >= ou) {
            out.push_back(DustBand{in, ou, swept.has_dust, swept.has_gas});
        } else {
            out.push_back(band);
        }
    }

    // Dust test and pairwise merge: a band is tested with the extent it had
    // before absorbing its neighbour, and the absorbed band is never tested.
    std::vector<DustBand>& bands = acc.dust_bands;
    bands.clear();
    std::size_t n = out.size();
    for (std::size_t r = 0; r < n;) {
        DustBand b = out[r];
        if (b.has_dust && b.outer_edge >= inj_lo && b.inner_edge <= inj_hi) acc.dust_left = 1;
        if (r + 1 < n && out[r + 1].has_dust == b.has_dust && out[r + 1].has_gas == b.has_gas) {
            b.outer_edge = out[r + 1].outer_edge;
            r += 2;
        } else {
            r += 1;
        }
        bands.push_back(b);
    }
}

void check_dust_bands(const AccretionState& acc, double inner, double outer) {
    const std::vector<DustBand>& bands = acc.dust_bands;
    auto fail = [](const std::string& what) { throw std::logic_error("dust bands: " + what); };
    if (bands.empty()) fail("the disc has no band");
    if (bands.front().inner_edge != inner) fail("the first band does not start at the inner dust limit");
    if (bands.back().outer_edge != outer) fail("the last band does not end at the outer dust limit");
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const DustBand& b = bands[i];
        if (!(b.inner_edge < b.outer_edge)) fail("band " + std::to_string(i) + " is empty or reversed");
        if ((b.has_dust != 0 && b.has_dust != 1) || (b.has_gas != 0 && b.has_gas != 1))
            fail("band " + std::to_string(i) + " has a flag other than 0 or 1");
        if (i + 1 < bands.size() && b.outer_edge != bands[i + 1].inner_edge)
            fail("bands " + std::to_string(i) + " and " + std::to_string(i + 1) + " are not contiguous");
    }
}

}  // namespace orrery
