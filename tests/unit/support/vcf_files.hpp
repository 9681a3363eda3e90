#ifndef PARMIX_TESTS_VCF_FILES_HPP
#define PARMIX_TESTS_VCF_FILES_HPP

// Input files of the VCF tests: a small VCF whose frequencies are counted
// by hand in the tests, its population map, and its bgzip and BCF twins
// (written through htslib).

#include <htslib/hts.h>
#include <htslib/vcf.h>

#include <string>

namespace parmix::importer::test {

inline const char* kVcfHeader =
    "##fileformat=VCFv4.2\n"
    "##contig=<ID=chr1>\n"
    "##contig=<ID=chr2>\n"
    "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
    "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\tr1\tr2\tr3\ts1\ts2\ts3\th1\th2\n";

// Reference samples r1-r3 (north) and s1-s3 (south); h1 (zone) and h2
// (not in the map) are studied.
inline const char* kVcfSites =
    "chr1\t101\t.\tA\tG\t.\t.\t.\tGT\t0/0\t0/1\t0/0\t1/1\t1/1\t0/1\t0/1\t1|1\n"
    "chr1\t202\t.\tC\tT,G\t.\t.\t.\tGT\t0/0\t0/2\t./.\t1/1\t1/2\t2/2\t0/2\t./.\n"
    "chr2\t303\t.\tG\tGA\t.\t.\t.\tGT\t0/0\t0/0\t0/0\t1/1\t1/1\t1/.\t0/1\t0/1\n"
    "chr2\t404\t.\tT\tC\t.\t.\t.\tGT\t0/1\t0/1\t1/0\t0/1\t1/0\t0/1\t0/0\t1/1\n"
    "chr2\t505\t.\tA\tC\t.\t.\t.\tGT\t0/0\t0/0\t0/0\t0/0\t0/0\t./.\t0/1\t0/0\n";

inline const char* kPopulationMap = "# individual population\nr1 north\nr2\tnorth\nr3 north\n"
                                    "s1 south\ns2 south\ns3 south\nh1 zone\n";

// Copies the VCF FROM into TO in the htslib write MODE: "wz" bgzipped VCF,
// "wb" BCF.
inline bool convertVcf(const std::string& from, const std::string& to, const char* mode) {
  htsFile* in = hts_open(from.c_str(), "r");
  if (!in) return false;
  bcf_hdr_t* header = bcf_hdr_read(in);
  htsFile* out = hts_open(to.c_str(), mode);
  bool ok = header && out && bcf_hdr_write(out, header) == 0;
  bcf1_t* record = bcf_init();
  while (ok && bcf_read(in, header, record) == 0) ok = bcf_write(out, header, record) == 0;
  bcf_destroy(record);
  if (out) ok = hts_close(out) == 0 && ok;
  if (header) bcf_hdr_destroy(header);
  hts_close(in);
  return ok;
}

}  // namespace parmix::importer::test

#endif
