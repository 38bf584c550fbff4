// The shared behaviour suite on the headless toolkit, and what only the
// headless toolkit has: scripts, loop, untrusted layout files.
#include "toolkit/headless/headless_toolkit.h"

#include "tests/toolkit/toolkit_behaviour_suite.h"
#include "toolkit/headless/ui_layout.h"

namespace vexel::toolkit::testing {
namespace {

struct HeadlessEnv {
  static std::unique_ptr<Toolkit> Make(Clock& clock) {
    return std::make_unique<headless::HeadlessToolkit>(clock);
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Headless, ToolkitBehaviour, HeadlessEnv);

class HeadlessToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    toolkit_.SetResourceFolder(VEXEL_SOURCE_DIR "/tests/toolkit/layouts");
    toolkit_.SetTraceSink([this](std::string_view line) { trace_.emplace_back(line); });
  }
  ManualClock clock_;
  headless::HeadlessToolkit toolkit_{clock_};
  std::vector<std::string> trace_;
};

TEST_F(HeadlessToolkitTest, UnansweredModalsAndFileDialogsAreCancelledAndLogged) {
  TestWindow dialog(toolkit_);
  ASSERT_TRUE(dialog.Create());
  dialog.CenterWindow();  // 600 x 400 on the work area of 1920 x 1040
  EXPECT_EQ(dialog.ScreenRect(), (Rect{660, 320, 1260, 720}));
  EXPECT_EQ(dialog.ShowModal(), 0);
  EXPECT_THAT(trace_, ::testing::Contains(::testing::HasSubstr("no scripted answer")));
  const FileDialogRequest save{FileDialogRequest::Mode::kSave, "Profile Flie", "*.pro;*.PRO"};
  EXPECT_EQ(toolkit_.RunFileDialog(nullptr, save), std::nullopt);
  ASSERT_EQ(toolkit_.FileDialogLog().size(), 1u);
  EXPECT_EQ(toolkit_.FileDialogLog()[0].patterns, "*.pro;*.PRO");
}

TEST_F(HeadlessToolkitTest, WindowOnFinalMessageMayDeleteItself) {
  struct SelfOwned : TestWindow {
    using TestWindow::TestWindow;
    void OnFinalMessage() override { delete this; }
  };
  auto* window = new SelfOwned(toolkit_);
  ASSERT_TRUE(window->Create());
  window->Close(0);
  toolkit_.ProcessEvents();  // no leak or use after free under the sanitizers
  SUCCEED();
}

TEST(UiLayoutTest, RejectsWhatIsNotADesignerFile) {
  std::string deep = "<ui>";
  for (int i = 0; i < 71; ++i) deep += "<widget class='QWidget'>";
  for (int i = 0; i < 71; ++i) deep += "</widget>";
  const std::string bad[] = {
      "",
      "<ui>",
      "<notui><widget class='QWidget'/></notui>",
      "<ui version='4.0'/>",
      "<ui><widget name='x'/></ui>",
      std::string(200, '<'),
      deep + "</ui>",
  };
  for (const std::string& xml : bad) {
    std::string error;
    EXPECT_EQ(headless::ParseUi(xml, &error), nullptr) << xml;
    EXPECT_FALSE(error.empty()) << xml;
  }
}

TEST(MenuLayoutTest, ParsesItemsSubMenusAndRejectsMalformedFiles) {
  MenuLayout layout;
  std::string error;
  ASSERT_TRUE(ParseMenuLayout(R"(<menu><item name="a" text="a_text" checked="true"/><separator/>
      <menu text="m"><item name="b" text="b_text" data="7"/></menu>
      <item name="c" visible="false"/></menu>)",
                              &layout, &error))
      << error;
  EXPECT_EQ(layout.VisibleItemCount(), 2);
  ASSERT_NE(layout.Find("B"), nullptr);
  EXPECT_EQ(layout.Find("b")->data, "7");
  EXPECT_TRUE(layout.Find("a")->checkable && layout.Find("a")->checked);
  EXPECT_FALSE(layout.Find("b")->checkable);
  EXPECT_EQ(layout.Find("m"), nullptr) << "sub-menus are not commands";

  std::string deep;
  for (int i = 0; i < 20; ++i) deep = "<menu>" + deep + "</menu>";
  for (const std::string& bad :
       {std::string(), std::string("<item name='a'/>"), std::string("<menu><item/></menu>"),
        std::string("<menu><button name='x'/></menu>"), std::string("<menu><item name='a'>"),
        deep}) {
    EXPECT_FALSE(ParseMenuLayout(bad, &layout, &error)) << bad;
  }
}

}  // namespace
}  // namespace vexel::toolkit::testing
