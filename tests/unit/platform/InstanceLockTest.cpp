#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "platform/linux/FlockInstanceLock.h"
#include "tests/support/EnvironmentGuard.h"

namespace {

// The lock with a runtime folder of the test's own and two program folders.
class InstanceLockTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runtime_.isValid());
    ASSERT_TRUE(programs_.isValid());
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
    ASSERT_TRUE(QDir(programs_.path()).mkpath(QStringLiteral("a")));
    ASSERT_TRUE(QDir(programs_.path()).mkpath(QStringLiteral("b")));
  }
  QString program(const char* name) const { return programs_.filePath(QString::fromLatin1(name)); }

  EnvironmentGuard runtimeGuard_{"XDG_RUNTIME_DIR"};
  QTemporaryDir runtime_;
  QTemporaryDir programs_;
};

TEST_F(InstanceLockTest, OneInstancePerProgramFolder) {
  auto first = std::make_unique<FlockInstanceLock>();
  ASSERT_TRUE(first->acquire(program("a")));

  FlockInstanceLock second;
  EXPECT_FALSE(second.acquire(program("a")));
  // The same folder through a link, or written with a trailing separator, is the same one.
  ASSERT_TRUE(QFile::link(program("a"), program("link")));
  EXPECT_FALSE(second.acquire(program("link")));
  EXPECT_FALSE(second.acquire(program("a") + u'/'));
  // Another installation runs beside it.
  FlockInstanceLock other;
  EXPECT_TRUE(other.acquire(program("b")));

  // The lock goes with its holder; the lock file stays out of the program folder.
  first.reset();
  EXPECT_TRUE(second.acquire(program("a")));
  EXPECT_TRUE(FlockInstanceLock::lockPath(program("a")).startsWith(runtime_.path()));
}

// A holder that ends without letting go (a crash) leaves no lock behind.
TEST_F(InstanceLockTest, AnInstanceThatDiedHoldsNothing) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FlockInstanceLock held;
    _exit(held.acquire(program("a")) ? 0 : 1);  // ends without the destructor
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  FlockInstanceLock after;
  EXPECT_TRUE(after.acquire(program("a")));
}

}  // namespace
