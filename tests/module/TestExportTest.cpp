// The export Test: one Excel price import, and 1 for the host whatever happened. What the import
// reads and writes is the import suite's.
#include <gtest/gtest.h>

#include "support/Database.h"
#include "zelvomw.h"

namespace zmw { namespace {

class TestExport : public test::HostDatabase {};

TEST_F(TestExport, GivesOneWhenTheWorkbookCannotBeOpened) {
  EXPECT_EQ(::Test(), 1);
  ASSERT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(ui.messages[1].caption + ": " + ui.messages[1].text, "ATTENZIONE: Impossibile aprire XLS");
}

} }  // namespace zmw
