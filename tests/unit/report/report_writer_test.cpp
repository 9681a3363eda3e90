#include "report/report_writer.hpp"

#include <gtest/gtest.h>

#include <ctime>
#include <limits>
#include <cctype>
#include <sstream>
#include <string>

namespace parmix {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const bool kNoMarks[2] = {false, false};
const bool kLowerMark[2] = {true, false};
const bool kUpperMark[2] = {false, true};
const bool kBothMarks[2] = {true, true};

// A stream in the state the run gives it for the rows.
std::ostringstream rowStream() {
  std::ostringstream out;
  useRowNumberFormat(out);
  return out;
}

std::string row(const std::string& name, double h, double lower, double upper,
                const bool* truncated, int nameWidth) {
  std::ostringstream out = rowStream();
  writeOutputRow(out, name, h, lower, upper, truncated, nameWidth);
  return out.str();
}

// Counts the flushes that reach the buffer and remembers how much text had
// arrived at the last one, so a test can tell that a write group ends with
// a flush after its last character.
class FlushCountingBuffer : public std::stringbuf {
 public:
  int flushes = 0;
  std::size_t sizeAtLastFlush = 0;

 protected:
  int sync() override {
    ++flushes;
    sizeAtLastFlush = str().size();
    return std::stringbuf::sync();
  }
};

// True when TEXT has the shape SHAPE, character by character: 'A' an upper
// case letter, 'a' a lower case one, '9' a digit, '_' a blank or a digit,
// anything else itself.
bool hasShape(const std::string& text, const std::string& shape) {
  if (text.size() != shape.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    bool fits = false;
    switch (shape[i]) {
      case 'A': fits = std::isupper(c) != 0; break;
      case 'a': fits = std::islower(c) != 0; break;
      case '9': fits = std::isdigit(c) != 0; break;
      case '_': fits = c == ' ' || std::isdigit(c) != 0; break;
      default: fits = text[i] == shape[i];
    }
    if (!fits) return false;
  }
  return true;
}

TEST(WriteTimestamp, IsTheLocalTimeInCtimeFormFollowedByAnEmptyLine) {
  std::ostringstream out;
  const std::time_t before = std::time(nullptr);
  writeTimestamp(out);
  const std::time_t after = std::time(nullptr);
  const std::string text = out.str();

  const std::string prefix = "Time-stamp: ";
  ASSERT_EQ(text.compare(0, prefix.size(), prefix), 0) << text;
  EXPECT_TRUE(hasShape(text.substr(prefix.size()), "Aaa Aaa _9 99:99:99 9999\n\n")) << text;
  bool matchesAMoment = false;
  for (std::time_t t = before; t <= after; ++t) {
    char stamp[64];
    ASSERT_NE(ctime_r(&t, stamp), nullptr);
    if (text == std::string("Time-stamp: ") + stamp + "\n") matchesAMoment = true;
  }
  EXPECT_TRUE(matchesAMoment) << text;
}

TEST(WriteHeader, TenColumnsForTheNameGiveA52CharacterLine) {
  std::ostringstream out;
  writeHeader(out, 10);
  EXPECT_EQ(out.str(), "Individual             h   Lower_Bound   Upper_Bound\n");
  EXPECT_EQ(out.str().size(), 53u);
}

TEST(WriteHeader, AWiderNameColumnPadsOnTheLeft) {
  std::ostringstream out;
  writeHeader(out, 12);
  EXPECT_EQ(out.str(), "  Individual             h   Lower_Bound   Upper_Bound\n");
}

TEST(WriteHeader, ANarrowerNameColumnDoesNotCutTheTitle) {
  std::ostringstream out;
  writeHeader(out, 4);
  EXPECT_EQ(out.str(), "Individual             h   Lower_Bound   Upper_Bound\n");
}

TEST(WriteOutputRow, RowsOfEveryKindInTenColumns) {
  EXPECT_EQ(row("A01", 0.23456, 0.10234, 0.41789, kNoMarks, 10),
            "       A01       0.23456       0.10234       0.41789\n");
  EXPECT_EQ(row("A02", 0.0, 0.0, 0.12345, kLowerMark, 10),
            "       A02       0.00000       0.00000*       0.12345\n");
  EXPECT_EQ(row("A03", kNaN, kNaN, kNaN, kNoMarks, 10),
            "       A03           nan           nan           nan\n");
  EXPECT_EQ(row("hybrid_017", 1.0, 0.86421, 1.0, kUpperMark, 10),
            "hybrid_017       1.00000       0.86421       1.00000*\n");
}

TEST(WriteOutputRow, BothMarksEndTheRowWithAStar) {
  EXPECT_EQ(row("F1", 0.5, 0.0, 1.0, kBothMarks, 10),
            "        F1       0.50000       0.00000*       1.00000*\n");
}

TEST(WriteOutputRow, TheNameTakesTheGivenWidthAndIsNeverCut) {
  EXPECT_EQ(row("backcross_12", 0.5, 0.3125, 0.6875, kNoMarks, 12),
            "backcross_12       0.50000       0.31250       0.68750\n");
  EXPECT_EQ(row("A1", 0.5, 0.3125, 0.6875, kNoMarks, 12),
            "          A1       0.50000       0.31250       0.68750\n");
  EXPECT_EQ(row("much_longer_name", 0.5, 0.3125, 0.6875, kNoMarks, 10),
            "much_longer_name       0.50000       0.31250       0.68750\n");
}

TEST(WriteOutputRow, NumbersAreRoundedToFiveDecimals) {
  EXPECT_EQ(row("r", 0.123456, 0.0000049, 0.999996, kNoMarks, 10),
            "         r       0.12346       0.00000       1.00000\n");
}

TEST(WriteOutputRow, UsesTheStreamsFormatAndLeavesItAsItWas) {
  // Without the row format a number is written in the default general form.
  std::ostringstream out;
  const std::ios::fmtflags flags = out.flags();
  const std::streamsize precision = out.precision();
  writeOutputRow(out, "x", 0.5, 0.25, 0.75, kNoMarks, 10);
  EXPECT_EQ(out.str(), "         x           0.5          0.25          0.75\n");
  EXPECT_EQ(out.flags(), flags);
  EXPECT_EQ(out.precision(), precision);
}

TEST(WriteEndingRow, IsAnEmptyLineAndTheTwoLinesOfTheNote) {
  std::ostringstream out;
  writeEndingRow(out);
  EXPECT_EQ(out.str(),
            "\nNote: A * symbol indicates that the confidence interval is truncated by\n"
            "the upper or lower limit for h.\n");
}

TEST(Writers, LeaveTheNumberFormatAlone) {
  std::ostringstream out;
  const std::ios::fmtflags flags = out.flags();
  const std::streamsize precision = out.precision();
  writeTimestamp(out);
  writeHeader(out, 10);
  writeEndingRow(out);
  EXPECT_EQ(out.flags(), flags);
  EXPECT_EQ(out.precision(), precision);
}

TEST(Writers, EachWriteGroupEndsWithALineEndThatFlushes) {
  FlushCountingBuffer buffer;
  std::ostream out(&buffer);
  useRowNumberFormat(out);

  const auto endsFlushed = [&buffer](const char* what) {
    const std::string text = buffer.str();
    EXPECT_GE(buffer.flushes, 1) << what;
    EXPECT_EQ(buffer.sizeAtLastFlush, text.size()) << what;
    ASSERT_FALSE(text.empty()) << what;
    EXPECT_EQ(text.back(), '\n') << what;
    buffer.flushes = 0;
  };
  writeTimestamp(out);
  endsFlushed("time-stamp");
  writeHeader(out, 10);
  endsFlushed("header");
  writeOutputRow(out, "A", 0.5, 0.25, 0.75, kNoMarks, 10);
  endsFlushed("row");
  writeOutputRow(out, "B", 1.0, 0.5, 1.0, kUpperMark, 10);
  endsFlushed("row with a mark");
  writeEndingRow(out);
  endsFlushed("closing note");
}

TEST(UseRowNumberFormat, FixedFiveDecimalsWithThePointAlwaysShown) {
  std::ostringstream out;
  useRowNumberFormat(out);
  out << 0.5 << ' ' << 1.0 << ' ' << 0.0 << ' ' << 1e-06;
  EXPECT_EQ(out.str(), "0.50000 1.00000 0.00000 0.00000");
  EXPECT_EQ(out.precision(), 5);
}

TEST(UseRowNumberFormat, AddsToTheFlagsAlreadySet) {
  std::ostringstream out;
  out.setf(std::ios::showpos);
  useRowNumberFormat(out);
  out << 0.5;
  EXPECT_EQ(out.str(), "+0.50000");
}

}  // namespace
}  // namespace parmix
