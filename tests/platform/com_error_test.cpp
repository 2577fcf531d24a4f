// The two texts of an error record: Description and ErrorMessage.
#include <gtest/gtest.h>

#include "platform/com_error.h"
#include "platform/system_messages.h"

namespace {

// Replaces the system message source for one test and counts its calls.
class FakeSystemMessages {
 public:
  explicit FakeSystemMessages(std::optional<std::string> text) {
    previous_ = platform::SetSystemMessageSource([this, text](HRESULT) {
      ++calls;
      return text;
    });
  }
  ~FakeSystemMessages() { platform::SetSystemMessageSource(previous_); }
  int calls = 0;

 private:
  platform::SystemMessageSource previous_;
};

TEST(ComError, MessageFormsWhereTheSystemHasNoText) {
  struct {
    std::uint32_t hr;
    const char* message;
  } const cases[] = {
      {0x80040E37, "IDispatch error #3127"},    {0x80040201, "IDispatch error #1"},
      {0x8004FFFF, "IDispatch error #65023"},   {0x80040200, "Unknown error 0x80040200"},
      {0x800A0BCD, "Unknown error 0x800A0BCD"}, {0x00000001, "Unknown error 0x1"},
  };
  FakeSystemMessages none(std::nullopt);
  for (const auto& c : cases) {
    EXPECT_EQ(_com_error(MakeHresult(c.hr)).ErrorMessage(), c.message) << std::hex << c.hr;
  }
}

TEST(ComError, SystemTextLosesOnlyItsTrailingLineBreak) {
  struct {
    const char* system;
    const char* message;
  } const cases[] = {
      {"Unspecified error\r\n", "Unspecified error"},
      {"Ends in a line feed\n", "Ends in a line feed"},
      {"Two breaks\r\n\r\n", "Two breaks\r\n"},
      {"\n", "\n"},
      {"No break", "No break"},
  };
  for (const auto& c : cases) {
    FakeSystemMessages fake(std::string(c.system));
    EXPECT_EQ(_com_error(E_FAIL).ErrorMessage(), c.message) << c.system;
  }
}

TEST(ComError, MessageIsMadeOnceAndKept) {
  FakeSystemMessages fake(std::string("Text\r\n"));
  _com_error error(E_FAIL);
  const std::string& first = error.ErrorMessage();
  EXPECT_EQ(&error.ErrorMessage(), &first);
  EXPECT_EQ(fake.calls, 1);
}

TEST(ComError, BuiltInTableKnowsTheCommonCodes) {
  EXPECT_EQ(_com_error(E_POINTER).ErrorMessage(), "Invalid pointer");
  EXPECT_EQ(_com_error(E_OUTOFMEMORY).ErrorMessage(),
            "Not enough memory resources are available to complete this operation.");
}

TEST(ComError, DescriptionComesFromTheErrorInformation) {
  EXPECT_EQ(_com_error(E_FAIL).Description(), "");
  EXPECT_EQ(_com_error(E_FAIL, "Sheet 'Ku' not found").Description(), "Sheet 'Ku' not found");
  EXPECT_EQ(_com_error(E_FAIL, std::make_shared<const ErrorInfo>()).Description(), "");
}

}  // namespace
