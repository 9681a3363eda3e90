#include "simulation.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace parmix::sim {

namespace {

constexpr int kMillion = 1000000;

int trueHMillionths(Ancestry kind, Random& random) {
  switch (kind) {
    case Ancestry::PureR: return kMillion;
    case Ancestry::PureS: return 0;
    case Ancestry::F1: return kMillion / 2;
    case Ancestry::BCR: return 3 * kMillion / 4;
    case Ancestry::BCS: return kMillion / 4;
    case Ancestry::Uniform: break;
  }
  return static_cast<int>(random.below(kMillion + 1));
}

std::string numbered(const char* stem, int number, int width) {
  std::string digits = std::to_string(number);
  if (static_cast<int>(digits.size()) < width)
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  return stem + digits;
}

// A random composition of total into `parts` non-negative parts: the gaps
// between sorted uniform cut points.
std::vector<int> drawComposition(Random& random, int total, int parts) {
  std::vector<int> cuts(static_cast<std::size_t>(parts - 1));
  for (int& cut : cuts) cut = static_cast<int>(random.below(static_cast<std::uint64_t>(total) + 1));
  std::sort(cuts.begin(), cuts.end());
  std::vector<int> composition(static_cast<std::size_t>(parts));
  int previous = 0;
  for (int k = 0; k < parts - 1; ++k) {
    composition[k] = cuts[k] - previous;
    previous = cuts[k];
  }
  composition[parts - 1] = total - previous;
  return composition;
}

}  // namespace

int drawDifference(Random& random, const Differentiation& spread) {
  const std::int64_t range = spread.high - spread.low;
  if (!spread.skewed)
    return spread.low + static_cast<int>(random.below(static_cast<std::uint64_t>(range) + 1));
  // The square of a uniform draw: a quarter of the loci differ by less than
  // a sixteenth of the range, as in panels where few markers are diagnostic.
  const std::int64_t u = static_cast<std::int64_t>(random.below(1001));
  return spread.low + static_cast<int>(range * u * u / 1000000);
}

Locus drawLocus(Random& random, bool dominant, int alleles, const Differentiation& spread) {
  const int difference = drawDifference(random, spread);
  Locus locus;
  locus.dominant = dominant;
  if (dominant) {
    const int low = static_cast<int>(random.below(static_cast<std::uint64_t>(kScale - difference) + 1));
    const int high = low + difference;
    const bool highInR = random.below(2) == 0;
    locus.freqR = {highInR ? high : low};
    locus.freqS = {highInR ? low : high};
    return locus;
  }
  const std::vector<int> background = drawComposition(random, kScale - difference, alleles);
  const int alleleR = static_cast<int>(random.below(static_cast<std::uint64_t>(alleles)));
  const int alleleS =
      (alleleR + 1 + static_cast<int>(random.below(static_cast<std::uint64_t>(alleles - 1)))) %
      alleles;
  locus.freqR = background;
  locus.freqS = background;
  locus.freqR[alleleR] += difference;
  locus.freqS[alleleS] += difference;
  return locus;
}

std::vector<bool> drawDominantLoci(Random& random, int loci, double share) {
  const int count = static_cast<int>(std::lround(share * loci));
  std::vector<int> order(static_cast<std::size_t>(loci));
  std::iota(order.begin(), order.end(), 0);
  std::vector<bool> dominant(static_cast<std::size_t>(loci), false);
  for (int i = 0; i < count; ++i) {
    const int j = i + static_cast<int>(random.below(static_cast<std::uint64_t>(loci - i)));
    std::swap(order[i], order[j]);
    dominant[order[i]] = true;
  }
  return dominant;
}

std::array<int, kAncestryKinds> apportion(int n,
                                          const std::array<double, kAncestryKinds>& weights) {
  const std::vector<int> counts = apportionWeights(n, {weights.begin(), weights.end()});
  std::array<int, kAncestryKinds> result{};
  std::copy(counts.begin(), counts.end(), result.begin());
  return result;
}

std::vector<int> apportionWeights(int n, const std::vector<double>& weights) {
  const std::size_t kinds = weights.size();
  double total = 0.0;
  for (double w : weights) total += w;
  std::vector<int> counts(kinds, 0);
  std::vector<double> remainder(kinds, 0.0);
  int given = 0;
  for (std::size_t k = 0; k < kinds; ++k) {
    const double quota = n * (weights[k] / total);
    counts[k] = static_cast<int>(std::floor(quota));
    remainder[k] = quota - counts[k];
    given += counts[k];
  }
  while (given < n) {
    std::size_t best = 0;
    for (std::size_t k = 1; k < kinds; ++k)
      if (remainder[k] > remainder[best]) best = k;
    ++counts[best];
    remainder[best] = -1.0;
    ++given;
  }
  return counts;
}

