// The VCF reader: sites, labels and allele numbers from plain and
// compressed files, and one message naming the file and the record for
// every input it cannot import.

#include "input/vcf_reader.hpp"

#include <gtest/gtest.h>
#include <htslib/bgzf.h>

#include <algorithm>

#include "input/errors.hpp"
#include "support/vcf_files.hpp"
#include "support/temp_files.hpp"

namespace parmix::importer::test {
namespace {

using parmix::test::TempDir;

constexpr int M = kMissingAllele;

std::vector<Site> readAll(VcfReader& reader) {
  std::vector<Site> sites;
  for (Site site; reader.next(site);) sites.push_back(site);
  return sites;
}

// The message of the InputError that reading the whole file raises.
std::string failureOf(const std::string& path, int threads = 0) {
  try {
    VcfReader reader(path, threads);
    readAll(reader);
  } catch (const InputError& error) {
    return error.what();
  }
  return "no error";
}

std::string twoSamples(const std::string& sites) {
  return "##fileformat=VCFv4.2\n##contig=<ID=c>\n"
         "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
         "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\ta\tb\n" +
         sites;
}

TEST(VcfReader, ReadsSamplesLabelsAllelesAndMissingCallsAlike) {
  TempDir dir;
  const std::string plain = dir.write("calls.vcf", std::string(kVcfHeader) + kVcfSites);
  ASSERT_TRUE(convertVcf(plain, dir.file("calls.vcf.gz"), "wz"));
  ASSERT_TRUE(convertVcf(plain, dir.file("calls.bcf"), "wb"));
  for (const std::string name : {"calls.vcf", "calls.vcf.gz", "calls.bcf"}) {
    VcfReader reader(dir.file(name));
    EXPECT_EQ(reader.sampleNames(),
              (std::vector<std::string>{"r1", "r2", "r3", "s1", "s2", "s3", "h1", "h2"}));
    const std::vector<Site> sites = readAll(reader);
    ASSERT_EQ(sites.size(), 5u) << name;
    EXPECT_EQ(sites[1].label, "chr1:202");
    EXPECT_EQ(sites[1].alleleCount, 3);
    EXPECT_EQ(sites[1].alleles,
              (std::vector<int>{1, 1, 1, 3, M, M, 2, 2, 2, 3, 3, 3, 1, 3, M, M}));
    // A phased call reads as an unphased one; a half call keeps its known allele.
    EXPECT_EQ(sites[0].alleles[15], 2);
    EXPECT_EQ(sites[2].alleles[10], 2);
    EXPECT_EQ(sites[2].alleles[11], M);
    EXPECT_EQ(std::vector<bool>({sites[0].biallelicSnp, sites[1].biallelicSnp,
                                 sites[2].biallelicSnp, sites[3].biallelicSnp}),
              std::vector<bool>({true, false, false, true}));
  }
}

// Older and hand-made files often declare no contig at all: each contig is
// declared as its first record names it, plain or bgzipped, and the reader
// has one sentence naming them for its caller's single warning.
TEST(VcfReader, ContigsTheHeaderLeavesOutAreDeclaredAsTheRecordsNameThem) {
  TempDir dir;
  std::string header = kVcfHeader;
  for (const char* line : {"##contig=<ID=chr1>\n", "##contig=<ID=chr2>\n"})
    header.erase(header.find(line), std::string(line).size());
  const std::string text = header + kVcfSites;
  const std::string plain = dir.write("bare.vcf", text);
  const std::string packed = dir.file("bare.vcf.gz");
  BGZF* out = bgzf_open(packed.c_str(), "w");
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(bgzf_write(out, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  ASSERT_EQ(bgzf_close(out), 0);
  for (const std::string& path : {plain, packed}) {
    VcfReader reader(path);
    const std::vector<Site> sites = readAll(reader);
    ASSERT_EQ(sites.size(), 5u) << path;
    EXPECT_EQ(sites[0].label, "chr1:101");
    EXPECT_EQ(sites[4].label, "chr2:505");
    EXPECT_EQ(sites[1].alleles[3], 3);
    EXPECT_EQ(reader.undeclaredContigs(), (std::vector<std::string>{"chr1", "chr2"}));
    EXPECT_EQ(reader.warnings(),
              std::vector<std::string>{"the header of " + path + " declares no contig (##contig line) for chr1, chr2; "
              "each was declared as its first record named it, as bcftools does"});
  }
  // Beyond five the rest are counted.
  std::string many = twoSamples("");
  many.erase(many.find("##contig=<ID=c>\n"), 16);
  for (int c = 1; c <= 7; ++c)
    many += "c" + std::to_string(c) + "\t1\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1\n";
  VcfReader scaffolds(dir.write("many.vcf", many));
  EXPECT_EQ(readAll(scaffolds).size(), 7u);
  ASSERT_EQ(scaffolds.warnings().size(), 1u);
  EXPECT_NE(scaffolds.warnings()[0].find("for c1, c2, c3, c4, c5 and 2 more;"), std::string::npos)
      << scaffolds.warnings()[0];
  // A header that declares its contigs leaves nothing to warn of.
  VcfReader declared(dir.write("calls.vcf", std::string(kVcfHeader) + kVcfSites));
  readAll(declared);
  EXPECT_TRUE(declared.warnings().empty());
}

TEST(VcfReader, ALoneDotIsAMissingDiploidCallAndAbsentGtIsAllMissing) {
  TempDir dir;
  const std::string path = dir.write(
      "dots.vcf", twoSamples("c\t5\t.\tA\tG\t.\t.\t.\tGT\t.\t0/1\nc\t6\t.\tA\tG\t.\t.\t.\t.\t.\t.\n"));
  VcfReader reader(path);
  const std::vector<Site> sites = readAll(reader);
  ASSERT_EQ(sites.size(), 2u);
  EXPECT_EQ(sites[0].alleles, (std::vector<int>{M, M, 1, 2}));
  EXPECT_EQ(sites[1].alleles, (std::vector<int>{M, M, M, M}));
}

TEST(VcfReader, EveryFaultNamesTheFileAndTheRecord) {
  TempDir dir;
  const std::string good = "c\t5\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1\n";
  struct Case {
    std::string sites;
    std::string message;
  };
  const std::vector<Case> cases = {
      {good + "c\t9\t.\tA\tG\t.\t.\t.\tGT\t0\t0/1\n",
       "record 2 (c:9): sample a has ploidy 1; only diploid genotype calls can be imported"},
      {"c\t7\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1/1\n",
       "record 1 (c:7): sample b has ploidy 3; only diploid genotype calls can be imported"},
      {good + "c\t8\t.\tA\tG\t.\t.\t.\tGT\t0/2\t0/1\n",
       "record 2 (c:8): the genotype of sample a names allele 2, but the record has 2 alleles"},
      {good + "c\t9\t.\tA\tG\t.\t.\t.\tGT\t0/0\n",
       "record 2, after c:5: the record could not be read (the file is malformed or truncated)"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.write("bad.vcf", twoSamples(c.sites));
    EXPECT_EQ(failureOf(path), path + ", " + c.message);
  }
}

TEST(VcfReader, RefusesFilesThatAreNotVcfOrHoldNoSamples) {
  TempDir dir;
  const std::string text = dir.write("text.txt", "Individual\nnames # a b\n");
  EXPECT_EQ(failureOf(text), "File " + text + " is not a VCF or BCF file");
  const std::string sitesOnly =
      dir.write("sites.vcf", "##fileformat=VCFv4.2\n#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n");
  EXPECT_EQ(failureOf(sitesOnly), "File " + sitesOnly + " holds no samples");
  EXPECT_EQ(failureOf(dir.file("absent.vcf")), "File " + dir.file("absent.vcf") + " could not be read");
  EXPECT_EQ(failureOf(dir.path()), "File " + dir.path() + " could not be read");
}

TEST(VcfReader, ATruncatedBgzipFileIsAnErrorNotAnEarlyEnd) {
  TempDir dir;
  std::string sites;
  for (int pos = 1; pos <= 3000; ++pos) {
    sites += "c\t" + std::to_string(pos) + "\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1\n";
  }
  const std::string plain = dir.write("long.vcf", twoSamples(sites));
  ASSERT_TRUE(convertVcf(plain, dir.file("long.vcf.gz"), "wz"));
  const std::string whole = parmix::test::readFile(dir.file("long.vcf.gz"));
  const std::string cut = dir.write("cut.vcf.gz", whole.substr(0, whole.size() / 2));
  // Alike when htslib's threads decompress ahead of the reader.
  for (int threads : {0, 2}) {
    const std::string message = failureOf(cut, threads);
    EXPECT_EQ(message.rfind(cut + ", record ", 0), 0u) << message;
    EXPECT_NE(message.find("could not be read (the file is malformed or truncated)"),
              std::string::npos) << message;
  }
}

// The first bgzip blocks of a file, up to and including the one that holds
// byte AT of the compressed data: a file cut at a block boundary.
std::string blocksUpTo(const std::string& data, std::size_t at) {
  std::size_t end = 0;
  while (end <= at && end + 18 <= data.size()) {
    end += 1 + (static_cast<unsigned char>(data[end + 16]) |
                static_cast<unsigned char>(data[end + 17]) << 8);
  }
  return data.substr(0, end);
}

// Decompressed on htslib's threads, a file of many blocks gives the same
// sites, likelihoods included, in the same order: bgzipped VCF and BCF.
TEST(VcfReader, DecompressionThreadsReadTheSameSites) {
  TempDir dir;
  std::string sites;
  for (int pos = 1; pos <= 4000; ++pos) {
    const std::string pl = std::to_string(pos % 50) + "," + std::to_string(pos % 7) + ",0";
    sites += "c\t" + std::to_string(pos) + "\t.\tA\tG,T\t.\t.\t.\tGT:PL\t" +
             (pos % 3 == 0 ? "0/1" : "./.") + ":" + pl + ",1,2,3\t1|2:0,1,2,3,4,5\n";
  }
  const std::string plain = dir.write(
      "many.vcf", "##fileformat=VCFv4.2\n##contig=<ID=c>\n"
                  "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
                  "##FORMAT=<ID=PL,Number=G,Type=Integer,Description=\"PL\">\n"
                  "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\ta\tb\n" +
                      sites);
  for (const char* mode : {"wz", "wb"}) {
    ASSERT_TRUE(convertVcf(plain, dir.file("many.gz"), mode));
    std::vector<Site> read[2];
    for (int threads : {0, 2}) {
      VcfReader reader(dir.file("many.gz"), threads);
      reader.readLikelihoodField("PL");
      read[threads / 2] = readAll(reader);
    }
    ASSERT_EQ(4000u, read[0].size()) << mode;
    ASSERT_EQ(read[0].size(), read[1].size()) << mode;
    for (std::size_t i = 0; i < read[0].size(); ++i) {
      EXPECT_EQ(read[0][i].where, read[1][i].where);
      EXPECT_EQ(read[0][i].alleles, read[1][i].alleles);
      EXPECT_EQ(read[0][i].likelihoods, read[1][i].likelihoods);
    }
  }
}

// htslib ends the blocks of a compressed VCF at line ends, so the cut one
// ends at a record boundary and only the missing end block tells; a BCF
// cut so ends inside a record.
TEST(VcfReader, ABgzipFileCutAtABlockBoundaryIsRefused) {
  TempDir dir;
  std::string sites;
  for (int pos = 1; pos <= 3000; ++pos) {
    sites += "c\t" + std::to_string(pos) + "\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1\n";
  }
  const std::string plain = dir.write("long.vcf", twoSamples(sites));
  for (const char* mode : {"wz", "wb"}) {
    ASSERT_TRUE(convertVcf(plain, dir.file("long.gz"), mode));
    const std::string whole = parmix::test::readFile(dir.file("long.gz"));
    const std::string cut = dir.write("cut.gz", blocksUpTo(whole, whole.size() / 2));
    ASSERT_LT(cut.size(), whole.size() - 28);
    for (int threads : {0, 2}) {
      const std::string message = failureOf(cut, threads);
      EXPECT_EQ(message.rfind(cut, 0), 0u) << message;
      EXPECT_NE(message.find("truncated"), std::string::npos) << message;
      if (std::string(mode) == "wz") {
        EXPECT_NE(message.find(": the compressed data end after record "), std::string::npos)
            << threads;
        EXPECT_NE(message.find(" without bgzip's end-of-file block: the file is truncated"),
                  std::string::npos) << message;
      }
      EXPECT_EQ(failureOf(dir.file("long.gz"), threads), "no error") << mode;
    }
  }
}

TEST(VcfReader, APositionThatIsNotADecimalNumberIsRefused) {
  TempDir dir;
  for (const std::string position : {"abc", "-5", ".", " 100", "0x10", "12abc", "+7", "1e3", ""}) {
    const std::string path = dir.write(
        "pos.vcf", twoSamples("c\t5\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1\nc\t" + position +
                              "\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1\n"));
    EXPECT_EQ(failureOf(path), path + ", record 2 (c): the position \"" + position +
                                   "\" is not a whole number of 0 or more");
  }
  const std::string fine = dir.write("fine.vcf", twoSamples("c\t0\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1\n"
                                                            "c\t007\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1\n"));
  VcfReader reader(fine);
  const std::vector<Site> read = readAll(reader);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].label, "c:0");
  EXPECT_EQ(read[1].label, "c:7");
}

// A BCF file whose header names more samples than its records hold: the
// header of one file before the records of another, both uncompressed.
// The bytes a BGZF (or plain) file holds.
std::string bgzfContent(const std::string& path) {
  BGZF* in = bgzf_open(path.c_str(), "r");
  std::string content;
  char buffer[4096];
  ssize_t got = 0;
  while (in != nullptr && (got = bgzf_read(in, buffer, sizeof buffer)) > 0)
    content.append(buffer, static_cast<std::size_t>(got));
  if (in != nullptr) bgzf_close(in);
  return content;
}

bool writeBgzf(const std::string& path, const std::string& content) {
  BGZF* out = bgzf_open(path.c_str(), "w");
  if (out == nullptr) return false;
  const bool written =
      bgzf_write(out, content.data(), content.size()) == static_cast<ssize_t>(content.size());
  return bgzf_close(out) == 0 && written;
}

TEST(VcfReader, ABcfRecordHoldingFewerSamplesThanTheHeaderIsRefused) {
  TempDir dir;
  const std::string site = "c\t5\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1\n";
  const std::string wide = dir.write("wide.vcf", std::string(
      "##fileformat=VCFv4.2\n##contig=<ID=c>\n"
      "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
      "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\ta\tb\tc\td\n") +
      "c\t5\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1\t1/1\t0/1\n");
  const std::string narrow = dir.write("narrow.vcf", twoSamples(site + site));
  ASSERT_TRUE(convertVcf(wide, dir.file("wide.bcf"), "wbu"));
  ASSERT_TRUE(convertVcf(narrow, dir.file("narrow.bcf"), "wbu"));
  const auto headerEnd = [](const std::string& bcf) {
    const auto* b = reinterpret_cast<const unsigned char*>(bcf.data() + 5);
    return 9 + static_cast<std::size_t>(b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24);
  };
  // Spliced in the BCF's own bytes, whichever container htslib wrote
  // them in (older htslib writes "wbu" raw, newer in uncompressed BGZF
  // blocks), and written back in BGZF as BCF files are.
  const std::string w = bgzfContent(dir.file("wide.bcf"));
  const std::string n = bgzfContent(dir.file("narrow.bcf"));
  const std::string mixed = dir.file("mixed.bcf");
  ASSERT_TRUE(writeBgzf(mixed, w.substr(0, headerEnd(w)) + n.substr(headerEnd(n))));
  EXPECT_EQ(failureOf(mixed), mixed + ", record 1: the record holds 2 samples, the header names 4");
}

TEST(VcfReader, KeysMissingFromTheHeaderAreReadWithOneWarningOfEachKind) {
  TempDir dir;
  const std::string path = dir.write(
      "keys.vcf", twoSamples("c\t5\t.\tA\tG\t.\tq10\tDP=5;XX\tGT:ZZ\t0/0:1\t0/1:2\n"
                             "c\t6\t.\tA\tG\t.\tq20\tDP=3;YY\tGT:ZZ:WW\t0/1:1:3\t1/1:2:4\n"
                             "c\t7\t.\tA\tG\t.\tPASS\t.\tGT\t1/1\t0/0\n"));
  VcfReader reader(path);
  const std::vector<Site> sites = readAll(reader);
  ASSERT_EQ(sites.size(), 3u);
  EXPECT_EQ(sites[1].alleles, (std::vector<int>{1, 2, 2, 2}));
  const std::vector<std::string> warnings = reader.warnings();
  ASSERT_EQ(warnings.size(), 3u);
  const std::string kinds[] = {"FILTER key q10", "INFO key DP", "FORMAT key ZZ"};
  for (const std::string& kind : kinds) {
    const bool found = std::any_of(warnings.begin(), warnings.end(), [&](const std::string& w) {
      return w.rfind(path + ", record 1: the " + kind + " is not defined in the header", 0) == 0;
    });
    EXPECT_TRUE(found) << kind;
  }
  const std::string plain = dir.write("plain.vcf", twoSamples("c\t5\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1\n"));
  VcfReader quiet(plain);
  readAll(quiet);
  EXPECT_TRUE(quiet.warnings().empty());
}

}  // namespace
}  // namespace parmix::importer::test
