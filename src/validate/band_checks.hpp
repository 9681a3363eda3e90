#ifndef PARMIX_VALIDATE_BAND_CHECKS_HPP
#define PARMIX_VALIDATE_BAND_CHECKS_HPP

// Tests of a dominant locus's band counts in the study individuals against
// the band frequencies of the two parental populations.  Whatever mix of
// pure, hybrid and backcrossed individuals a study holds, each individual's
// chance of showing the band lies between the two parental band
// frequencies (1 - (1 - p)^2 is monotone in the allele frequency p, and an
// individual's allele frequency is a mixture of the parents'), so the
// study's band frequency must lie between them too.  Pure arithmetic: no
// I/O.

namespace parmix {

// Where a band count lies against the range [low, high] of band
// frequencies.
enum class BandPlace { kInside, kAbove, kBelow };

// kAbove when `bands` of `scored` individuals is so many that a band
// frequency of `high` gives at least that many with a probability below
// `alpha` (one-sided binomial tail); kBelow likewise for few bands against
// `low`; kInside otherwise, and always when scored is 0.
BandPlace placeBandCount(int bands, int scored, double low, double high, double alpha);

// The band frequency that the parental file would have given had the
// allele frequency v been meant: 1 - (1 - v)^2.
double bandFromAlleleFrequency(double v);

// The tail probabilities used for the notes of a check: a single locus is
// named outside the parental range only beyond kBandAlpha; the file-wide
// sign of allele frequencies counts loci beyond kSignAlpha.
constexpr double kBandAlpha = 1e-6;
constexpr double kSignAlpha = 1e-3;
// Loci with fewer scored study individuals are not tested.
constexpr int kMinScored = 10;

}  // namespace parmix

#endif
