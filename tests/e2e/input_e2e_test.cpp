// A person's pointer and wheel, played through the platform as a screen delivers them,
// scroll the full-page picture exactly as the scroll messages they stand for.
#include <gtest/gtest.h>

#include <string>

#include "host_fixture.h"

namespace {

class InputViewTest : public e2e::HostTest {
 protected:
  // 64 x 1000, every row its own colour, so any scroll shows.
  std::string WriteTall() const {
    const std::string path = m_scratch / "tall.jpg";
    auto pixel = [](int x, int y) {
      return viewertest::Rgb{static_cast<uint8_t>(y / 4), static_cast<uint8_t>(255 - y / 4),
                             static_cast<uint8_t>(x * 4)};
    };
    viewertest::WriteBytes(
        path, viewertest::WithJfxxProfile(viewertest::EncodeJpeg(64, 1000, pixel),
                                          viewertest::ReadBytes(viewertest::kSwappedProfile)));
    return path;
  }

  e2e::Screenshot ShotAfter(const std::string& image, const std::string& script) {
    const std::string file = WriteText("script.txt", script);
    EXPECT_EQ(Host(image, {"--size", "300x200", "--script", file}), 0) << script;
    return e2e::ReadPng(Shot());
  }
};

// 300 x 200: the vertical bar is x 283..299, its arrows y 0..16 and 183..199; the range
// is 0..800 with no page, so the thumb is 17 pixels with 149 pixels of travel.
TEST_F(InputViewTest, PointerAndWheelScrollAsTheirScrollMessagesDo) {
  ChooseSrgbMonitor();
  const std::string image = WriteTall();
  const e2e::Screenshot unscrolled = ShotAfter(image, "");
  const struct {
    const char* input;
    const char* messages;
  } cases[] = {
      {"pointer down 291 191\npointer up 291 191\n", "vscroll linedown\n"},
      // Held: the first repeat after 200 ms, the next 50 ms later.
      {"pointer down 291 191\nhold 250\npointer up 291 191\n",
       "vscroll linedown\nvscroll linedown\nvscroll linedown\n"},
      {"pointer down 291 150\npointer up 291 150\n", "vscroll pagedown\n"},
      // The thumb held at 8 of its 17 pixels, moved down by 75 of the 149.
      {"drag 291 25 291 100\n", "vscroll thumbposition 403\n"},
      {"wheel -1\n", "vscroll linedown\nvscroll linedown\nvscroll linedown\n"},
      {"wheel -2 10 10\nwheel 1\n", "vscroll linedown\nvscroll linedown\nvscroll linedown\n"},
  };
  for (const auto& c : cases) {
    const e2e::Screenshot byInput = ShotAfter(image, c.input);
    const e2e::Screenshot byMessages = ShotAfter(image, c.messages);
    ASSERT_EQ(byInput.width, 300) << c.input;
    EXPECT_TRUE(byInput.pixels == byMessages.pixels) << c.input;
    EXPECT_FALSE(byInput.pixels == unscrolled.pixels) << c.input;
  }
}

}  // namespace
