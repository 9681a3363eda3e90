// The one-pass helpers of the readers agree with the steps they stand for:
// splitting with WordBreaks with cleanString followed by a split at blanks,
// findNumberRowsAndTerminator with the detection followed by the count.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "input/record_scanner.hpp"
#include "input/text_scan.hpp"
#include "support/line_terminator.hpp"
#include "support/temp_files.hpp"

namespace parmix {
namespace {

using test::TempDir;

std::vector<std::string> texts(const std::vector<Word>& words) {
  std::vector<std::string> out;
  for (const Word& w : words) out.push_back(w.str());
  return out;
}

TEST(WordBreaks, SplitAndCountAgreeWithCleaningThenSplitting) {
  const std::string alphabet = std::string("12NA/,;# \t\r\n\v\fx-.") + '\0';
  std::mt19937 rng(17);
  const WordBreaks breaks(kSeparatorSet);
  std::vector<Word> oneStep, twoSteps, viaCursor;
  for (int rep = 0; rep < 2000; ++rep) {
    std::string text;
    const int length = static_cast<int>(rng() % 40);
    for (int k = 0; k < length; ++k) text += alphabet[rng() % alphabet.size()];
    std::string cleaned = text;
    cleanString(cleaned, kSeparatorSet);
    splitWords(cleaned, twoSteps);
    splitWords(text, oneStep, breaks);
    viaCursor.clear();
    WordCursor cursor(text, breaks);
    Word word;
    while (cursor.next(word)) viaCursor.push_back(word);
    ASSERT_EQ(texts(oneStep), texts(twoSteps)) << "text: " << text;
    ASSERT_EQ(texts(viaCursor), texts(twoSteps)) << "text: " << text;
    ASSERT_EQ(countWords(text, breaks), countWords(cleaned)) << "text: " << text;
  }
}

TEST(WordBreaks, OnlyTheGivenSeparatorsBreakBesideTheBlanks) {
  const WordBreaks none("");
  const WordBreaks slash("/");
  EXPECT_EQ(countWords("1/2 3,4", none), 2u);
  EXPECT_EQ(countWords("1/2 3,4", slash), 3u);
  EXPECT_FALSE(slash('\0'));
  EXPECT_TRUE(slash('\r'));
}

TEST(RowsAndTerminator, OnePassAgreesWithDetectionThenCount) {
  TempDir dir;
  const std::vector<std::string> files = {
      "Individual\n# A B\nL1 # 1 2\nL2 # 2 2\n",
      "Individual\r# A B\rL1 # 1 2\rL2 # 2 2\r",
      "Individual\r\n# A B\r\nL1 # 1 2\r\nL2 # 2 2\r\n",
      "Individual\n# A B\n",      // only the header: read with '\r'
      "Individual\nno record\n",  // no '#'
      "Individual\n# A\nL1 # 1 # 2\n#\n",
  };
  int n = 0;
  for (const std::string& text : files) {
    const std::string path = dir.write("f" + std::to_string(n++), text);
    const char expectedEol = detectLineTerminator(path);
    const int expectedRows = findNumberRows(path, expectedEol);
    char eol = '?';
    EXPECT_EQ(findNumberRowsAndTerminator(path, &eol), expectedRows) << text;
    EXPECT_EQ(eol, expectedEol) << text;
  }
  char eol = '?';
  EXPECT_EQ(findNumberRowsAndTerminator(dir.file("absent"), &eol), -1);
}

}  // namespace
}  // namespace parmix
