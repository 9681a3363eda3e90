// The simulator's VCF: allele spellings distinct for any allele count,
// genotype text, and a written file read back through htslib, whose
// reference samples carry only the alleles their population has and whose
// study individuals carry exactly the designations given.

#include "vcf_writer.hpp"

#include <htslib/hts.h>
#include <htslib/vcf.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "support/temp_files.hpp"

namespace parmix::sim {
namespace {

TEST(SimVcf, AlleleSpellingsAreDistinctAndValidBases) {
  std::set<std::string> seen;
  for (int k = 1; k <= 1000; ++k) {
    const std::string allele = vcfAllele(k);
    EXPECT_TRUE(seen.insert(allele).second) << k;
    EXPECT_EQ(allele.find_first_not_of("ACGT"), std::string::npos) << k;
  }
  EXPECT_EQ(vcfAllele(1), "A");
  EXPECT_EQ(vcfAllele(4), "T");
}

TEST(SimVcf, GenotypeTextCountsAllelesFromZero) {
  struct Case {
    Designation d;
    const char* text;
  };
  const Case cases[] = {{{false, 1, 1}, "0/0"}, {{false, 2, 1}, "1/0"},
                        {{false, 11, 12}, "10/11"}, {{true, 0, 0}, "./."}};
  for (const Case& c : cases) {
    std::string line = "x";
    appendVcfGenotype(line, c.d);
    EXPECT_EQ(line, std::string("x") + c.text);
  }
}

struct TempPrefix {
  parmix::test::TempDir folder;
  const std::string& dir = folder.path();
};

TEST(SimVcf, WrittenFileReadsBackWithTheGivenGenotypes) {
  const TempPrefix temp;
  Options options;
  options.references = 6;
  std::vector<Individual> individuals(2);
  individuals[0].name = "ind1";
  individuals[1].name = "ind2";
  // R carries allele 1 only, S allele 3 only.
  Locus locus;
  locus.freqR = {kScale, 0, 0};
  locus.freqS = {0, 0, kScale};
  const std::vector<int> cumR = cumulative(locus, true), cumS = cumulative(locus, false);
  {
    VcfOutput vcf(temp.dir + "/x", options, individuals);
    ASSERT_TRUE(vcf.isOpen());
    ReferenceSamples references(options.seed, options.references, 0.0);
    references.draw(locus, cumR, cumS);
    vcf.writeLocus(0, "L1", locus, references, {{false, 2, 3}, {true, 0, 0}});
    references.draw(locus, cumR, cumS);
    vcf.writeLocus(1, "L2", locus, references, {{false, 1, 1}, {false, 3, 2}});
    ASSERT_TRUE(vcf.close());
  }
  htsFile* file = hts_open((temp.dir + "/x.vcf.gz").c_str(), "r");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(hts_get_format(file)->compression, bgzf);
  bcf_hdr_t* header = bcf_hdr_read(file);
  ASSERT_EQ(bcf_hdr_nsamples(header), 14);
  EXPECT_STREQ(header->samples[0], "refR1");
  EXPECT_STREQ(header->samples[6], "refS1");
  EXPECT_STREQ(header->samples[13], "ind2");
  bcf1_t* record = bcf_init();
  int32_t* gt = nullptr;
  int capacity = 0;
  const int expectedStudy[2][4] = {{1, 2, -1, -1}, {0, 0, 2, 1}};
  for (int locusIndex = 0; locusIndex < 2; ++locusIndex) {
    ASSERT_EQ(bcf_read(file, header, record), 0);
    EXPECT_EQ(record->pos + 1, 100 * (locusIndex + 1));
    EXPECT_EQ(record->n_allele, 3);
    ASSERT_EQ(bcf_get_genotypes(header, record, &gt, &capacity), 28);
    for (int s = 0; s < 12; ++s)
      for (int c = 0; c < 2; ++c) EXPECT_EQ(bcf_gt_allele(gt[2 * s + c]), s < 6 ? 0 : 2);
    for (int c = 0; c < 4; ++c) {
      const int32_t value = gt[24 + c];
      EXPECT_EQ(bcf_gt_is_missing(value) ? -1 : bcf_gt_allele(value), expectedStudy[locusIndex][c]);
    }
  }
  EXPECT_EQ(bcf_read(file, header, record), -1);
  std::free(gt);
  bcf_destroy(record);
  bcf_hdr_destroy(header);
  hts_close(file);
}

TEST(SimVcf, PopulationMapNamesEveryoneOnce) {
  const TempPrefix temp;
  std::vector<Individual> individuals(1);
  individuals[0].name = "ind1";
  ASSERT_TRUE(writePopulationMap(temp.dir + "/m.txt", 2, individuals));
  std::FILE* f = std::fopen((temp.dir + "/m.txt").c_str(), "r");
  char text[256] = {};
  const std::size_t n = std::fread(text, 1, sizeof text - 1, f);
  std::fclose(f);
  EXPECT_EQ(std::string(text, n), "refR1\tR\nrefR2\tR\nrefS1\tS\nrefS2\tS\nind1\tstudy\n");
  EXPECT_FALSE(writePopulationMap(temp.dir + "/no/such/m.txt", 2, individuals));
}

}  // namespace
}  // namespace parmix::sim
