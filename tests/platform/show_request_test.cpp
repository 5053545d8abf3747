// The second launch's show request: it must reach the running copy, never block the sender,
// and never cost the user a file that happens to sit where the socket goes.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/linux/show_request.h"
#include "platform/trash_test_support.h"

namespace tw::linux_platform {
namespace {

using test::TempDir;

TEST(ShowRequest, ReachesTheListenerOncePerLaunchAndOnlyTheUserMayWrite) {
    TempDir dir;
    const std::string path = dir / "tidewell.socket";
    // A socket left by a copy that died is replaced.
    {
        ShowRequestListener dead;
        std::string error;
        ASSERT_TRUE(dead.listen(path, error)) << error;
    }
    ShowRequestListener listener;
    std::string error;
    ASSERT_TRUE(listener.listen(path, error)) << error;
    struct stat st;
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    EXPECT_EQ(listener.takeRequests(), 0);
    EXPECT_TRUE(sendShowRequest(path));
    EXPECT_TRUE(sendShowRequest(path));
    EXPECT_EQ(listener.takeRequests(), 2);
    EXPECT_EQ(listener.takeRequests(), 0);
}

TEST(ShowRequest, NoListenerOrAFileInTheWayIsReportedAndTheFileKept) {
    TempDir dir;
    EXPECT_FALSE(sendShowRequest(dir / "nobody-listens.socket"));
    EXPECT_FALSE(sendShowRequest(std::string(200, 'x')));

    const std::string path = dir / "tidewell.socket";
    test::writeFile(path, "the user's own file");
    ShowRequestListener listener;
    std::string error;
    EXPECT_FALSE(listener.listen(path, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(test::readFile(path), "the user's own file");
    EXPECT_FALSE(sendShowRequest(path));
}

TEST(ShowRequest, AFullQueueDoesNotBlockTheSender) {
    TempDir dir;
    const std::string path = dir / "tidewell.socket";
    ShowRequestListener listener;
    std::string error;
    ASSERT_TRUE(listener.listen(path, error)) << error;
    // A copy stuck in a long empty reads nothing; launches keep coming and must all return.
    for (int i = 0; i < 2000; ++i) ASSERT_TRUE(sendShowRequest(path));
    EXPECT_GT(listener.takeRequests(), 0);
}

}  // namespace
}  // namespace tw::linux_platform
