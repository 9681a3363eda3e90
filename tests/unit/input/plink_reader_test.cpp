// The PLINK reader: two-bit calls decoded to the designations of plink's
// VCF export, the population map's form of the sample names, and one
// message naming the file (and line) for every faulty fileset.

#include "input/plink_reader.hpp"

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "input/errors.hpp"
#include "support/temp_files.hpp"

namespace parmix::importer::test {
namespace {

using parmix::test::TempDir;

constexpr int M = kMissingAllele;

// Five samples, so a row is two bytes and its last byte is part padding.
constexpr const char* kFam =
    "f1 a 0 0 1 -9\n"
    "f1 b 0 0 2 1.5\n"
    "f2 c a b 0 NA\n"
    "f2 d 0 0 1 2\n"
    "f3 e 0 0 2 -9\n";
constexpr const char* kBim =
    "1\trs1\t0\t100\tG\tA\n"
    "chr2 rs2 0.25 0200 0 C\n"
    "3\trs3\t0\t300\tAT\tA\n";

// The calls of one variant row: two bits a sample, first sample lowest.
std::string row(std::initializer_list<unsigned> codes) {
  std::string bytes(2, '\0');
  unsigned i = 0;
  for (unsigned code : codes) {
    bytes[i / 4] = static_cast<char>(bytes[i / 4] | static_cast<char>(code << (2 * (i % 4))));
    ++i;
  }
  return bytes;
}

std::string bed(const std::string& rows) { return std::string("\x6c\x1b\x01", 3) + rows; }

std::string goodRows() {
  return row({0, 1, 2, 3, 2}) + row({3, 3, 1, 3, 3}) + row({2, 0, 3, 1, 0});
}

std::string writeSet(const TempDir& dir, const std::string& bedBytes, const std::string& bim,
                     const std::string& fam) {
  dir.write("set.bed", bedBytes);
  dir.write("set.bim", bim);
  dir.write("set.fam", fam);
  return dir.file("set");
}

std::vector<Site> readAll(PlinkReader& reader) {
  std::vector<Site> sites;
  for (Site site; reader.next(site);) sites.push_back(site);
  return sites;
}

PopulationMap mapOf(std::initializer_list<const char*> names) {
  PopulationMap map{"pops.txt", {}};
  int line = 0;
  for (const char* name : names) map.entries.push_back({name, "P", ++line});
  return map;
}

TEST(PlinkReader, DecodesCallsAsPlinksVcfExportDesignatesThem) {
  TempDir dir;
  PlinkReader reader(writeSet(dir, bed(goodRows()), kBim, kFam));
  EXPECT_EQ(reader.sampleNames(), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  const std::vector<Site> sites = readAll(reader);
  ASSERT_EQ(sites.size(), 3u);
  // 00 two A1 (ALT, 2), 01 missing, 10 one of each, 11 two A2 (REF, 1).
  EXPECT_EQ(sites[0].alleles, (std::vector<int>{2, 2, M, M, 1, 2, 1, 1, 1, 2}));
  EXPECT_EQ(sites[0].label, "1:100");
  EXPECT_EQ(sites[0].alleleCount, 2);
  EXPECT_TRUE(sites[0].biallelicSnp);
  // A1 "0": the site holds REF alone; the position is read as a number.
  EXPECT_EQ(sites[1].label, "chr2:200");
  EXPECT_EQ(sites[1].alleleCount, 1);
  EXPECT_FALSE(sites[1].biallelicSnp);
  EXPECT_EQ(sites[1].alleles, (std::vector<int>{1, 1, 1, 1, M, M, 1, 1, 1, 1}));
  EXPECT_EQ(sites[2].where, dir.file("set.bim") + ", line 3 (3:300)");
  EXPECT_FALSE(sites[2].biallelicSnp);
  EXPECT_EQ(reader.bytesRead(), reader.bytesTotal());
}

TEST(PlinkReader, NamesSamplesInTheFormTheMapUses) {
  const std::vector<FamSample> fam{{"f1", "a", 1}, {"f1", "b", 2}, {"f2", "a", 3}};
  const std::vector<FamSample> joined{{"x_y", "z", 1}, {"x", "y_z", 2}};
  struct Case {
    const std::vector<FamSample>* samples;
    PopulationMap map;
    std::string result;  // names joined by blanks, or the message
  } cases[] = {
      {&fam, mapOf({"f1_a", "f2_a"}), "f1_a f1_b f2_a"},
      {&fam, mapOf({"b"}), "pops.txt names the samples of set.fam by IID, but lines 1 and 3 of "
                           "set.fam are both a: name them FID_IID"},
      {&fam, mapOf({"b", "f1_a"}),
       "pops.txt names some individuals by IID (b, line 1) and others by FID_IID (f1_a, line "
       "2) of set.fam: name them all one way"},
      {&fam, mapOf({"b", "nobody"}),
       "pops.txt, line 2: individual nobody is neither an IID nor a FID_IID of set.fam"},
      {&joined, mapOf({"x_y_z"}),
       "pops.txt names the samples of set.fam by FID_IID, but lines 1 and 2 of set.fam are "
       "both x_y_z"},
      {&joined, mapOf({"z"}), "z y_z"},
  };
  for (const Case& c : cases) {
    std::string result;
    try {
      for (const std::string& name : samplesNamedAsMap(*c.samples, c.map, "set.fam"))
        result += (result.empty() ? "" : " ") + name;
    } catch (const InputError& error) {
      result = error.what();
    }
    EXPECT_EQ(result, c.result);
  }
  const std::vector<FamSample> both{{"p", "p_q", 1}, {"p", "q", 2}};
  EXPECT_THROW(samplesNamedAsMap(both, mapOf({"p_q"}), "set.fam"), InputError);
}

TEST(PlinkReader, RefusesEveryFaultyFilesetNamingTheFileAndLine) {
  const std::string good = bed(goodRows());
  struct Case {
    const char* what;
    std::string bed, bim, fam;
    std::string message;  // after the folder
  } cases[] = {
      {"wrong magic", "\x6c\x1c\x01" + goodRows(), kBim, kFam,
       "File @/set.bed is not a PLINK 1 .bed file (it does not start with the bytes 6c 1b)"},
      {"empty bed", "", kBim, kFam,
       "File @/set.bed is not a PLINK 1 .bed file (it does not start with the bytes 6c 1b)"},
      {"sample-major", std::string("\x6c\x1b\x00", 3) + goodRows(), kBim, kFam,
       "File @/set.bed is in sample-major mode; only variant-major (SNP-major) files are read: "
       "rewrite it with plink --make-bed"},
      {"truncated", good.substr(0, good.size() - 1), kBim, kFam,
       "File @/set.bed holds 8 bytes, but the 5 samples of @/set.fam and the 3 variants of "
       "@/set.bim need 9: the three files do not belong together, or the .bed is truncated"},
      {"a variant short", good, std::string(kBim) + "4 rs4 0 400 A C\n", kFam,
       "File @/set.bed holds 9 bytes, but the 5 samples of @/set.fam and the 4 variants of "
       "@/set.bim need 11: the three files do not belong together, or the .bed is truncated"},
      {"four samples more", good, kBim,
       std::string(kFam) + "f4 g 0 0 0 0\nf4 h 0 0 0 0\nf4 i 0 0 0 0\nf4 j 0 0 0 0\n",
       "File @/set.bed holds 9 bytes, but the 9 samples of @/set.fam and the 3 variants of "
       "@/set.bim need 12: the three files do not belong together, or the .bed is truncated"},
      {"fam fields", good, kBim, "f1 a 0 0 1\n",
       "@/set.fam, line 1: expected 6 fields (FID, IID, father, mother, sex, phenotype), found 5"},
      {"fam sex", good, kBim, "f1 a 0 0 male -9\n",
       "@/set.fam, line 1: the sex code \"male\" is not a whole number (1 male, 2 female, 0 "
       "unknown)"},
      {"fam phenotype", good, kBim, "f1 a 0 0 1 tall\n",
       "@/set.fam, line 1: the phenotype \"tall\" is not a number"},
      {"fam duplicate", good, kBim, "f1 a 0 0 1 -9\n\nf1 a 0 0 2 -9\n",
       "@/set.fam, line 3: the sample f1 a (FID IID) is already on line 1"},
      {"fam empty", good, kBim, "\n",
       "File @/set.fam holds no sample"},
      {"bim fields", good, "1 rs1 0 100 G\n2 rs2 0 1 A C\n3 rs3 0 1 A C\n", kFam,
       "@/set.bim, line 1: expected 6 fields (chromosome, ID, cM, position, A1, A2), found 5"},
      {"bim position", good, "1 rs1 0 100 G A\n2 rs2 0 12abc A C\n3 rs3 0 1 A C\n", kFam,
       "@/set.bim, line 2: the position \"12abc\" is not a whole number"},
      {"bim negative", good, "1 rs1 0 100 G A\n2 rs2 0 1 A C\n3 rs3 0 -3 A C\n", kFam,
       "@/set.bim, line 3: the position -3 is negative (a variant PLINK leaves out): remove it "
       "with plink --make-bed"},
      {"bim centimorgans", good, "1 rs1 x 100 G A\n2 rs2 0 1 A C\n3 rs3 0 1 A C\n", kFam,
       "@/set.bim, line 1: the position in centimorgans \"x\" is not a number"},
      {"A1 missing but called", good, "1 rs1 0 100 0 A\n2 rs2 0 1 A C\n3 rs3 0 1 A C\n", kFam,
       "@/set.bim, line 1 (1:100): sample a carries A1, which the .bim gives as missing (\"0\")"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    std::string message = "no error";
    try {
      PlinkReader reader(writeSet(dir, c.bed, c.bim, c.fam));
      readAll(reader);
    } catch (const InputError& error) {
      message = error.what();
    }
    std::string expected = c.message;
    for (std::size_t at; (at = expected.find('@')) != std::string::npos;)
      expected.replace(at, 1, dir.path());
    EXPECT_EQ(message, expected) << c.what;
  }
}

// Pages handed back are read again from the file if touched, and the
// pages ahead are untouched.
TEST(MappedFile, ReadsTheWholeFileAcrossReleasedPages) {
  TempDir dir;
  std::string content(5 * 4096 + 123, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 % 251);
  MappedFile file(dir.write("data", content), 4096);
  ASSERT_EQ(file.size(), content.size());
  std::string seen;
  for (std::uint64_t at = 0; at < file.size(); ++at) {
    seen.push_back(static_cast<char>(file.data()[at]));
    file.release(at);
  }
  EXPECT_EQ(seen, content);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data()), 10), content.substr(0, 10));
}

// Resident pages of this process, from /proc/self/statm (0 where there is
// none), in bytes.
std::uint64_t residentBytes() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  unsigned long long size = 0, resident = 0;
  const int read = std::fscanf(statm, "%llu %llu", &size, &resident);
  std::fclose(statm);
  return read == 2 ? resident * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE)) : 0;
}

