// A PLINK panel read straight from the .bed rows is the panel read site by
// site: the same filters' counts, frequencies, notes and stored genotypes,
// bit for bit, whatever the layout of the samples in the .fam and whatever
// the study selects; and the row path's translation of the calls is the
// one the PLINK reader's designations give.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "input/errors.hpp"
#include "input/panel_reader.hpp"
#include "support/temp_files.hpp"

namespace parmix::genome::test {
namespace {

using parmix::test::TempDir;

// Two bits a sample, the first sample in the lowest bits.  The bits past
// the last sample read as missing calls, which no reader may count.
std::string rowOf(const std::vector<unsigned>& codes) {
  std::string bytes((codes.size() + 3) / 4, '\x55');
  for (std::size_t i = 0; i < codes.size(); ++i)
    bytes[i / 4] = static_cast<char>(bytes[i / 4] & ~(3 << (2 * (i % 4))));
  for (std::size_t i = 0; i < codes.size(); ++i)
    bytes[i / 4] = static_cast<char>(bytes[i / 4] | static_cast<char>(codes[i] << (2 * (i % 4))));
  return bytes;
}

struct Fileset {
  std::vector<std::string> roles;   // "R", "S" or a study population, in .fam order
  std::vector<std::string> bim;     // one line each
  std::vector<std::vector<unsigned>> rows;
};

// Writes DIR/set.{bed,bim,fam} and DIR/pops.txt; the sample of .fam line i
// is named "i<i>".
std::string write(const TempDir& dir, const Fileset& set) {
  std::string fam, pops, bim, bed("\x6c\x1b\x01", 3);
  for (std::size_t i = 0; i < set.roles.size(); ++i) {
    fam += "f i" + std::to_string(i) + " 0 0 0 -9\n";
    pops += "i" + std::to_string(i) + " " + set.roles[i] + "\n";
  }
  for (const std::string& line : set.bim) bim += line + "\n";
  for (const auto& row : set.rows) bed += rowOf(row);
  dir.write("set.fam", fam);
  dir.write("set.bim", bim);
  dir.write("set.bed", bed);
  dir.write("pops.txt", pops);
  return dir.file("set");
}

importer::Options optionsFor(const TempDir& dir, const std::string& prefix) {
  importer::Options options;
  options.format = importer::InputFormat::Plink;
  options.input = prefix;
  options.populationMap = dir.file("pops.txt");
  options.populationR = "R";
  options.populationS = "S";
  return options;
}

// Every study individual's designations, locus by locus.
std::vector<int> laidOut(const CompactGenotypes& store) {
  std::vector<int> all;
  std::vector<int> cells(2 * static_cast<std::size_t>(store.loci()));
  std::vector<int*> rows(static_cast<std::size_t>(store.loci()));
  for (std::size_t l = 0; l < rows.size(); ++l) rows[l] = cells.data() + 2 * l;
  for (int j = 0; j < store.individuals(); ++j) {
    store.layOutIndividual(j, rows.data(), -9);
    all.insert(all.end(), cells.begin(), cells.end());
  }
  return all;
}

std::vector<std::uint64_t> bitsOf(const RowTable<double>& table, int loci, int width) {
  std::vector<std::uint64_t> bits;
  for (int i = 0; i < loci; ++i) {
    for (int k = 0; k < width; ++k) {
      std::uint64_t word;
      std::memcpy(&word, &table.rows()[i][k], sizeof word);
      bits.push_back(word);
    }
  }
  return bits;
}

void expectSamePanel(const Panel& rows, const Panel& sites) {
  EXPECT_EQ(rows.sites, sites.sites);
  EXPECT_EQ(rows.tally.kept, sites.tally.kept);
  EXPECT_EQ(rows.tally.dropped, sites.tally.dropped);
  EXPECT_EQ(rows.selected, sites.selected);
  EXPECT_EQ(rows.maxAlleles, sites.maxAlleles);
  const int loci = sites.genotypes.loci();
  ASSERT_EQ(rows.genotypes.loci(), loci);
  EXPECT_EQ(bitsOf(rows.freqR, loci, rows.maxAlleles), bitsOf(sites.freqR, loci, sites.maxAlleles));
  EXPECT_EQ(bitsOf(rows.freqS, loci, rows.maxAlleles), bitsOf(sites.freqS, loci, sites.maxAlleles));
  EXPECT_EQ(rows.locusUsed, sites.locusUsed);
  EXPECT_EQ(rows.alikeSites, sites.alikeSites);
  EXPECT_EQ(rows.locusLabels, sites.locusLabels);
  ASSERT_EQ(rows.absent.size(), sites.absent.size());
  for (std::size_t i = 0; i < rows.absent.size(); ++i) {
    EXPECT_EQ(rows.absent[i].locus, sites.absent[i].locus);
    EXPECT_EQ(rows.absent[i].individual, sites.absent[i].individual);
    EXPECT_EQ(rows.absent[i].allele, sites.absent[i].allele);
  }
  EXPECT_EQ(rows.genotypes.packedLoci(), sites.genotypes.packedLoci());
  EXPECT_EQ(rows.genotypes.storedBytes(), sites.genotypes.storedBytes());
  EXPECT_EQ(laidOut(rows.genotypes), laidOut(sites.genotypes));
}

// A random fileset: SAMPLES samples whose roles follow LAYOUT, SITES
// sites over three chromosomes, some calls missing, some sites with A1
// "0" (and no call of A1), some without R's or S's copies of an allele.
Fileset randomFileset(std::size_t samples, const std::string& layout, std::size_t sites,
                      unsigned seed) {
  std::mt19937 random(seed);
  Fileset set;
  for (std::size_t i = 0; i < samples; ++i) {
    const char role = layout[i % layout.size()];
    set.roles.push_back(role == 'R' ? "R" : role == 'S' ? "S" : role == 'x' ? "X" : "Y");
  }
  // About one call in ten missing, the rest alike among the three others.
  const unsigned kCalls[10] = {1, 0, 0, 0, 2, 2, 2, 3, 3, 3};
  std::uniform_int_distribution<unsigned> code(0, 9), kind(0, 9);
  for (std::size_t l = 0; l < sites; ++l) {
    const unsigned what = kind(random);
    const std::string chrom = std::to_string(1 + l * 3 / sites);
    const std::string a1 = what == 0 ? "0" : what == 1 ? "AT" : "G";
    set.bim.push_back(chrom + " rs" + std::to_string(l) + " 0 " + std::to_string(100 + l) + " " +
                      a1 + " C");
    std::vector<unsigned> row(samples);
    for (std::size_t i = 0; i < samples; ++i) {
      unsigned c = kCalls[code(random)];
      if (what == 0 && c != 1) c = 3;                         // A1 "0": only A2 or missing
      if (what == 2 && set.roles[i] == "R" && c != 1) c = 0;  // R fixed for A1
      if (what == 3 && set.roles[i] != "R" && set.roles[i] != "S" && c != 1) c = 2;
      if (what == 4 && (set.roles[i] == "R" || set.roles[i] == "S")) c = 3;  // A1 absent
      row[i] = c;
    }
    set.rows.push_back(row);
  }
  return set;
}

struct Layout {
  const char* name;
  std::size_t samples;
  const char* roles;  // repeated along the .fam
  std::size_t sites = 300;
};

struct Choice {
  const char* name;
  int shardIndex, shardCount;
  bool scatteredList;
  double pseudoCount;
  double maxMissingShare;
  bool snpsOnly;
  bool onlyX = false;  // population Y neither studied nor a reference
};

TEST(PanelRows, GiveThePanelThatSiteBySiteReadingGives) {
  const Layout layouts[] = {
      {"grouped, 4 references", 23, "RRSSxxxxxxxxxxxxxxxxxxxxx"},
      {"grouped across bytes", 31, "RRRSSSxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
      {"interleaved", 30, "RxSxxyRyS"},
      {"study first", 13, "xxxxxxxxxRRSS"},
      {"two study populations", 41, "RSxxxxxyyyyy"},
      // More loci than one block of the store holds.
      {"past a block", 10, "RSxxxxxxxxx", CompactGenotypes::kBlockLoci + 300},
  };
  const Choice choices[] = {
      {"everyone", 0, 0, false, 0.0, 1.0, false},
      {"shard 2 of 3", 2, 3, false, 0.0, 1.0, false},
      {"shard 1 of 4, pseudo-count", 1, 4, false, 0.5, 1.0, false},
      {"scattered list", 0, 0, true, 0.0, 0.2, false},
      {"snps only, missing share", 0, 0, false, 1.0, 0.3, true},
      {"X studied, Y left out", 0, 0, false, 0.0, 0.1, false, true},
  };
  unsigned seed = 7;
  for (const Layout& layout : layouts) {
    for (const Choice& choice : choices) {
      SCOPED_TRACE(std::string(layout.name) + ", " + choice.name);
      TempDir dir;
      const Fileset set = randomFileset(layout.samples, layout.roles, layout.sites, ++seed);
      importer::Options options = optionsFor(dir, write(dir, set));
      options.pseudoCount = choice.pseudoCount;
      options.filters.maxMissingShare = choice.maxMissingShare;
      options.filters.biallelicSnpsOnly = choice.snpsOnly;
      if (choice.onlyX) options.studyPopulations = {"X"};
      Selection selection{"", choice.shardIndex, choice.shardCount};
      if (choice.scatteredList) {
        std::string list;
        for (std::size_t i = 0; i < set.roles.size(); i += 3)
          if (set.roles[i] != "R" && set.roles[i] != "S") list += "i" + std::to_string(i) + "\n";
        for (std::size_t i = 1; i < set.roles.size(); i += 5)
          if (set.roles[i] != "R" && set.roles[i] != "S") list += "i" + std::to_string(i) + "\n";
        selection.samplesFile = dir.write("list.txt", list);
      }
      const Panel rows = readPanel(options, selection, {}, {}, true, PlinkRows::Direct);
      const Panel sites = readPanel(options, selection, {}, {}, true, PlinkRows::AsSites);
      expectSamePanel(rows, sites);
    }
  }
}

// One study individual after R and S, so the study's run starts in the
// middle of a .bed byte: each PLINK call lands as the reader designates it
// (A2 is allele 1, A1 allele 2), and the missing one as missing.
TEST(PanelRows, TranslateEachCallAsTheReaderDesignatesIt) {
  TempDir dir;
  Fileset set;
  set.roles = {"R", "S", "X", "X", "X", "X", "X"};
  set.bim = {"1 a 0 10 G C", "2 b 0 20 G C"};
  // codes: 00 two A1, 01 missing, 10 one of each, 11 two A2.
  set.rows = {{0, 3, 0, 1, 2, 3, 0}, {3, 0, 3, 3, 1, 2, 0}};
  const importer::Options options = optionsFor(dir, write(dir, set));
  const Panel panel = readPanel(options, {}, {}, {}, true, PlinkRows::Direct);
  ASSERT_EQ(panel.genotypes.loci(), 2);
  const std::vector<int> expected = {
      2, 2, 1, 1,    // X at .fam line 3
      -9, -9, 1, 1,  // line 4
      1, 2, -9, -9,  // line 5
      1, 1, 1, 2,    // line 6
      2, 2, 2, 2,    // line 7
  };
  EXPECT_EQ(laidOut(panel.genotypes), expected);
  // R carries A1 twice, S A2 twice at the first site, the other way at the second.
  EXPECT_EQ(panel.freqR.rows()[0][0], 0.0);
  EXPECT_EQ(panel.freqR.rows()[0][1], 1.0);
  EXPECT_EQ(panel.freqS.rows()[1][0], 0.0);
  EXPECT_EQ(panel.freqS.rows()[1][1], 1.0);
}

// A call of A1 where the .bim gives it as missing is refused with the same
// message on either path, and a site whose allele only the study carries
// is judged as the generic path judges it.
TEST(PanelRows, LeaveRefusalsAndAbsentAllelesToTheSitePath) {
  TempDir dir;
  Fileset set;
  set.roles = {"R", "S", "X", "X", "X"};
  set.bim = {"1 a 0 10 G C", "1 b 0 20 0 C"};
  set.rows = {{3, 3, 3, 2, 0}, {3, 3, 3, 2, 3}};
  const importer::Options options = optionsFor(dir, write(dir, set));
  std::string messages[2];
  const PlinkRows ways[2] = {PlinkRows::Direct, PlinkRows::AsSites};
  for (int way = 0; way < 2; ++way) {
    try {
      readPanel(options, {}, {}, {}, false, ways[way]);
    } catch (const importer::InputError& error) {
      messages[way] = error.what();
    }
  }
  EXPECT_NE(messages[0].find("set.bim, line 2 (1:20): sample i3 carries A1"), std::string::npos)
      << messages[0];
  EXPECT_EQ(messages[0], messages[1]);

  set.bim = {"1 a 0 10 G C", "1 b 0 20 G C"};
  set.rows = {{3, 3, 3, 2, 0}, {0, 3, 3, 2, 3}};
  const importer::Options second = optionsFor(dir, write(dir, set));
  const Panel rows = readPanel(second, {}, {}, {}, true, PlinkRows::Direct);
  // The first site's A1 is in no reference: dropped without a pseudo-count.
  EXPECT_EQ(rows.tally.kept, 1u);
  expectSamePanel(rows, readPanel(second, {}, {}, {}, true, PlinkRows::AsSites));
}

}  // namespace
}  // namespace parmix::genome::test
