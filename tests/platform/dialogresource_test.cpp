// The table of dialog templates the program's resources add to.
#include "../support/dialogtesting.h"

#include <platform/dialogresource.h>

namespace dialogtesting {
namespace {

TEST(DialogResourceTest, NewerTemplatesHideOlderOnesWhileTheyLive) {
  const platform::DialogTemplate first = ChooserLikeTemplate();
  const platform::DialogTemplate second = ChooserLikeTemplate();
  EXPECT_EQ(platform::FindDialogResource(4711), nullptr);
  platform::DialogResource firstResource(4711, first);
  {
    platform::DialogResource secondResource(4711, second);
    platform::DialogResource other(4712, first);
    EXPECT_EQ(platform::FindDialogResource(4711), &second);
    EXPECT_EQ(platform::FindDialogResource(4712), &first);
  }
  EXPECT_EQ(platform::FindDialogResource(4711), &first);
  EXPECT_EQ(platform::FindDialogResource(4712), nullptr);
}

}  // namespace
}  // namespace dialogtesting
