// The program's "db" commands: exit status and the message for a person.
#include <gtest/gtest.h>

#include <fstream>

#include "store/store.h"
#include "test_host.h"

namespace {

TEST(DbCommandTest, StatusAndMessagesOfTheCommands) {
  testing_support::TestHost h;
  std::string good = h.dir + "/good.json";
  std::string bad = h.dir + "/bad.json";
  std::ofstream(good) << R"({"contractors":[{"id":1,"name":"A"}]})";
  std::ofstream(bad) << R"({"contractors":[{"id":1,"name":"A\nB"}]})";
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;  // part of standard error
  };
  const Case cases[] = {
      {{"sample", "--invoices", "3", "--seed", "9"}, 0, "3 faktur"},
      {{"sample", "--invoices", "-1"}, 2, "Błędna opcja"},
      {{"sample", "--invoices"}, 2, "Użycie"},
      {{"sample", "--pages", "3"}, 2, "Błędna opcja"},
      {{"import", good}, 0, "Zaimportowano"},
      {{"import", bad}, 1, "contractors[0] (id 1), pole \"name\": znak sterujący"},
      {{"import", h.dir + "/none.json"}, 1, "Nie można otworzyć pliku"},
      {{"import"}, 2, "Użycie"},
      {{"restore"}, 2, "Nieznane polecenie: db restore"},
      {{}, 2, "Użycie"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0] + " " + std::to_string(c.args.size()));
    testing::internal::CaptureStderr();
    int status = host::store::RunDbCommand(h.host(), c.args);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, c.status);
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
  }
  // The refused import left the good one in place; dump prints it.
  testing::internal::CaptureStdout();
  EXPECT_EQ(host::store::RunDbCommand(h.host(), {"dump"}), 0);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find(R"("id":1,"code":"","name":"A")"), std::string::npos) << out;
}

}  // namespace
