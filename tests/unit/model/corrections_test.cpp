#include "model/corrections.hpp"

#include <gtest/gtest.h>

namespace parmix {
namespace {

// The report's note and the tables' tags name the same corrections, in the
// same order, and a run without corrections writes neither.
TEST(Corrections, NoteAndTagsNameEachCorrectionInForce) {
  const struct {
    Corrections corrections;
    const char* note;
    const char* tags;
  } cases[] = {
      {{}, "", ""},
      {{"GL", true, true},
       "Corrections used:\n"
       "  genotype likelihoods (GL) of the study individuals;\n"
       "  parental frequencies counted from the calls (GT);\n"
       "  the parental frequencies' uncertainty (Dirichlet posteriors of the counts).\n\n",
       "genotype-likelihoods=GL,reference-frequencies=gt,reference-uncertainty"},
      {{"PL", false, false},
       "Corrections used:\n"
       "  genotype likelihoods (PL) of the study individuals;\n"
       "  parental frequencies by EM from the reference samples' likelihoods.\n\n",
       "genotype-likelihoods=PL,reference-frequencies=gl"},
      {{"", false, true},
       "Corrections used:\n"
       "  the parental frequencies' uncertainty (Dirichlet posteriors of the counts).\n\n",
       "reference-uncertainty"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(correctionsNote(c.corrections), c.note);
    EXPECT_EQ(correctionTags(c.corrections), c.tags);
  }
}

}  // namespace
}  // namespace parmix
