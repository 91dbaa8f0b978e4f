// The harness itself: an X server that cannot start fails the test that made
// it where the environment variable CI is set, so that the end-to-end tests
// cannot pass in CI by skipping; elsewhere the server is only not running.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

#include "app/tests/e2e/player_session.h"

namespace {

// Sets (or with null unsets) an environment variable until the end of the
// scope.
class cEnvironmentScope {
 public:
  cEnvironmentScope(const char* pszName, const char* pszValue) : m_strName(pszName) {
    if (const char* pszOld = std::getenv(pszName)) m_old = pszOld;
    Set(pszValue);
  }
  ~cEnvironmentScope() { Set(m_old ? m_old->c_str() : nullptr); }
  cEnvironmentScope(const cEnvironmentScope&) = delete;
  cEnvironmentScope& operator=(const cEnvironmentScope&) = delete;

 private:
  void Set(const char* pszValue) {
    if (pszValue != nullptr)
      ::setenv(m_strName.c_str(), pszValue, 1);
    else
      ::unsetenv(m_strName.c_str());
  }
  std::string m_strName;
  std::optional<std::string> m_old;
};

TEST(HarnessE2E, AServerThatCannotStartFailsTheTestOnlyInCi) {
  const cEnvironmentScope path("PATH", "/nonexistent");  // no Xvfb to start
  for (const char* pszCi : {static_cast<const char*>(nullptr), "", "0", "false", "FALSE"}) {
    SCOPED_TRACE(pszCi != nullptr ? pszCi : "(unset)");
    const cEnvironmentScope ci("CI", pszCi);
    const cXServer server;
    EXPECT_FALSE(server.IsRunning());
  }
  for (const char* pszCi : {"true", "1", "yes"}) {
    SCOPED_TRACE(pszCi);
    const cEnvironmentScope ci("CI", pszCi);
    EXPECT_FATAL_FAILURE({ const cXServer server; }, "Xvfb did not start: no program Xvfb");
  }
}

}  // namespace
