#include <gtest/gtest.h>

#include "base/JsonText.h"

namespace zmw { namespace {

// The doctor's --json report: Windows-1252 in, UTF-8 JSON out, control characters as \u escapes.
TEST(JsonString, EscapesWhatJsonMustAndConvertsTheCodePage) {
  EXPECT_EQ(JsonString("a\x01\x1F\"\\\n\r\t \xE8\x80"), "\"a\\u0001\\u001f\\\"\\\\\\n\\r\\t \xC3\xA8\xE2\x82\xAC\"");
  EXPECT_EQ(JsonString(""), "\"\"");
}

} }  // namespace zmw
