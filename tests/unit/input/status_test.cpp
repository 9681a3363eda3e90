// Values echoed in messages: cut after 60 characters, never inside a
// UTF-8 character, and marked with an ellipsis.

#include "input/status.hpp"

#include <gtest/gtest.h>

#include <string>

namespace parmix {
namespace {

TEST(QuotedValue, CutsLongValuesAtACharacterBoundary) {
  const std::string e = "\xc3\xa9";  // é, two bytes
  std::string sixtyAccents;
  for (int i = 0; i < 60; ++i) sixtyAccents += e;
  const struct {
    std::string text;
    std::string shown;
  } cases[] = {
      {"", "\"\""},
      {"0x10", "\"0x10\""},
      {std::string(60, 'a'), "\"" + std::string(60, 'a') + "\""},
      {std::string(61, 'a'), "\"" + std::string(60, 'a') + "\u2026\""},
      {std::string(5 << 20, 'b'), "\"" + std::string(60, 'b') + "\u2026\""},
      {sixtyAccents, "\"" + sixtyAccents + "\""},
      {sixtyAccents + e, "\"" + sixtyAccents + "\u2026\""},
      {std::string(59, 'a') + e + e, "\"" + std::string(59, 'a') + e + "\u2026\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(quotedValue(c.text), c.shown) << c.text.substr(0, 80);
    EXPECT_EQ("\"" + shortenedValue(c.text) + "\"", c.shown);
  }
}

}  // namespace
}  // namespace parmix
