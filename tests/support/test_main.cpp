// The main of every test program: GoogleTest, with a check after each test that it
// left no global memory block and no GDI object alive. What a suite sets up for all
// its tests (SetUpTestSuite, static objects) lives across each test and is not counted.
#include <gtest/gtest.h>
#include <platform/testing.h>

#include <cstddef>
#include <cstdlib>

namespace {

class LeakCheck : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override {
    m_nBlocks = platform::testing::LiveGlobalBlocks();
    m_nGdiObjects = platform::testing::LiveGdiObjects();
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    EXPECT_EQ(platform::testing::LiveGlobalBlocks(), m_nBlocks) << "global memory blocks leaked";
    EXPECT_EQ(platform::testing::LiveGdiObjects(), m_nGdiObjects) << "GDI objects leaked";
  }

 private:
  std::size_t m_nBlocks = 0;
  std::size_t m_nGdiObjects = 0;
};

}  // namespace

int main(int argc, char** argv) {
  // Programs the tests start run off-screen even in a desktop session, where they would
  // open windows and wait for a person. The desktop tests set the display themselves.
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new LeakCheck);
  return RUN_ALL_TESTS();
}