// Read through with the default step, a mapped file keeps only a few MB
// resident, not the pages behind it: the peak of a PLINK run follows the
// store, whatever the size of the .bed.
TEST(MappedFile, ReadingThroughKeepsFewPagesResident) {
  TempDir dir;
  constexpr std::uint64_t kFile = std::uint64_t{24} << 20;
  const std::string path = dir.file("big.bed");
  {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    const std::string chunk(1 << 20, '\x5a');
    for (std::uint64_t at = 0; at < kFile; at += chunk.size())
      ASSERT_EQ(std::fwrite(chunk.data(), 1, chunk.size(), out), chunk.size());
    ASSERT_EQ(std::fclose(out), 0);
  }
  MappedFile file(path);
  const std::uint64_t before = residentBytes();
  if (before == 0) GTEST_SKIP() << "no /proc/self/statm";
  const long page = ::sysconf(_SC_PAGESIZE);
  std::uint64_t sum = 0, peak = before;
  for (std::uint64_t at = 0; at < file.size(); at += static_cast<std::uint64_t>(page)) {
    sum += file.data()[at];
    file.release(at + 1);
    if (at % (std::uint64_t{1} << 20) == 0) peak = std::max(peak, residentBytes());
  }
  EXPECT_EQ(sum, 0x5a * (kFile / static_cast<std::uint64_t>(page)));
  EXPECT_LE(peak - before, std::uint64_t{8} << 20) << "of a " << kFile << "-byte file";
}

TEST(PlinkReader, MissingFilesAreNamed) {
  TempDir dir;
  writeSet(dir, bed(goodRows()), kBim, kFam);
  EXPECT_THROW(PlinkReader(dir.file("other")), InputError);
  std::remove(dir.file("set.bim").c_str());
  try {
    PlinkReader reader(dir.file("set"));
    FAIL() << "a fileset without its .bim was read";
  } catch (const InputError& error) {
    EXPECT_EQ(std::string(error.what()), "File " + dir.file("set.bim") + " could not be read");
  }
}

}  // namespace
}  // namespace parmix::importer::test