std::vector<Individual> drawIndividuals(Random& random, const Options& options) {
  const std::array<int, kAncestryKinds> counts = apportion(options.individuals, options.mix);
  std::vector<Ancestry> kinds;
  kinds.reserve(static_cast<std::size_t>(options.individuals));
  for (int k = 0; k < kAncestryKinds; ++k)
    kinds.insert(kinds.end(), static_cast<std::size_t>(counts[k]), static_cast<Ancestry>(k));
  for (std::size_t i = kinds.size(); i > 1; --i)
    std::swap(kinds[i - 1], kinds[random.below(i)]);
  const int width = std::max(4, static_cast<int>(std::to_string(options.individuals).size()));
  std::vector<Individual> individuals(kinds.size());
  for (std::size_t j = 0; j < kinds.size(); ++j) {
    individuals[j].name = numbered("ind", static_cast<int>(j) + 1, width);
    individuals[j].kind = kinds[j];
    individuals[j].hMillionths = trueHMillionths(kinds[j], random);
  }
  return individuals;
}

std::vector<int> cumulative(const Locus& locus, bool ofR) {
  const std::vector<int>& freq = ofR ? locus.freqR : locus.freqS;
  if (locus.dominant) return {freq[0], kScale};
  std::vector<int> sums(freq.size());
  std::partial_sum(freq.begin(), freq.end(), sums.begin());
  return sums;
}

int drawAllele(Random& random, double fromR, const std::vector<int>& cumR,
               const std::vector<int>& cumS) {
  const std::vector<int>& cum = random.unit() < fromR ? cumR : cumS;
  const int x = static_cast<int>(random.below(kScale));
  int allele = 0;
  while (cum[allele] <= x) ++allele;
  return allele + 1;
}

Designation drawDesignation(Random& random, const Locus& locus, const std::vector<int>& cumR,
                            const std::vector<int>& cumS, const Individual& individual,
                            double missingShare) {
  return drawDesignation(random, locus, cumR, cumS, chanceFromR(individual), missingShare);
}

Designation drawDesignation(Random& random, const Locus& locus, const std::vector<int>& cumR,
                            const std::vector<int>& cumS, double fromR, double missingShare) {
  Designation d;
  if (missingShare > 0.0 && random.unit() < missingShare) {
    d.missing = true;
    return d;
  }
  const int a = drawAllele(random, fromR, cumR, cumS);
  const int b = drawAllele(random, fromR, cumR, cumS);
  if (locus.dominant) {
    d.first = (a == 1 || b == 1) ? 1 : 0;  // allele 1 is the dominant one
  } else {
    d.first = a;
    d.second = b;
  }
  return d;
}

void drawBiallelicRow(Random& random, const Locus& locus, const std::vector<double>& fromR,
                      double missingShare, std::vector<Designation>& drawn) {
  // Allele 1 is drawn when the uniform draw falls below its frequency.
  const std::uint64_t firstR = static_cast<std::uint64_t>(locus.freqR[0]);
  const std::uint64_t firstS = static_cast<std::uint64_t>(locus.freqS[0]);
  const auto copy = [&](double chance) {
    const std::uint64_t first = random.unit() < chance ? firstR : firstS;
    return random.below(kScale) < first ? 1 : 2;
  };
  drawn.resize(fromR.size());
  for (std::size_t j = 0; j < fromR.size(); ++j) {
    Designation& d = drawn[j];
    d.missing = missingShare > 0.0 && random.unit() < missingShare;
    if (d.missing) {
      d.first = d.second = 0;
      continue;
    }
    d.first = copy(fromR[j]);
    d.second = copy(fromR[j]);
  }
}

std::vector<LocusCline> drawClines(std::uint64_t seed, int loci, const ClineSettings& settings) {
  std::vector<LocusCline> clines(static_cast<std::size_t>(loci));
  if (!(settings.share > 0.0)) return clines;
  // A stream of its own, so the genotypes of a seed's other loci stay.
  Random random(seed ^ 0x9e3779b97f4a7c15ULL);
  const std::vector<bool> chosen = drawDominantLoci(random, loci, settings.share);
  for (int i = 0; i < loci; ++i) {
    if (!chosen[i]) continue;
    const double logV = std::log(settings.vLow) +
                        random.unit() * (std::log(settings.vHigh) - std::log(settings.vLow));
    clines[i].v = settings.vLow == settings.vHigh ? settings.vLow : std::exp(logV);
    clines[i].centre = settings.centreLow + random.unit() * (settings.centreHigh - settings.centreLow);
  }
  return clines;
}

double chanceFromR(double h, const LocusCline& c) {
  if (c.v == 1.0 && c.centre == 0.5) return h;
  if (h <= 0.0 || h >= 1.0) return h;
  const double z = c.v * (std::log(h / (1 - h)) - std::log(c.centre / (1 - c.centre)));
  return 1.0 / (1.0 + std::exp(-z));
}

std::string locusName(int index, int loci) {
  const std::size_t width = std::max<std::size_t>(5, std::to_string(loci).size());
  std::string digits = std::to_string(index + 1);
  digits.insert(0, width - digits.size(), '0');
  return "L" + digits;
}

int drawAlleleCount(Random& random, const Options& options) {
  if (options.minAlleles == options.maxAlleles) return options.minAlleles;
  const auto span = static_cast<std::uint64_t>(options.maxAlleles - options.minAlleles + 1);
  return options.minAlleles + static_cast<int>(random.below(span));
}

}  // namespace parmix::sim
